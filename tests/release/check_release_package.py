#!/usr/bin/env python3
"""Makes the release package into a scratch folder and checks what it holds.

    check_release_package.py MANIFEST PACKAGE-SCRIPT CHECK-IMPORTS SCRATCH

The zip must hold exactly the registered deliverables (the built files,
stripped, never a test stand-in), the documents of docs/, the third-party
notices and SHA256SUMS, all in one folder named after the version; the sums
must be right and every binary must import only Windows system DLLs. The
symbols archive must hold the symbols of exactly those binaries, each named
by its binary's debug link with the right CRC, and turn an address of each
back into its function; the release manifest must give every file's size and
SHA-256; the Explorer DLL must stay small.
"""
import hashlib
import json
import pathlib
import re
import shutil
import subprocess
import sys
import zipfile
import zlib

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))
from symbolize_crash_check import debuglink  # noqa: E402

# Deliverables that must be in every release, whatever was registered.
REQUIRED = {"vantorelprobe.exe", "vantorel-cli.exe", "VantorelShell.dll", "VantorelStoreBridge.exe"}
# Built beside the deliverables for the tests only; never shipped.
STAND_INS = {"Vantorel.exe", "d3dcompiler_47.dll", "hid.dll"}
# Explorer loads the DLL into its own process at every right-click.
SIZE_LIMITS = {"VantorelShell.dll": 300 * 1024}
# The program's own entry, for the symbols' round trip; a wWinMain program
# also holds the runtime's wmain, which calls it.
ENTRY_FUNCTIONS = ("wWinMain", "DllGetClassObject", "wmain", "main")
LICENCE_MARKS = ("GCC RUNTIME LIBRARY EXCEPTION", "winpthreads")


def main():
    manifest_path, package_script, check_imports, scratch = sys.argv[1:5]
    # The checked build ships nothing and is built without line tables, so its
    # symbols cannot name a function; the release build's can.
    line_tables = "--no-line-tables" not in sys.argv[5:]
    manifest = json.loads(pathlib.Path(manifest_path).read_text(encoding="utf-8"))
    scratch = pathlib.Path(scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    subprocess.run([sys.executable, package_script, manifest_path, str(scratch)], check=True)

    root = manifest["name"]
    built = {pathlib.Path(path).name: pathlib.Path(path) for path in manifest["deliverables"]}
    docs = {path.name for path in pathlib.Path(manifest["docs"]).iterdir() if path.is_file()}
    expected = ({f"{root}/{name}" for name in built} | {f"{root}/docs/{name}" for name in docs}
                | {f"{root}/SHA256SUMS", f"{root}/THIRD-PARTY-NOTICES.txt"})
    tools = pathlib.Path(package_script).parent

    problems = []
    missing = REQUIRED - built.keys()
    if missing:
        problems.append(f"not registered as deliverables: {sorted(missing)}")
    shipped_stand_ins = STAND_INS & built.keys()
    if shipped_stand_ins:
        problems.append(f"test stand-ins registered as deliverables: {sorted(shipped_stand_ins)}")
    for doc in ("README.md", "events.md", "events.schema.json", "cli-protocol.md", "explorer.md", "storebridge.md"):
        if doc not in docs:
            problems.append(f"docs/{doc} is missing")

    with zipfile.ZipFile(scratch / f"{root}.zip") as archive:
        names = archive.namelist()
        if len(names) != len(set(names)):
            problems.append("the zip holds an entry twice")
        if set(names) != expected:
            problems.append(f"unexpected entries: {sorted(set(names) - expected)}; "
                            f"missing entries: {sorted(expected - set(names))}")
        content = {name: archive.read(name) for name in names}

    resplit = scratch / "resplit"
    for name, path in built.items():
        subprocess.run([sys.executable, str(tools / "split-symbols"), str(path), str(resplit / "shipped"),
                        str(resplit / "symbols")], check=True, capture_output=True)
        if content.get(f"{root}/{name}") != (resplit / "shipped" / name).read_bytes():
            problems.append(f"{name} in the zip is not the built file, stripped")
        size = len(content.get(f"{root}/{name}", b""))
        print(f"{name}: {path.stat().st_size} bytes built, {size} bytes shipped")
        if size > SIZE_LIMITS.get(name, size):
            problems.append(f"{name} is {size} bytes, above its limit of {SIZE_LIMITS[name]}")

    sums = {}
    for line in content.get(f"{root}/SHA256SUMS", b"").decode("ascii").splitlines():
        digest, name = line.split("  ", 1)
        sums[name] = digest
    listed = {f"{root}/{name}" for name in sums}
    if listed != expected - {f"{root}/SHA256SUMS"}:
        problems.append(f"SHA256SUMS lists {sorted(listed)}")
    for name, digest in sums.items():
        if hashlib.sha256(content.get(f"{root}/{name}", b"")).hexdigest() != digest:
            problems.append(f"SHA256SUMS is wrong for {name}")

    unpacked = scratch / "unpacked"
    unpacked.mkdir()
    binaries = []
    for name in built:
        (unpacked / name).write_bytes(content.get(f"{root}/{name}", b""))
        binaries.append(str(unpacked / name))
    problems += check_symbols(scratch, root, built, unpacked, tools, line_tables)
    # No folder of this build in what ships: another folder must give the same bytes.
    checkout = str(pathlib.Path(manifest["docs"]).resolve().parent).encode()
    with zipfile.ZipFile(scratch / f"{root}-symbols.zip") as archive:
        shipped_files = {name: archive.read(name) for name in archive.namelist()}
    shipped_files.update(content)
    for name, data in shipped_files.items():
        if checkout in data:
            problems.append(f"{name} holds the build's folder {checkout.decode()}")
    problems += check_notices(content.get(f"{root}/THIRD-PARTY-NOTICES.txt", b"").decode("utf-8"), built)
    problems += check_release_manifest(scratch, root)
    imports = subprocess.run([check_imports, *binaries])
    if imports.returncode != 0:
        problems.append("a packaged binary imports more than Windows system DLLs")

    for problem in problems:
        print(problem)
    print(f"{len(names)} entries in {root}.zip")
    return 1 if problems else 0


def check_symbols(scratch, root, built, unpacked, tools, line_tables):
    problems = []
    symbols_zip = scratch / f"{root}-symbols.zip"
    with zipfile.ZipFile(symbols_zip) as archive:
        symbols = {pathlib.PurePosixPath(name).name: archive.read(name) for name in archive.namelist()}
    if set(symbols) != {f"{name}.debug" for name in built}:
        problems.append(f"the symbols archive holds {sorted(symbols)}")
    for name in built:
        shipped = unpacked / name
        sections = subprocess.run(["x86_64-w64-mingw32-objdump", "-h", str(shipped)],
                                  check=True, capture_output=True, text=True).stdout
        listed = subprocess.run(["x86_64-w64-mingw32-nm", str(shipped)], capture_output=True, text=True)
        if ".debug_" in sections or listed.stdout.strip():
            problems.append(f"{name} is shipped with symbols or debug information")
        # No time in the header: the same build ships the same bytes.
        for path in (shipped, None):
            data = shipped.read_bytes() if path else symbols.get(f"{name}.debug", b"")
            header = int.from_bytes(data[0x3C:0x40], "little") if len(data) > 0x40 else 0
            if data[header:header + 4] != b"PE\0\0" or int.from_bytes(data[header + 8:header + 12], "little") != 0:
                problems.append(f"{name}{'' if path else '.debug'} carries a time stamp in its PE header")
        link, crc = debuglink(shipped)
        if link != f"{name}.debug" or crc != zlib.crc32(symbols.get(link, b"")):
            problems.append(f"{name} links {link} with CRC {crc:#x}, which is not its symbols file")
        debug_file = scratch / "symbols-check" / f"{name}.debug"
        debug_file.parent.mkdir(exist_ok=True)
        debug_file.write_bytes(symbols.get(f"{name}.debug", b""))
        if not line_tables:
            continue
        # The round trip an address from a crash report takes: offset from the
        # image base in, the function out.
        table = subprocess.run(["x86_64-w64-mingw32-nm", "--defined-only", str(debug_file)],
                               capture_output=True, text=True).stdout.split("\n")
        addresses = {parts[2]: int(parts[0], 16) for parts in (line.split() for line in table)
                     if len(parts) == 3 and parts[1] == "T"}
        headers = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", str(debug_file)],
                                 capture_output=True, text=True).stdout
        base = next((int(line.split()[1], 16) for line in headers.splitlines() if line.startswith("ImageBase")), 0)
        function = next((entry for entry in ENTRY_FUNCTIONS if entry in addresses), None)
        if function is None or base == 0:
            problems.append(f"the symbols of {name} hold no entry function or no image base")
            continue
        offset = addresses[function] - base
        answer = subprocess.run([sys.executable, str(tools / "symbolize"), "--symbols", str(symbols_zip), name,
                                 hex(offset)], capture_output=True, text=True)
        frames = answer.stdout.splitlines()
        print(f"{name}+{offset:#x}: {frames[-1] if frames else answer.stderr.strip()}")
        if answer.returncode != 0 or not frames or not frames[-1].startswith(f"{function} at ") \
                or not re.match(r"^(probe|common|cli|shell|storebridge)/\S+\.cpp:\d+$", frames[-1].split(" at ")[1]):
            problems.append(f"{name}+{offset:#x} came back as {frames}, not {function} in a source file")
    return problems


def check_notices(notices, built):
    problems = []
    for name in built:
        block = notices.split(f"{name}:\n", 1)[1].split("\n\n", 1)[0] if f"{name}:\n" in notices else ""
        for part in ("MinGW-w64 runtime", "GCC runtime: libstdc++", "GCC runtime: libgcc"):
            if part not in block:
                problems.append(f"the notices do not say that {name} contains the {part}")
    for mark in LICENCE_MARKS:
        if mark not in notices:
            problems.append(f"the notices lack the licence text with {mark!r}")
    return problems


def check_release_manifest(scratch, root):
    """Every file of both archives, and the archives, with size and SHA-256."""
    problems = []
    listed = {}
    for line in (scratch / f"{root}-MANIFEST.txt").read_text(encoding="ascii").splitlines():
        if line.startswith("#"):
            continue
        size, digest, name = line.split("  ", 2)
        listed[name] = (int(size), digest)
    actual = {}
    for archive_name in (f"{root}.zip", f"{root}-symbols.zip"):
        data = (scratch / archive_name).read_bytes()
        actual[archive_name] = (len(data), hashlib.sha256(data).hexdigest())
        with zipfile.ZipFile(scratch / archive_name) as archive:
            for name in archive.namelist():
                data = archive.read(name)
                actual[name] = (len(data), hashlib.sha256(data).hexdigest())
    if listed != actual:
        wrong = sorted(name for name in set(listed) | set(actual) if listed.get(name) != actual.get(name))
        problems.append(f"the release manifest is wrong or incomplete for {wrong}")
    return problems


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Makes the release package into a scratch folder and checks what it holds.

    check_release_package.py MANIFEST PACKAGE-SCRIPT CHECK-IMPORTS SCRATCH

The zip must hold exactly the registered deliverables (byte for byte the built
files, never a test stand-in), the documents of docs/ and SHA256SUMS, all in
one folder named after the version; the sums must be right and every binary
must import only Windows system DLLs.
"""
import hashlib
import json
import pathlib
import shutil
import subprocess
import sys
import zipfile

# Deliverables that must be in every release, whatever was registered.
REQUIRED = {"vantorelprobe.exe", "vantorel-cli.exe", "VantorelShell.dll", "VantorelStoreBridge.exe"}
# Built beside the deliverables for the tests only; never shipped.
STAND_INS = {"Vantorel.exe", "d3dcompiler_47.dll", "hid.dll"}


def main():
    manifest_path, package_script, check_imports, scratch = sys.argv[1:5]
    manifest = json.loads(pathlib.Path(manifest_path).read_text(encoding="utf-8"))
    scratch = pathlib.Path(scratch)
    shutil.rmtree(scratch, ignore_errors=True)
    scratch.mkdir(parents=True)
    subprocess.run([sys.executable, package_script, manifest_path, str(scratch)], check=True)

    root = manifest["name"]
    built = {pathlib.Path(path).name: pathlib.Path(path) for path in manifest["deliverables"]}
    docs = {path.name for path in pathlib.Path(manifest["docs"]).iterdir() if path.is_file()}
    expected = {f"{root}/{name}" for name in built} | {f"{root}/docs/{name}" for name in docs} | {f"{root}/SHA256SUMS"}

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

    for name, path in built.items():
        if content.get(f"{root}/{name}") != path.read_bytes():
            problems.append(f"{name} in the zip is not the built file")

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
    imports = subprocess.run([check_imports, *binaries])
    if imports.returncode != 0:
        problems.append("a packaged binary imports more than Windows system DLLs")

    for problem in problems:
        print(problem)
    print(f"{len(names)} entries in {root}.zip")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

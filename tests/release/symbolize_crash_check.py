#!/usr/bin/env python3
"""A crash address of a stripped binary comes back as its function and line.

    symbolize_crash_check.py CRASH-PROGRAM SOURCE TOOLS-FOLDER WINE-RUN PREFIX SCRATCH

Splits CRASH-PROGRAM (built with line tables) with tools/split-symbols as the
release splits the deliverables, runs the stripped copy under Wine, where it
crashes on purpose and prints "CRASH <module>+0x<offset>", and asks
tools/symbolize, from the symbols folder and from a zip of it, where that is:
the first frame must be the crashing function at the line marked in SOURCE.
"""
import pathlib
import re
import subprocess
import sys
import zipfile
import zlib

OBJDUMP = "x86_64-w64-mingw32-objdump"
FUNCTION = "WriteIntoReservedMemory"


def debuglink(binary):
    """(file name, CRC) of the binary's .gnu_debuglink section."""
    dump = subprocess.run([OBJDUMP, "-s", "-j", ".gnu_debuglink", str(binary)],
                          check=True, capture_output=True, text=True).stdout
    data = bytearray()
    for line in dump.splitlines():
        match = re.match(r"^ [0-9a-f]+ ((?:[0-9a-f]{2,8} ){1,4})", line + " ")
        if match:
            data += bytes.fromhex(match.group(1).replace(" ", ""))
    name, _, rest = bytes(data).partition(b"\0")
    crc = int.from_bytes(rest[(-len(name) - 1) % 4:][:4], "little")
    return name.decode(), crc


def main():
    program, source, tools, wine_run, prefix, scratch = map(pathlib.Path, sys.argv[1:7])
    problems = []
    shipped_dir, symbols_dir = scratch / "shipped", scratch / "symbols"
    subprocess.run([sys.executable, str(tools / "split-symbols"), str(program), str(shipped_dir), str(symbols_dir)],
                   check=True, capture_output=True)
    shipped = shipped_dir / program.name
    symbols = symbols_dir / (program.name + ".debug")

    sections = subprocess.run([OBJDUMP, "-h", str(shipped)], check=True, capture_output=True, text=True).stdout
    if ".debug_" in sections or "no symbols" not in subprocess.run(
            ["x86_64-w64-mingw32-nm", str(shipped)], capture_output=True, text=True).stderr:
        problems.append("the shipped copy still carries symbols or debug information")
    name, crc = debuglink(shipped)
    if name != symbols.name or crc != zlib.crc32(symbols.read_bytes()):
        problems.append(f"the debug link names {name} with CRC {crc:#x}, not {symbols.name}")

    run = subprocess.run([str(wine_run), str(prefix), str(shipped)], capture_output=True, text=True, timeout=120)
    match = re.search(r"CRASH (\S+)\+0x([0-9a-f]+)", run.stdout)
    if not match:
        problems.append(f"no crash report (exit {run.returncode}): {run.stdout!r} {run.stderr[-500:]!r}")
    else:
        module, offset = match.group(1), match.group(2)
        if module.lower() != program.name.lower():
            problems.append(f"the crash was reported in {module}, not in {program.name}")
        lines = source.read_text(encoding="utf-8").splitlines()
        line = next(number for number, text in enumerate(lines, 1) if text.rstrip().endswith("// the crash"))
        with zipfile.ZipFile(scratch / "symbols.zip", "w") as archive:
            archive.write(symbols, f"symbols/{symbols.name}")
        for where in (symbols_dir, scratch / "symbols.zip"):
            answer = subprocess.run([sys.executable, str(tools / "symbolize"), "--symbols", str(where), module,
                                     "0x" + offset], capture_output=True, text=True)
            first = answer.stdout.splitlines()[0] if answer.stdout else answer.stderr.strip()
            print(f"{module}+0x{offset} from {where.name}: {first}")
            expected = re.compile(rf"^(\S+::)?{FUNCTION}(\(.*\))? at tests/release/{source.name}:{line}$")
            if answer.returncode != 0 or not expected.match(first):
                problems.append(f"symbolize with {where.name} said {first!r}, "
                                f"expected {FUNCTION} at tests/release/{source.name}:{line}")

    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

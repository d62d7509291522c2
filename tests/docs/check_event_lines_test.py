#!/usr/bin/env python3
"""The event-line check accepts every line kind the reference documents and
rejects each faulty line and each misshapen run on its own, so a schema that
lets a wrong key order, an unknown key, a wrong type, a value out of its range or
a text over its byte limit through, a check that lets a line leave the worker's
text form, or a run rule that lets an end reason disagree with the exit code,
fails here.

    check_event_lines_test.py CHECKER SCHEMA SAMPLES-FOLDER SCRATCH
"""
import pathlib
import shutil
import subprocess
import sys

START = '{"event":"start","cpu":true,"threads":8,"minutes":0.05}'
SAMPLE = '{"t":0.50,"work":1211}'
END_TIME = '{"event":"end","reason":"time","work":1300}'

# Runs that ended by themselves: (lines, exit code, whether the check must accept it).
RUNS = [
    ([START, SAMPLE, '{"event":"end","reason":"stopped","work":1300}'], 1, True),
    (['{"event":"shader","entry":"CheckCS","message":"x"}', '{"event":"error","what":"shaders"}'], 4, True),
    ([], 4, False),
    ([START, SAMPLE, END_TIME], 1, False),
    ([START, SAMPLE], 0, False),
    ([START, END_TIME, SAMPLE], 0, False),
    ([START, END_TIME, END_TIME], 0, False),
    (['{"event":"error","what":"memory"}', START], 4, False),
    (['{"event":"error","what":"memory"}'], 0, False),
    ([START, '{"event":"shader","entry":"CheckCS","message":"x"}', END_TIME], 0, False),
    ([SAMPLE, END_TIME], 0, False),
    ([], 0, False),
]


# Lines whose fault the sample files cannot hold: (bytes of the line, the fault).
FAULTY_BYTES = [
    (START.encode() + b"\r", "a carriage return before the line feed"),
    (b'{"event":"target","pid":9120,"name":"g\xe4me.exe"}', "a name that is not UTF-8"),
]


def split_lines(text):
    """Lines of a sample file, split at line feeds only: the sample lines hold
    characters that str.splitlines also takes for line ends (U+2028)."""
    lines = text.split("\n")
    return lines[:-1] if lines and lines[-1] == "" else lines


def check(checker, schema, folder, runs):
    """Runs the checker over a folder holding runs: [(lines, exit code or None)];
    a line is text, or bytes written as they are."""
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for number, (lines, exit_code) in enumerate(runs):
        data = b"".join((line if isinstance(line, bytes) else line.encode("utf-8")) + b"\n" for line in lines)
        (folder / f"run{number}.jsonl").write_bytes(data)
        if exit_code is not None:
            (folder / f"run{number}.exit").write_text(f"{exit_code}\n", encoding="ascii")
    result = subprocess.run([sys.executable, checker, schema, str(folder)], capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def main():
    checker, schema, samples, scratch = sys.argv[1:5]
    samples, scratch = pathlib.Path(samples), pathlib.Path(scratch)
    failures = []

    good = split_lines((samples / "every_line_kind.jsonl").read_text(encoding="utf-8"))
    code, output = check(checker, schema, scratch / "good", [(good, None)])
    if code != 0:
        failures.append(f"documented lines were rejected:\n{output}")

    faulty = []
    for entry in split_lines((samples / "faulty_lines.txt").read_text(encoding="utf-8")):
        if entry.startswith("#") or not entry.strip():
            continue
        line, fault = entry.split("\t", 1)
        faulty.append((line, fault))
    for line, fault in faulty + FAULTY_BYTES:
        code, _ = check(checker, schema, scratch / "faulty", [([good[0], line], None)])
        if code == 0:
            failures.append(f"accepted {fault}: {line}")

    for lines, exit_code, sound in RUNS:
        # A second, sound run keeps the collection from being empty.
        code, _ = check(checker, schema, scratch / "run", [(lines, exit_code), ([START], None)])
        if (code == 0) != sound:
            failures.append(f"{'rejected' if sound else 'accepted'} the run {lines} with exit code {exit_code}")

    code, _ = check(checker, schema, scratch / "empty", [([], None)])
    if code == 0:
        failures.append("accepted a collection without lines")

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

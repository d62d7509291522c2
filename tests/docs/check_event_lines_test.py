#!/usr/bin/env python3
"""The event-line check accepts every line kind the reference documents and
rejects each faulty line and each misshapen run on its own, so a schema that
lets a wrong key order, an unknown key or a wrong type through, or a run rule
that lets an end reason disagree with the exit code, fails here.

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


def check(checker, schema, folder, runs):
    """Runs the checker over a folder holding runs: [(lines, exit code or None)]."""
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    for number, (lines, exit_code) in enumerate(runs):
        (folder / f"run{number}.jsonl").write_text("".join(line + "\n" for line in lines), encoding="utf-8")
        if exit_code is not None:
            (folder / f"run{number}.exit").write_text(f"{exit_code}\n", encoding="ascii")
    result = subprocess.run([sys.executable, checker, schema, str(folder)], capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def main():
    checker, schema, samples, scratch = sys.argv[1:5]
    samples, scratch = pathlib.Path(samples), pathlib.Path(scratch)
    failures = []

    good = (samples / "every_line_kind.jsonl").read_text(encoding="utf-8").splitlines()
    code, output = check(checker, schema, scratch / "good", [(good, None)])
    if code != 0:
        failures.append(f"documented lines were rejected:\n{output}")

    for entry in (samples / "faulty_lines.txt").read_text(encoding="utf-8").splitlines():
        if entry.startswith("#") or not entry.strip():
            continue
        line, fault = entry.split("\t", 1)
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

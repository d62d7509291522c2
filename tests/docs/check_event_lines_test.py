#!/usr/bin/env python3
"""The event-line check accepts every line kind the reference documents and
rejects each faulty line on its own, so a schema that lets a wrong key order,
an unknown key or a wrong type through fails here.

    check_event_lines_test.py CHECKER SCHEMA SAMPLES-FOLDER SCRATCH
"""
import pathlib
import shutil
import subprocess
import sys


def run_check(checker, schema, folder, lines):
    shutil.rmtree(folder, ignore_errors=True)
    folder.mkdir(parents=True)
    (folder / "run.jsonl").write_text("".join(line + "\n" for line in lines), encoding="utf-8")
    result = subprocess.run([sys.executable, checker, schema, str(folder)], capture_output=True, text=True)
    return result.returncode, result.stdout + result.stderr


def main():
    checker, schema, samples, scratch = sys.argv[1:5]
    samples, scratch = pathlib.Path(samples), pathlib.Path(scratch)
    failures = []

    good = (samples / "every_line_kind.jsonl").read_text(encoding="utf-8").splitlines()
    code, output = run_check(checker, schema, scratch / "good", good)
    if code != 0:
        failures.append(f"documented lines were rejected:\n{output}")

    for entry in (samples / "faulty_lines.txt").read_text(encoding="utf-8").splitlines():
        if entry.startswith("#") or not entry.strip():
            continue
        line, fault = entry.split("\t", 1)
        code, output = run_check(checker, schema, scratch / "faulty", [good[0], line])
        if code == 0:
            failures.append(f"accepted {fault}: {line}")

    code, output = run_check(checker, schema, scratch / "empty", [])
    if code == 0:
        failures.append("accepted a collection without lines")

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

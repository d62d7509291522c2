#!/usr/bin/env python3
"""Proves that a crash or a hang of a test program always fails its test.

Runs the tests of crash_on_purpose.exe through CTest (a test folder of their
own) several rounds and expects, every round, the sound test to pass and every
other to fail with the report that names its exception or its wait.

    crashes_fail_check.py CTEST TEST-FOLDER ROUNDS
"""
import re
import subprocess
import sys

EXPECTED = {
    "CrashOnPurpose.SoundTestPasses": None,
    "CrashOnPurpose.AccessViolationOnTheMainThread":
        r"CRASH: exception 0xC0000005 .* in test CrashOnPurpose\.AccessViolationOnTheMainThread, "
        r"case row 7 of a table",
    "CrashOnPurpose.AbortAsALibraryAssertionDoes":
        r"CRASH: abort in test CrashOnPurpose\.AbortAsALibraryAssertionDoes",
    "CrashOnPurpose.TrapOnAnotherThread":
        r"CRASH: exception 0xC000001D .* in test CrashOnPurpose\.TrapOnAnotherThread",
    "CrashOnPurpose.ExceptionCodeEndingInZero":
        r"CRASH: exception 0xE0000100 .* in test CrashOnPurpose\.ExceptionCodeEndingInZero",
    "CrashOnPurpose.DeathBeforeMain":
        r"wine-run: \S*crash_on_purpose\.exe again ended with status \d+ before its main began",
    "CrashOnPurpose.HangPastTheDeadline":
        r"HANG: test CrashOnPurpose\.HangPastTheDeadline still running after \d+ s, "
        r"waiting for a sleep that never ends",
}


def main():
    ctest, folder, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
    problems = []
    for round_number in range(1, rounds + 1):
        run = subprocess.run([ctest, "--test-dir", folder, "-j2", "-V"],
                             capture_output=True, text=True, errors="replace")
        output = run.stdout + run.stderr
        for name, report in EXPECTED.items():
            verdict = re.search(r"Test +#\d+: " + re.escape(name) + r" \.+\W*(\S+)", output)
            if not verdict:
                problems.append(f"round {round_number}: {name}: no verdict from CTest")
                continue
            passed = verdict.group(1) == "Passed"
            if report is None and not passed:
                problems.append(f"round {round_number}: {name} should pass, CTest says {verdict.group(1)}")
            if report is not None and passed:
                problems.append(f"round {round_number}: {name} crashed or hung on purpose, yet CTest says Passed")
            if report is not None and not re.search(report, output):
                problems.append(f"round {round_number}: {name}: no report matching /{report}/")
        print(f"round {round_number}: CTest exit {run.returncode}")
    if problems:
        print(output)
        print("\n".join(problems))
        return 1
    print(f"{rounds} rounds: every crash and hang failed its test, with its report")
    return 0


if __name__ == "__main__":
    sys.exit(main())

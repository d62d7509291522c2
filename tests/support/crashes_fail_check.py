#!/usr/bin/env python3
"""Proves that a crash, a hang or an early end of a test program always fails its test.

Runs the tests of crash_on_purpose.exe through CTest (a test folder of their
own) several rounds and expects, every round, the sound test to pass and every
other to fail, with the report that names it in that test's own output.

    crashes_fail_check.py CTEST TEST-FOLDER ROUNDS
"""
import re
import subprocess
import sys

PROGRAM = r"\S*crash_on_purpose\.exe"
# Each test's report, and (for some) what must not be in its output.
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
    # A static initializer of its own died: failed at once, never run once more.
    "CrashOnPurpose.DeathBeforeMain":
        "wine-run: " + PROGRAM + r" died in its static initializers, before its main began",
    "CrashOnPurpose.HangBeforeTheFirstTest":
        r"HANG: still running \d+ s before the first test, waiting for a set-up that never ends",
    "CrashOnPurpose.CrashAfterTheLastTest":
        r"CRASH: exception 0xC0000005 .* after test CrashOnPurpose\.CrashAfterTheLastTest",
    "CrashOnPurpose.ExitPartWay":
        "wine-run: " + PROGRAM + r" ended with status \d+ in test CrashOnPurpose\.ExitPartWay, "
        r"before its tests finished",
    "CrashOnPurpose.QuickExitPartWay":
        "wine-run: " + PROGRAM + r" ended with status \d+ in test CrashOnPurpose\.QuickExitPartWay, "
        r"before its tests finished",
    "CrashOnPurpose.ExitProcessPartWay":
        "wine-run: " + PROGRAM + r" ended with status \d+ in test CrashOnPurpose\.ExitProcessPartWay, "
        r"before its tests finished",
    "CrashOnPurpose.TerminateSelfPartWay":
        "wine-run: " + PROGRAM + r" ended with status \d+ in test CrashOnPurpose\.TerminateSelfPartWay, "
        r"before its tests finished",
    "CrashOnPurpose.StackOverflowOnAWorkerThread":
        r"CRASH: exception 0xC00000FD .* in test CrashOnPurpose\.StackOverflowOnAWorkerThread",
    "CrashOnPurpose.FastFail":
        "wine-run: " + PROGRAM + r" ended with status \d+ in test CrashOnPurpose\.FastFail, "
        r"before its tests finished",
    "CrashOnPurpose.RaiseFailFastException":
        "wine-run: " + PROGRAM + r" ended with status \d+ in test CrashOnPurpose\.RaiseFailFastException, "
        r"before its tests finished",
    "CrashOnPurpose.CrashInAWindowProcedure":
        "wine-run: " + PROGRAM + r": Wine ignored an exception raised in a window procedure "
        r"in test CrashOnPurpose\.CrashInAWindowProcedure",
    # Only in the checked build, whose headers check copies into fixed buffers.
    "CrashOnPurpose.CopyPastAFixedBuffer":
        r"CRASH: exception 0xC000001D .* in test CrashOnPurpose\.CopyPastAFixedBuffer",
    "CrashOnPurpose.HangPastTheDeadline":
        r"HANG: test CrashOnPurpose\.HangPastTheDeadline still running after \d+ s, "
        r"waiting for a sleep that never ends",
}
ONLY_IN_SOME_BUILDS = {"CrashOnPurpose.CopyPastAFixedBuffer"}
# No test of these may be run once more: their program ran code of its own.
NEVER_RETRIED = r"it is run once more"


def outputs_by_test(output):
    """Each test's own lines of `ctest -V` output, which prefixes them with the test's number."""
    numbers = dict(re.findall(r"^\s*Start +(\d+): (\S+)", output, re.M))
    lines = {}
    for number, text in re.findall(r"^(\d+): (.*)$", output, re.M):
        name = numbers.get(number)
        if name:
            lines.setdefault(name, []).append(text)
    return {name: "\n".join(texts) for name, texts in lines.items()}


def main():
    ctest, folder, rounds = sys.argv[1], sys.argv[2], int(sys.argv[3])
    problems = []
    for round_number in range(1, rounds + 1):
        run = subprocess.run([ctest, "--test-dir", folder, "-j2", "-V"],
                             capture_output=True, text=True, errors="replace")
        output = run.stdout + run.stderr
        own = outputs_by_test(output)
        for name, report in EXPECTED.items():
            verdict = re.search(r"Test +#\d+: " + re.escape(name) + r" \.+\W*(\S+)", output)
            if not verdict and name in ONLY_IN_SOME_BUILDS:
                continue
            if not verdict:
                problems.append(f"round {round_number}: {name}: no verdict from CTest")
                continue
            passed = verdict.group(1) == "Passed"
            if report is None and not passed:
                problems.append(f"round {round_number}: {name} should pass, CTest says {verdict.group(1)}")
            if report is not None and passed:
                problems.append(f"round {round_number}: {name} failed on purpose, yet CTest says Passed")
            if report is not None and not re.search(report, own.get(name, "")):
                problems.append(f"round {round_number}: {name}: no report matching /{report}/ in its output")
            if re.search(NEVER_RETRIED, own.get(name, "")):
                problems.append(f"round {round_number}: {name} was run once more")
        print(f"round {round_number}: CTest exit {run.returncode}")
    if problems:
        print(output)
        print("\n".join(problems))
        return 1
    print(f"{rounds} rounds: every crash, hang and early end failed its test, with its report")
    return 0


if __name__ == "__main__":
    sys.exit(main())

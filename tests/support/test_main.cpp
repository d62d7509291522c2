// The main of every test program. Two things GoogleTest does not do for us
// under MinGW and Wine:
// - A crash must fail. GoogleTest built with MinGW catches no structured
//   exception, and under Wine the exit status the Linux side sees of a process
//   that dies of one is random (often 0). A filter reports the exception code
//   and the test that was running, then ends the process with TerminateProcess,
//   whose code Wine hands on exactly.
// - A test must not hang. A watchdog ends a test that runs past its deadline
//   (--test-deadline=SECONDS, which the build sets below the CTest timeout),
//   naming the test and what it was waiting for.
#include <windows.h>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "tests/support/test_guard.h"

namespace {

// Kept from the start: tests may point standard error at NUL to keep Wine's
// desktop process off our output, and the report must still reach CTest.
HANDLE reportHandle = INVALID_HANDLE_VALUE;
// Static buffers: the filter may run with little stack left and must not
// call into GoogleTest while another thread changes its state.
char runningTest[512] = "(no test started)";
HANDLE testStarted = nullptr;
DWORD deadlineMs = 0;

void Report(const char* text) {
  DWORD written = 0;
  WriteFile(reportHandle, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
  static char text[1024];
  const DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
  const void* address = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionAddress : nullptr;
  const char* caseNote = CaseNote::Current();
  snprintf(text, sizeof(text), "\nCRASH: exception 0x%08lX at %p on thread %lu in test %s%s%s\n",
           static_cast<unsigned long>(code), address, static_cast<unsigned long>(GetCurrentThreadId()), runningTest,
           caseNote[0] != '\0' ? ", case " : "", caseNote);
  Report(text);
  TerminateProcess(GetCurrentProcess(), TestFailureExitCode(code));
  return EXCEPTION_EXECUTE_HANDLER;
}

// abort() is no exception: a failed assertion of the C++ library ends here,
// and without this the process would leave with code 3 but no word of the test.
void ReportAbort(int) {
  static char text[1024];
  const char* caseNote = CaseNote::Current();
  snprintf(text, sizeof(text), "\nCRASH: abort in test %s%s%s\n", runningTest, caseNote[0] != '\0' ? ", case " : "",
           caseNote);
  Report(text);
  TerminateProcess(GetCurrentProcess(), 3);
}

DWORD WINAPI WatchTests(void*) {
  for (;;) {
    // Each start of a test gives the deadline afresh.
    if (WaitForSingleObject(testStarted, INFINITE) != WAIT_OBJECT_0) return 0;
    while (WaitForSingleObject(testStarted, deadlineMs) == WAIT_OBJECT_0) {
    }
    static char text[1024];
    snprintf(text, sizeof(text), "\nHANG: test %s still running after %lu s, waiting for %s\n", runningTest,
             static_cast<unsigned long>(deadlineMs / 1000), CurrentWait());
    Report(text);
    TerminateProcess(GetCurrentProcess(), kTestHungExitCode);
  }
}

class NoteRunningTest : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& test) override {
    snprintf(runningTest, sizeof(runningTest), "%s.%s", test.test_suite_name(), test.name());
    CaseNote::Clear();
    if (testStarted) SetEvent(testStarted);
  }
};

// Takes --test-deadline=SECONDS off the command line; 0 when absent.
DWORD TakeDeadline(int& argc, char** argv) {
  constexpr const char kFlag[] = "--test-deadline=";
  DWORD seconds = 0;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (strncmp(argv[i], kFlag, sizeof(kFlag) - 1) == 0) {
      seconds = static_cast<DWORD>(strtoul(argv[i] + sizeof(kFlag) - 1, nullptr, 10));
    } else {
      argv[kept++] = argv[i];
    }
  }
  argc = kept;
  argv[argc] = nullptr;
  return seconds;
}

}  // namespace

// tools/wine-run names a file in VANTOREL_STARTED_MARK: made here, first of
// all, it tells that Wine started this program and its main ran. A run that
// ends without it died before main (in Wine's start of the process, or in a
// static initializer, where no report of ours runs yet).
void MarkStarted() {
  // Narrow on purpose: tools/wine-run tells a test program by this name in its
  // bytes. The path is plain ASCII (a file in /tmp).
  static constexpr char kMarkVariable[] = "VANTOREL_STARTED_MARK";
  char path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableA(kMarkVariable, path, sizeof(path));
  if (length == 0 || length >= sizeof(path)) return;
  // Not for the programs this one starts: their main is not ours.
  SetEnvironmentVariableA(kMarkVariable, nullptr);
  const HANDLE mark = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (mark != INVALID_HANDLE_VALUE) CloseHandle(mark);
}

int main(int argc, char** argv) {
  MarkStarted();
  DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(), &reportHandle, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  SetUnhandledExceptionFilter(ReportCrash);
  signal(SIGABRT, ReportAbort);
  // No dialog and no debugger for a fault: the filter above has the last word.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

  const DWORD deadlineSeconds = TakeDeadline(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new NoteRunningTest);
  if (deadlineSeconds > 0) {
    deadlineMs = deadlineSeconds * 1000;
    testStarted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, WatchTests, nullptr, 0, nullptr));
  }
  return RUN_ALL_TESTS();
}

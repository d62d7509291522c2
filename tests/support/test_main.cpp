// The main of every test program. What GoogleTest does not do for us under
// MinGW and Wine:
// - A crash must fail. GoogleTest built with MinGW catches no structured
//   exception, and under Wine the exit status the Linux side sees of a process
//   that dies of one is random (often 0). A filter reports the exception code
//   and where it happened (in or after which test), then ends the process with
//   TerminateProcess, whose code Wine hands on exactly.
// - Nothing may hang. A watchdog, armed from main on, ends a program that
//   spends longer than its deadline (--test-deadline=SECONDS, which the build
//   sets below the CTest timeout) in one test or between tests, naming the
//   test and what it was waiting for.
// - An early end must fail. Each step goes to the progress file tools/wine-run
//   reads (progress_mark.h): a program that ends part-way, by exit(0),
//   ExitProcess(0) or a fail-fast that no filter sees, is failed there, with
//   the name of its test.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "tests/support/progress_mark.h"
#include "tests/support/test_guard.h"

namespace {

// Kept from the start: tests may point standard error at NUL to keep Wine's
// desktop process off our output, and the report must still reach CTest.
HANDLE reportHandle = INVALID_HANDLE_VALUE;
// Static buffers: the filter may run with little stack left and must not
// call into GoogleTest while another thread changes its state.
enum class Place { kBeforeFirstTest, kInTest, kAfterTest };
std::atomic<Place> place{Place::kBeforeFirstTest};
char testName[512] = "";
HANDLE testStepped = nullptr;
DWORD deadlineMs = 0;

// "in test Suite.Name", "after test Suite.Name" or "before the first test".
const char* DescribePlace() {
  static char text[600];
  switch (place.load()) {
    case Place::kInTest: snprintf(text, sizeof(text), "in test %s", testName); break;
    case Place::kAfterTest: snprintf(text, sizeof(text), "after test %s", testName); break;
    case Place::kBeforeFirstTest: snprintf(text, sizeof(text), "before the first test"); break;
  }
  return text;
}

void Report(const char* text) {
  DWORD written = 0;
  WriteFile(reportHandle, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
}

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* exception) {
  static char text[1024];
  const DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
  const void* address = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionAddress : nullptr;
  const char* caseNote = CaseNote::Current();
  snprintf(text, sizeof(text), "\nCRASH: exception 0x%08lX at %p on thread %lu %s%s%s\n",
           static_cast<unsigned long>(code), address, static_cast<unsigned long>(GetCurrentThreadId()), DescribePlace(),
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
  snprintf(text, sizeof(text), "\nCRASH: abort %s%s%s\n", DescribePlace(), caseNote[0] != '\0' ? ", case " : "", caseNote);
  Report(text);
  TerminateProcess(GetCurrentProcess(), 3);
}

DWORD WINAPI WatchTests(void*) {
  // Each start and end of a test gives the deadline afresh; it runs from main
  // on, so set-up before the first test and teardown after the last are held
  // to it too.
  while (WaitForSingleObject(testStepped, deadlineMs) == WAIT_OBJECT_0) {
  }
  static char text[1024];
  if (place.load() == Place::kInTest) {
    snprintf(text, sizeof(text), "\nHANG: test %s still running after %lu s, waiting for %s\n", testName,
             static_cast<unsigned long>(deadlineMs / 1000), CurrentWait());
  } else {
    snprintf(text, sizeof(text), "\nHANG: still running %lu s %s, waiting for %s\n",
             static_cast<unsigned long>(deadlineMs / 1000), DescribePlace(), CurrentWait());
  }
  Report(text);
  TerminateProcess(GetCurrentProcess(), kTestHungExitCode);
  return 0;
}

class NoteRunningTest : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo& test) override {
    snprintf(testName, sizeof(testName), "%s.%s", test.test_suite_name(), test.name());
    Step(Place::kInTest, "test");
  }
  void OnTestEnd(const testing::TestInfo&) override { Step(Place::kAfterTest, "after"); }

  static void Step(Place now, const char* progressStep) {
    place.store(now);
    CaseNote::Clear();
    MarkProgress(progressStep, testName);
    if (testStepped) SetEvent(testStepped);
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

int main(int argc, char** argv) {
  MarkProgress("main");
  DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE), GetCurrentProcess(), &reportHandle, 0, FALSE,
                  DUPLICATE_SAME_ACCESS);
  SetUnhandledExceptionFilter(ReportCrash);
  signal(SIGABRT, ReportAbort);
  // No dialog and no debugger for a fault: the filter above has the last word.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

  const DWORD deadlineSeconds = TakeDeadline(argc, argv);
  if (deadlineSeconds > 0) {
    deadlineMs = deadlineSeconds * 1000;
    testStepped = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CloseHandle(CreateThread(nullptr, 0, WatchTests, nullptr, 0, nullptr));
  }
  testing::InitGoogleTest(&argc, argv);
  testing::UnitTest::GetInstance()->listeners().Append(new NoteRunningTest);
  const int result = RUN_ALL_TESTS();
  MarkProgress("finished");
  return result;
}

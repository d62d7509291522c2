// Tests that die, hang or end early on purpose, each in its own way. They are
// never run with the suite's tests: crashes_fail_check.py runs them through
// CTest of their own and expects every one but the sound one to fail, with the
// report that names the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <thread>

#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include "tests/support/test_guard.h"

namespace {

// A write into reserved, uncommitted memory: a real access violation that no
// optimiser can prove away, unlike a write through a null pointer.
void WriteToReservedMemory() {
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  *static_cast<volatile int*>(reserved) = 1;
}

// What a trap of the checked build executes.
void Trap() {
#if defined(__GNUC__)
  __builtin_trap();
#else
  __ud2();
#endif
}

// Before main, where no report of ours runs yet and Wine gives the Linux side
// any status, 0 included. Asked for on the command line, so the other tests
// of this program start. Among the earliest constructors (only the test
// main's own progress mark, at 101, comes before), so that the death is told
// from a failed start only if that mark truly comes first.
struct DiesBeforeMain {
  DiesBeforeMain() {
    if (wcsstr(GetCommandLineW(), L"--die-before-main") != nullptr) WriteToReservedMemory();
  }
  bool constructed = true;
};
#if defined(__GNUC__)
__attribute__((init_priority(102)))
#endif
DiesBeforeMain diesBeforeMain;

// Outside every test, where the report must still say where the program was.
class DiesOutsideTests : public testing::Environment {
 public:
  void SetUp() override {
    if (wcsstr(GetCommandLineW(), L"--hang-before-tests") != nullptr) {
      WaitingFor waiting("a set-up that never ends");
      Sleep(INFINITE);
    }
  }
  void TearDown() override {
    if (wcsstr(GetCommandLineW(), L"--crash-after-tests") != nullptr) WriteToReservedMemory();
  }
};
const bool environmentAdded = [] {
  testing::AddGlobalTestEnvironment(new DiesOutsideTests);
  return true;
}();

// Read at each level, so the compiler sees no endless recursion to warn of.
volatile bool keepRecursing = true;

void Recurse(volatile char* below) {
  volatile char frame[4096];
  frame[0] = below != nullptr ? below[0] : 0;
  if (keepRecursing) Recurse(frame);
  // A use after the call, so the recursion cannot become a loop.
  frame[1] = frame[0];
}

LRESULT CALLBACK CrashingWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) WriteToReservedMemory();
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(CrashOnPurpose, SoundTestPasses) { SUCCEED(); }

TEST(CrashOnPurpose, DeathBeforeMain) { EXPECT_TRUE(diesBeforeMain.constructed); }

TEST(CrashOnPurpose, HangBeforeTheFirstTest) { EXPECT_TRUE(environmentAdded); }

TEST(CrashOnPurpose, CrashAfterTheLastTest) { EXPECT_TRUE(environmentAdded); }

// In the middle of a table, whose case the report names.
TEST(CrashOnPurpose, AccessViolationOnTheMainThread) {
  CaseNote::Set("row 7 of a table");
  WriteToReservedMemory();
}

// What a failed libstdc++ assertion of the checked build ends in.
TEST(CrashOnPurpose, AbortAsALibraryAssertionDoes) { std::abort(); }

TEST(CrashOnPurpose, TrapOnAnotherThread) {
  std::thread trapping(Trap);
  trapping.join();
}

// Its low byte is 0, which the Linux side alone would read as success.
TEST(CrashOnPurpose, ExceptionCodeEndingInZero) { RaiseException(0xE0000100, EXCEPTION_NONCONTINUABLE, 0, nullptr); }

// A program that ends part-way with status 0, by each way there is, must not
// pass for its status.
TEST(CrashOnPurpose, ExitPartWay) { exit(0); }
TEST(CrashOnPurpose, QuickExitPartWay) { _exit(0); }
TEST(CrashOnPurpose, ExitProcessPartWay) { ExitProcess(0); }
TEST(CrashOnPurpose, TerminateSelfPartWay) { TerminateProcess(GetCurrentProcess(), 0); }

TEST(CrashOnPurpose, StackOverflowOnAWorkerThread) {
  std::thread overflowing([] { Recurse(nullptr); });
  overflowing.join();
}

// A fail-fast ends the process without any filter of ours running.
TEST(CrashOnPurpose, FastFail) {
#if defined(_MSC_VER)
  __fastfail(FAST_FAIL_FATAL_APP_EXIT);
#else
  __asm__ volatile("int $0x29" : : "c"(FAST_FAIL_FATAL_APP_EXIT) : "memory");
#endif
}
TEST(CrashOnPurpose, RaiseFailFastException) { ::RaiseFailFastException(nullptr, nullptr, 0); }

// Wine calls WM_CREATE's window procedure through a user callback and
// swallows an exception raised there, so the test would go on and pass.
TEST(CrashOnPurpose, CrashInAWindowProcedure) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = CrashingWindowProcedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"CrashOnPurposeWindow";
  ASSERT_NE(RegisterClassW(&windowClass), 0);
  const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
  if (window != nullptr) DestroyWindow(window);
}

// The checked build's headers check a copy into a fixed buffer whose length
// only the running program knows. Only the checked build runs this case; there
// a build without the check skips it, which CTest counts as passed.
TEST(CrashOnPurpose, CopyPastAFixedBuffer) {
#if defined(_FORTIFY_SOURCE) && _FORTIFY_SOURCE > 0
  char target[8];
  const char source[] = "longer than the eight bytes of the target";
  volatile size_t length = sizeof(source);
  memcpy(target, source, length);
  EXPECT_EQ(target[0], 'l');
#else
  GTEST_SKIP() << "built without _FORTIFY_SOURCE";
#endif
}

TEST(CrashOnPurpose, HangPastTheDeadline) {
  WaitingFor waiting("a sleep that never ends");
  Sleep(INFINITE);
}

}  // namespace

// Tests that die on purpose, each in its own way. They are never run with the
// suite's tests: crashes_fail_check.py runs them through CTest of their own
// and expects every one but the sound one to fail, with its report.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
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
// of this program start.
const bool diesBeforeMain = [] {
  if (wcsstr(GetCommandLineW(), L"--die-before-main") != nullptr) WriteToReservedMemory();
  return false;
}();

TEST(CrashOnPurpose, SoundTestPasses) { SUCCEED(); }

TEST(CrashOnPurpose, DeathBeforeMain) { EXPECT_FALSE(diesBeforeMain); }

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

TEST(CrashOnPurpose, HangPastTheDeadline) {
  WaitingFor waiting("a sleep that never ends");
  Sleep(INFINITE);
}

}  // namespace

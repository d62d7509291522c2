#pragma once

#include <windows.h>

#include <atomic>

// What the common test main (test_main.cpp) needs to make a crash or a hang
// fail a test for certain, and what tests tell it about their waits.

// The exit code for a test program that died of an exception. Under Wine the
// Linux side sees only the low byte of an exit code: an exception code whose
// low byte is 0 would read as success, so such a code becomes 3, as abort's.
constexpr DWORD TestFailureExitCode(DWORD exceptionCode) {
  return (exceptionCode & 0xFF) != 0 ? exceptionCode : 3;
}

// The exit code of a test the watchdog ended, as timeout(1) gives.
constexpr DWORD kTestHungExitCode = 124;

// Names what the running test waits for while it is alive, so a hang is
// reported as "waiting for <what>". Waits nest; the innermost is named.
class WaitingFor {
 public:
  explicit WaitingFor(const char* what) : previous_(current_.exchange(what)) {}
  ~WaitingFor() { current_.store(previous_); }
  WaitingFor(const WaitingFor&) = delete;
  WaitingFor& operator=(const WaitingFor&) = delete;

  static const char* Current() {
    const char* what = current_.load();
    return what ? what : "nothing named (no bounded wait was running)";
  }

 private:
  static inline std::atomic<const char*> current_{nullptr};
  const char* previous_;
};

inline const char* CurrentWait() { return WaitingFor::Current(); }

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

// Names the case of a generated table a test is trying, so that a crash in
// the code under test reports it with the test ("... in test X, case seed
// 0x19a5eed case 1234") and the case can be replayed. Set by the test's own
// thread; cleared as each test starts.
class CaseNote {
 public:
  static void Set(const char* text) {
    size_t i = 0;
    for (; text[i] != '\0' && i + 1 < sizeof(text_); ++i) text_[i] = text[i];
    text_[i] = '\0';
  }
  static void Clear() { text_[0] = '\0'; }
  static const char* Current() { return text_; }

 private:
  static inline char text_[160] = "";
};

// The watchdog and the crash handler end the process themselves, so each runs
// in a process of its own, started with pipes as the host starts the bridge.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/probe_process.h"

namespace {

struct Outcome {
  DWORD exitCode = STILL_ACTIVE;
  std::vector<EventLine> lines;
  double seconds = 0;
};

Outcome RunScene(const wchar_t* scene) {
  Outcome outcome;
  ProbeProcess process;
  if (!process.Start(scene, StdinKind::Pipe, L"", L"storebridge_fault_runner.exe")) {
    ADD_FAILURE() << "could not start the fault runner";
    return outcome;
  }
  outcome.exitCode = process.WaitForExit(30000);
  outcome.seconds = process.Elapsed();
  outcome.lines = process.Lines();
  return outcome;
}

TEST(StoreBridgeEnding, WatchdogAndCrashHandlerEachPrintOneLineAndEndWithItsCode) {
  struct Case {
    const wchar_t* scene;
    const char* line;
    DWORD exitCode;
    double atLeastSeconds;
  };
  const Case cases[] = {
      // Wait 0.3 s plus grace 0.4 s in the runner.
      {L"hang", "ERROR:timeout", 6, 0.65},
      {L"hang-after-answer", "NOUPDATE", 1, 0.65},
      {L"late-answer", "ERROR:timeout", 6, 0.65},
      {L"crash", "ERROR:crash (0xC0000005)", 3, 0},
      {L"crash-after-answer", "ERROR:crash (0xE0001234)", 3, 0},
      {L"crash-after-print", "NOUPDATE", 3, 0},
      {L"crash-on-other-thread", "ERROR:crash (0xC0000005)", 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "scene " << std::string(c.scene, c.scene + wcslen(c.scene)));
    const Outcome outcome = RunScene(c.scene);
    EXPECT_EQ(outcome.exitCode, c.exitCode);
    ASSERT_EQ(outcome.lines.size(), 1u);
    EXPECT_EQ(outcome.lines[0].text, std::string(c.line) + "\r");
    EXPECT_GE(outcome.seconds, c.atLeastSeconds);
    EXPECT_LT(outcome.seconds, 20.0);
  }
}

}  // namespace

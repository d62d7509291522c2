// Out of memory for a tracing mode's shared state must come back as the trace
// error line and exit code 4, before any session starts: never a crash.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probe/core/exit_codes.h"
#include "probe/core/stop_control.h"
#include "probe/tracing/faults_mode.h"
#include "probe/tracing/frames_mode.h"
#include "probe/tracing/latency_mode.h"
#include "tests/probe/tracing/line_capture.h"
#include "tests/probe/tracing/replayed_run.h"
#include "tests/probe/tracing/trace_replay.h"
#include "tests/support/failing_allocation.h"

namespace {

DriverList NoDrivers() { return DriverList{}; }
DWORD NoOwner(DWORD) { return 0; }
DWORD NoForeground() { return 0; }
std::wstring NoName(DWORD) { return L""; }

// Catches a mode that goes on without its state (a crash in the callback or
// the sampler) or starts a session it then leaves running.
TEST(TracingAllocation, NoStateMeansOneErrorLineAndNoSession) {
  const struct Case {
    const char* name;
    int (*run)(const MonitorPlatform& platform);
  } cases[] = {
      {"latency", [](const MonitorPlatform& p) { return RunLatencyModeOn(Options{}, p, NoDrivers); }},
      {"faults", [](const MonitorPlatform& p) { return RunFaultsModeOn(Options{}, p, FaultsSources{NoOwner, NoName, GlobalMemoryStatusEx}); }},
      {"frames", [](const MonitorPlatform& p) { return RunFrames(Options{}, FramesPlatform{p, NoForeground, NoName}); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    stopFlag.store(kRunning);
    TraceReplay replay;
    const MonitorPlatform platform = PlayReplayedSeconds(replay, 1000, {});
    LineCapture capture;
    int code = 0;
    {
      FailAfter fail(0);
      code = c.run(platform);
    }
    const std::vector<std::string> lines = capture.Finish(code);
    EXPECT_EQ(code, kExitFailed);
    EXPECT_EQ(lines, std::vector<std::string>{R"({"event":"error","what":"trace","code":8})"});
    EXPECT_TRUE(replay.Calls().empty()) << "tracing was touched without the state its callback needs";
  }
}

}  // namespace

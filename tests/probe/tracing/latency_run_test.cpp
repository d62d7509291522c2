// The whole latency mode in-process against a replayed kernel trace: the
// sampler thread, the lock, the lines and the stop order run as they do for
// real; the clock advances one second per sleep.
#include <gtest/gtest.h>

#include <cwchar>
#include <deque>
#include <nlohmann/json.hpp>

#include "probe/core/exit_codes.h"
#include "probe/core/stop_control.h"
#include "probe/tracing/latency_mode.h"
#include "probe/tracing/latency_unit.h"
#include "probe/tracing/trace_clock.h"
#include "tests/probe/tracing/line_capture.h"
#include "tests/probe/tracing/replayed_run.h"
#include "tests/probe/tracing/trace_replay.h"

namespace {

constexpr uint64_t kFirstBase = 0xFFFFF80010000000ull;
constexpr uint64_t kDriverSpan = 0x200000;

DriverList ThreeHundredDrivers() {
  std::vector<DriverEntry> drivers;
  for (int i = 299; i >= 0; --i) {
    wchar_t name[32];
    swprintf(name, 32, L"drv%03d.sys", i);
    drivers.push_back({kFirstBase + static_cast<uint64_t>(i) * kDriverSpan, name,
                       std::wstring(L"\\SystemRoot\\System32\\drivers\\") + name});
  }
  return MakeDriverList(std::move(drivers));
}

uint64_t RoutineOf(int driver) { return kFirstBase + static_cast<uint64_t>(driver) * kDriverSpan + 0x1234; }

// A DPC or ISR of durationUs ending at the second's timestamp.
RecordedEvent Dpc(UCHAR opcode, double durationUs, uint64_t routine, LONGLONG stamp) {
  std::vector<uint8_t> payload;
  const LONGLONG ticks = static_cast<LONGLONG>(durationUs / (msPerTick * 1000.0) + 0.5);
  PutAt<int64_t>(payload, 0, stamp - ticks);
  PutAt<uint64_t>(payload, 8, routine);
  return MakeEvent(kPerfInfoGuid, opcode, 0, 0, 0, stamp, std::move(payload));
}

class LatencyRun : public ::testing::Test {
 protected:
  void SetUp() override {
    stopFlag.store(kRunning);
    SetMsPerTick();
    const LONGLONG base = 1000000000;
    platform = PlayReplayedSeconds(traceReplay, 5000000, {
        {Dpc(66, 600.0, RoutineOf(5), base), Dpc(50, 1500.0, RoutineOf(5) + 8, base + 10),
         Dpc(68, 50.0, 0x1, base + 20)},
        {},
        {Dpc(69, 2500.0, RoutineOf(299), base + 30), Dpc(67, 10.0, RoutineOf(0), base + 40)},
    });
  }
  void TearDown() override { stopFlag.store(kRunning); }

  int Run(double minutes, std::vector<nlohmann::json>& lines) {
    Options options;
    options.load = kModeLatency;
    options.minutes = minutes;
    LineCapture capture;
    const int code = RunLatencyModeOn(options, platform, ThreeHundredDrivers);
    AppendParsedLines(capture.Finish(code), lines);
    return code;
  }

  TraceReplay traceReplay;
  MonitorPlatform platform{};
};

// 0.05 minutes: three samples, the ranking after the second, the final
// ranking once the trace stopped, then "time" and exit 0.
TEST_F(LatencyRun, RunsForItsTimeWithSamplesAndRankings) {
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(0.05, lines), kExitDone);
  ASSERT_EQ(lines.size(), 7u);

  EXPECT_EQ(lines[0], nlohmann::json::parse(R"({"event":"start","latency":true,"drivers":300,"system":true})"));

  const nlohmann::json& first = lines[1];
  EXPECT_DOUBLE_EQ(first["t"].get<double>(), 1.0);
  EXPECT_NEAR(first["max"].get<double>(), 1500.0, 0.06);
  EXPECT_EQ(first["over"], 1);
  EXPECT_EQ(first["n"], 3);
  EXPECT_EQ(first["name"], "drv005.sys");
  EXPECT_EQ(first["path"], "\\SystemRoot\\System32\\drivers\\drv005.sys");

  EXPECT_EQ(lines[2], nlohmann::json::parse(R"({"t":2.00,"max":0.0,"over":0,"n":0,"name":"","path":""})"))
      << "an empty second";

  const nlohmann::json& periodic = lines[3];
  EXPECT_EQ(periodic["event"], "drivers");
  EXPECT_FALSE(periodic.contains("final"));
  ASSERT_EQ(periodic["list"].size(), 2u);
  EXPECT_EQ(periodic["list"][0]["name"], "drv005.sys");
  EXPECT_EQ(periodic["list"][0]["n"], 2);
  EXPECT_EQ(periodic["list"][0]["o5"], 2);
  EXPECT_EQ(periodic["list"][0]["o10"], 1);
  EXPECT_EQ(periodic["list"][0]["o20"], 0);
  EXPECT_EQ(periodic["list"][0]["isr"], true);
  // A 600 µs DPC, then a 1500 µs ISR: the worst and the sum, never one for the other.
  EXPECT_NEAR(periodic["list"][0]["max"].get<double>(), 1500.0, 0.06);
  EXPECT_NEAR(periodic["list"][0]["total"].get<double>(), 2100.0, 0.11);
  EXPECT_EQ(periodic["list"][1]["name"], "") << "unattributed events rank like any driver";

  EXPECT_DOUBLE_EQ(lines[4]["t"].get<double>(), 3.0);
  EXPECT_EQ(lines[4]["name"], "drv299.sys");

  const nlohmann::json& final = lines[5];
  EXPECT_EQ(final["event"], "drivers");
  EXPECT_EQ(final["final"], true);
  ASSERT_EQ(final["list"].size(), 4u);
  EXPECT_EQ(final["list"][0]["name"], "drv299.sys");
  EXPECT_EQ(final["list"][3]["name"], "drv000.sys");

  EXPECT_EQ(lines[6], nlohmann::json::parse(R"({"event":"end","reason":"time"})"));
  ExpectStoppedInOrder(traceReplay);
}

// "q" during the first second: no sample and no periodic ranking, but the
// events seen so far reach the final ranking; "stopped", exit 1.
TEST_F(LatencyRun, StopBeforeTheFirstSample) {
  replayedSeconds.stopDuringSleep = true;
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitStopped);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0]["event"], "start");
  EXPECT_EQ(lines[1]["event"], "drivers");
  EXPECT_EQ(lines[1]["final"], true);
  EXPECT_EQ(lines[1]["list"].size(), 2u);
  EXPECT_EQ(lines[2], nlohmann::json::parse(R"({"event":"end","reason":"stopped"})"));
  EXPECT_TRUE(traceReplay.ConsumerEnded());
}

// Catches a start line that names the private session whatever was obtained:
// "system" is true only while the private session runs.
TEST_F(LatencyRun, StartLineNamesTheSessionObtained) {
  const struct Case {
    const char* name;
    std::deque<ULONG> startResults;
    bool leftOver;
    bool system;
  } cases[] = {
      {"the private session", {}, false, true},
      {"a left-over private session taken back", {}, true, true},
      {"the private session refused, the kernel logger taken", {ERROR_NOT_SUPPORTED}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TraceReplay caseReplay;
    platform = PlayReplayedSeconds(caseReplay, 5000000, {});
    replayedSeconds.stopDuringSleep = true;
    stopFlag.store(kRunning);
    caseReplay.startResults = c.startResults;
    if (c.leftOver) caseReplay.running.insert(L"VantorelKernel");
    std::vector<nlohmann::json> lines;
    ASSERT_EQ(Run(1.0, lines), kExitStopped);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0]["event"], "start");
    EXPECT_EQ(lines[0]["system"], c.system);
    EXPECT_TRUE(caseReplay.Running().empty());
  }
}

// Catches a run that never starts its standard-input watcher: the host's "q"
// during the second second must end it before that second's sample.
TEST_F(LatencyRun, HostsQStopsTheRunThroughItsWatcher) {
  HostStdin host;
  platform = PlayReplayedSeconds(traceReplay, 5000000, {{}, {}, {}}, &host);
  replayedSeconds.quitAfter = 2;
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitStopped);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0]["event"], "start");
  EXPECT_DOUBLE_EQ(lines[1]["t"].get<double>(), 1.0);
  EXPECT_EQ(lines[2]["final"], true);
  EXPECT_EQ(lines[3], nlohmann::json::parse(R"({"event":"end","reason":"stopped"})"));
  EXPECT_TRUE(traceReplay.Running().empty());
  EXPECT_TRUE(traceReplay.ConsumerEnded());
}

// The private session is refused and another tool holds the kernel logger:
// only the error line, exit 4, and the other tool's session keeps running.
TEST_F(LatencyRun, KernelLoggerInUseFailsWithTheErrorLineOnly) {
  traceReplay.startResults = {ERROR_NOT_SUPPORTED};
  traceReplay.running.insert(L"NT Kernel Logger");
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitFailed);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], nlohmann::json::parse(R"({"event":"error","what":"trace","code":183})"));
  EXPECT_EQ(traceReplay.Running(), (std::set<std::wstring>{L"NT Kernel Logger"}));
}

}  // namespace

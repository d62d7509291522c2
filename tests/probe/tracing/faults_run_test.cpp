// The whole faults mode in-process against a replayed kernel trace.
#include <gtest/gtest.h>

#include <deque>

#include <nlohmann/json.hpp>

#include "probe/core/exit_codes.h"
#include "probe/core/stop_control.h"
#include "probe/tracing/faults_mode.h"
#include "probe/tracing/faults_unit.h"
#include "tests/probe/tracing/line_capture.h"
#include "tests/probe/tracing/replayed_run.h"
#include "tests/probe/tracing/trace_replay.h"

namespace {

DWORD OwnerOfThread(DWORD threadId) { return threadId == 55 ? 700 : 0; }
std::wstring NameOf(DWORD processId) {
  if (processId == 700) return L"quote\"back\\slash\x0001\xd800.exe";
  return L"p" + std::to_wstring(processId) + L".exe";
}

// A machine of 16 GiB with 5 GiB free and 69 % in use: three figures that
// cannot stand in for each other.
BOOL WINAPI FakeMemoryStatus(LPMEMORYSTATUSEX status) {
  status->dwMemoryLoad = 69;
  status->ullTotalPhys = 16384ull * 1048576;
  status->ullAvailPhys = 5120ull * 1048576;
  return TRUE;
}

// The kernel logs a hard fault from a thread of its own; the thread that
// faulted is the one in the payload.
constexpr uint32_t kLoggingThread = 99;

RecordedEvent Fault(ULONG processId, uint32_t threadId, uint32_t byteCount) {
  std::vector<uint8_t> payload;
  PutAt<uint64_t>(payload, 0, 1);
  PutAt<uint32_t>(payload, 32, threadId);
  PutAt<uint32_t>(payload, 36, byteCount);
  return MakeEvent(kPageFaultGuid, kHardFaultOpcode, 0, processId, kLoggingThread, 1000, std::move(payload));
}

class FaultsRun : public ::testing::Test {
 protected:
  void SetUp() override {
    stopFlag.store(kRunning);
    platform = PlayReplayedSeconds(traceReplay, 1000, {
        {Fault(100, 1, 1048576), Fault(100, 1, 1048576), Fault(0, 55, 0), Fault(4, 2, 4096)},
        {},
        {Fault(0xFFFFFFFF, 55, 2097152)},
    });
  }
  void TearDown() override { stopFlag.store(kRunning); }

  int Run(double minutes, std::vector<nlohmann::json>& lines) {
    Options options;
    options.load = kModeFaults;
    options.minutes = minutes;
    LineCapture capture;
    const int code = RunFaultsModeOn(options, platform, FaultsSources{OwnerOfThread, NameOf, FakeMemoryStatus});
    AppendParsedLines(capture.Finish(code), lines);
    return code;
  }

  TraceReplay traceReplay;
  MonitorPlatform platform{};
};

TEST_F(FaultsRun, RunsForItsTimeWithOneSampleASecond) {
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(0.05, lines), kExitDone);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0]["event"], "start");
  EXPECT_EQ(lines[0]["faults"], true);
  EXPECT_EQ(lines[0]["system"], true);
  EXPECT_EQ(lines[0]["total_mb"], 16384);

  const nlohmann::json& first = lines[1];
  EXPECT_DOUBLE_EQ(first["t"].get<double>(), 1.0);
  EXPECT_DOUBLE_EQ(first["mb"].get<double>(), 2.01) << "all faults of the second, in megabytes";
  EXPECT_EQ(first["mem"], 69);
  EXPECT_EQ(first["avail_mb"], 5120);
  ASSERT_EQ(first["p"].size(), 3u);
  EXPECT_EQ(first["p"][0], nlohmann::json::parse(R"([100,"p100.exe",2.000,2])"));
  EXPECT_EQ(first["p"][1][1], "system");
  EXPECT_EQ(first["p"][2][0], 700) << "a fault charged to no process goes to its thread's owner";
  EXPECT_EQ(first["p"][2][1], "quote\"back\\slash\x01\xef\xbf\xbd.exe");

  EXPECT_DOUBLE_EQ(lines[2]["mb"].get<double>(), 0.0);
  EXPECT_TRUE(lines[2]["p"].empty()) << "a second without faults lists nobody";
  EXPECT_EQ(lines[3]["p"], nlohmann::json::parse(R"([[700,"quote\"back\\slash\u0001\ufffd.exe",2.000,1]])"));
  EXPECT_DOUBLE_EQ(lines[3]["t"].get<double>(), 3.0);
  EXPECT_EQ(lines[4], nlohmann::json::parse(R"({"event":"end","reason":"time"})"));
  EXPECT_TRUE(traceReplay.ConsumerEnded());
  EXPECT_TRUE(traceReplay.Running().empty());
}

TEST_F(FaultsRun, StopBeforeTheFirstSample) {
  replayedSeconds.stopDuringSleep = true;
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitStopped);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["event"], "start");
  EXPECT_EQ(lines[1], nlohmann::json::parse(R"({"event":"end","reason":"stopped"})"));
  EXPECT_TRUE(traceReplay.ConsumerEnded());
}

// Catches a start line that names the private session whatever was obtained.
TEST_F(FaultsRun, StartLineNamesTheSessionObtained) {
  const struct Case {
    const char* name;
    std::deque<ULONG> startResults;
    bool system;
  } cases[] = {
      {"the private session", {}, true},
      {"the private session refused, the kernel logger taken", {ERROR_NOT_SUPPORTED}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TraceReplay caseReplay;
    platform = PlayReplayedSeconds(caseReplay, 1000, {});
    replayedSeconds.stopDuringSleep = true;
    stopFlag.store(kRunning);
    caseReplay.startResults = c.startResults;
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
TEST_F(FaultsRun, HostsQStopsTheRunThroughItsWatcher) {
  HostStdin host;
  platform = PlayReplayedSeconds(traceReplay, 1000, {{Fault(100, 1, 4096)}, {}, {}}, &host);
  replayedSeconds.quitAfter = 2;
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitStopped);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0]["event"], "start");
  EXPECT_EQ(lines[1]["p"], nlohmann::json::parse(R"([[100,"p100.exe",0.004,1]])"));
  EXPECT_EQ(lines[2], nlohmann::json::parse(R"({"event":"end","reason":"stopped"})"));
  ExpectStoppedInOrder(traceReplay);
}

// Both sessions refused for want of rights: "access" 5 and nothing else.
TEST_F(FaultsRun, NoRightsGiveTheAccessLineOnly) {
  traceReplay.startResults = {ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED};
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitFailed);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0], nlohmann::json::parse(R"({"event":"error","what":"access","code":5})"));
}

}  // namespace

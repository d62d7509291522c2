// The whole frame-time mode in-process against a replayed present stream: the
// consumer thread, the present callback, the lock, the sampler and the lines
// run as they do for real; each sleep hands over one second of presents and
// the clock advances one second.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "probe/core/exit_codes.h"
#include "probe/core/stop_control.h"
#include "probe/tracing/frames_mode.h"
#include "probe/tracing/present_table.h"
#include "probe/tracing/trace_clock.h"
#include "tests/probe/tracing/line_capture.h"
#include "tests/probe/tracing/replayed_run.h"
#include "tests/probe/tracing/trace_replay.h"
#include "tests/support/utf8.h"

namespace {

constexpr DWORD kGame = 4100;
constexpr DWORD kOtherGame = 4200;
constexpr DWORD kBrowser = 4300;
const std::wstring kHostileName = L"g\"a}\\m\x01\u00e9.exe";

// One second of the script: who is in front at the sample that ends it, and
// the presents that arrive during it.
struct Second {
  DWORD foreground = 0;
  std::vector<RecordedEvent> events;
};

TraceReplay* replay = nullptr;
DWORD fakeNow = 0;
DWORD fakeForeground = 0;
std::vector<Second> script;
size_t nextSecond = 0;
std::map<DWORD, int> nameLookups;
HostStdin* host = nullptr;  // set: the host's "q" goes through the mode's own watcher

DWORD FakeTick() { return fakeNow; }
DWORD FakeForeground() { return fakeForeground; }
std::wstring FakeImageName(DWORD processId) {
  ++nameLookups[processId];
  switch (processId) {
    case kGame:
      return kHostileName;
    case kOtherGame:
      return L"other.exe";
    case kBrowser:
      return L"firefox.exe";
  }
  return L"";
}
// The host writes "q" once the script has run out.
void FakeSleep(DWORD milliseconds) {
  if (nextSecond < script.size()) {
    EXPECT_TRUE(replay->Deliver(script[nextSecond].events, 5000));
    fakeForeground = script[nextSecond].foreground;
    ++nextSecond;
  } else if (host == nullptr) {
    RaiseStop(kStopRequested);
  } else if (!host->Quit()) {
    ADD_FAILURE() << "the host's q did not stop the run";
    RaiseStop(kStopRequested);
  }
  fakeNow += milliseconds;
}
void NoWatcher() {}

// Presents on the performance-counter scale, one stream per process.
struct PresentStream {
  DWORD processId;
  double atMs;
  GUID provider = kDxgiProvider;
  USHORT id = kDxgiPresentId;

  RecordedEvent Next(double afterMs) {
    atMs += afterMs;
    return MakeEvent(provider, 0, 0, processId, 1, static_cast<LONGLONG>(atMs / msPerTick + 0.5), {}, id);
  }
  void Add(std::vector<RecordedEvent>& events, int count, double intervalMs) {
    for (int i = 0; i < count; ++i) events.push_back(Next(intervalMs));
  }
};

class FramesRun : public ::testing::Test {
 protected:
  void SetUp() override {
    stopFlag.store(kRunning);
    replay = &traceReplay;
    fakeNow = 7'000'000;
    fakeForeground = 0;
    script.clear();
    nextSecond = 0;
    nameLookups.clear();
    host = nullptr;
    SetMsPerTick();
    platform = FramesPlatform{MonitorPlatform{traceReplay.Table(), FakeTick, FakeSleep, NoWatcher}, FakeForeground,
                              FakeImageName};
  }
  void TearDown() override { stopFlag.store(kRunning); }

  int Run(double minutes, std::vector<nlohmann::json>& lines, std::vector<std::string>* texts = nullptr) {
    Options options;
    options.load = kModeFrames;
    options.minutes = minutes;
    LineCapture capture;
    const int code = RunFrames(options, platform);
    const std::vector<std::string> captured = capture.Finish(code);
    AppendParsedLines(captured, lines);
    if (texts != nullptr) texts->insert(texts->end(), captured.begin(), captured.end());
    return code;
  }

  TraceReplay traceReplay;
  FramesPlatform platform{};
};

std::string MsText(const std::string& line) {
  const size_t open = line.find("\"ms\":[");
  return open == std::string::npos ? "" : line.substr(open + 6, line.size() - open - 6 - 2);
}

// The main road with several processes: one wait and the choice,
// the target kept when the focus moves, intervals in arrival order with two
// decimals from both providers, a silent second, "time" 3 s after the choice.
TEST_F(FramesRun, ChoosesTheGameAndReportsItsFrameTimes) {
  PresentStream game{kGame, 1000.0};
  PresentStream d3d9Game{kGame, 0.0, kD3d9Provider, kD3d9PresentId};
  PresentStream other{kOtherGame, 1000.0};
  PresentStream browser{kBrowser, 1000.0};
  std::vector<RecordedEvent> s1, s2, s3, s4;
  game.Add(s1, 30, 16.0);
  browser.Add(s1, 144, 6.9);
  game.Add(s2, 25, 16.0);
  other.Add(s2, 60, 16.6);
  // Third second: the target presents unevenly through both providers (55 and
  // D3D9 1 count, 43 does not) while the other game is in front.
  s3.push_back(game.Next(16.666));
  s3.push_back(game.Next(8.334));
  s3.push_back(MakeEvent(kDxgiProvider, 0, 0, kGame, 1, static_cast<LONGLONG>((game.atMs + 1.0) / msPerTick), {}, 43));
  game.id = kDxgiPresentMultiplaneId;
  s3.push_back(game.Next(33.3));
  d3d9Game.atMs = game.atMs;
  s3.push_back(d3d9Game.Next(0.004));
  other.Add(s3, 60, 16.6);
  script = {{kGame, s1}, {kGame, s2}, {kOtherGame, s3}, {kGame, s4}, {kGame, {}}, {kGame, {}}};

  std::vector<nlohmann::json> lines;
  std::vector<std::string> texts;
  ASSERT_EQ(Run(0.05, lines, &texts), kExitDone);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(texts[0], R"({"event":"start","frames":true})");
  EXPECT_EQ(texts[1], R"({"wait":true})");
  EXPECT_EQ(lines[2]["event"], "target");
  EXPECT_EQ(lines[2]["pid"], kGame);
  EXPECT_EQ(lines[2]["name"], ToUtf8(kHostileName));

  EXPECT_EQ(lines[3]["t"], 1.0);
  EXPECT_EQ(lines[3]["pid"], kGame);
  EXPECT_EQ(lines[3]["fg"], false) << "the target stays when the focus moves";
  EXPECT_EQ(MsText(texts[3]), "16.67,8.33,33.30,0.00");

  EXPECT_EQ(texts[4], "{\"t\":2.00,\"pid\":" + std::to_string(kGame) + ",\"fg\":true,\"ms\":[]}");
  EXPECT_EQ(lines[5]["t"], 3.0);
  EXPECT_EQ(MsText(texts[5]), "") << "the third second's intervals were reported in the first sample already";
  EXPECT_EQ(texts[6], R"({"event":"end","reason":"time"})");
  EXPECT_EQ(nameLookups[kBrowser], 0) << "not in front: never looked up";
  ExpectStoppedInOrder(traceReplay);
}

// Catches a cap that drops presents from the count or from the last present:
// the first interval after a capped second must be the real gap.
TEST_F(FramesRun, CapOf4000AndTheIntervalAfterIt) {
  PresentStream game{kGame, 1000.0};
  std::vector<RecordedEvent> s1, s2, s3, s4;
  game.Add(s1, 30, 20.0);
  game.Add(s2, 30, 20.0);
  game.Add(s3, 4500, 0.2);
  s4.push_back(game.Next(5.0));
  script = {{kGame, s1}, {kGame, s2}, {kGame, s3}, {kGame, s4}};

  std::vector<nlohmann::json> lines;
  std::vector<std::string> texts;
  ASSERT_EQ(Run(1.0, lines, &texts), kExitStopped);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[3]["ms"].size(), 4000u);
  EXPECT_EQ(MsText(texts[4]), "5.00");
  EXPECT_EQ(texts[5], R"({"event":"end","reason":"stopped"})");
}

// Catches a run that never ends for a target that stopped presenting, or ends
// at exactly 10 s.
TEST_F(FramesRun, GoneAfterMoreThanTenSilentSeconds) {
  PresentStream game{kGame, 1000.0};
  std::vector<RecordedEvent> s1, s2;
  game.Add(s1, 30, 20.0);
  game.Add(s2, 30, 20.0);
  script = {{kGame, s1}, {kGame, s2}};
  for (int i = 0; i < 20; ++i) script.push_back({kGame, {}});

  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitDone);
  // start, wait, target, 11 empty samples (the 11th is more than 10 s after the choice), end.
  ASSERT_EQ(lines.size(), 15u);
  EXPECT_EQ(lines[13]["t"], 11.0);
  EXPECT_TRUE(lines[13]["ms"].empty());
  EXPECT_EQ(lines[14], nlohmann::json::parse(R"({"event":"end","reason":"gone"})"));
  ExpectStoppedInOrder(traceReplay);
}

// Without a game in front the run waits until the host's "q", whatever the
// minutes say; programs of the exclusion table never qualify.
TEST_F(FramesRun, WaitsUntilStoppedWithoutAGame) {
  PresentStream browser{kBrowser, 1000.0};
  PresentStream game{kGame, 1000.0};
  for (int i = 0; i < 6; ++i) {
    Second second{kBrowser, {}};
    browser.Add(second.events, 144, 6.9);
    game.Add(second.events, 19, 50.0);  // in the background, and too slow
    script.push_back(std::move(second));
  }
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(0.05, lines), kExitStopped);
  ASSERT_EQ(lines.size(), 8u);
  for (size_t i = 1; i < 7; ++i) EXPECT_EQ(lines[i], nlohmann::json::parse(R"({"wait":true})")) << i;
  EXPECT_EQ(lines[7], nlohmann::json::parse(R"({"event":"end","reason":"stopped"})"));
  EXPECT_EQ(nameLookups[kBrowser], 1);
  ExpectStoppedInOrder(traceReplay);
}

// Catches a run that never starts its standard-input watcher: without a game
// the run lasts until the host's "q", which only the watcher can turn into a stop.
TEST_F(FramesRun, HostsQStopsTheRunThroughItsWatcher) {
  HostStdin hostStdin;
  host = &hostStdin;
  platform.monitor.startWatcher = StartStdinWatcher;
  script = {{0, {}}, {0, {}}};
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(0.05, lines), kExitStopped);
  host = nullptr;
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[1], nlohmann::json::parse(R"({"wait":true})"));
  EXPECT_EQ(lines[3], nlohmann::json::parse(R"({"event":"end","reason":"stopped"})"));
  EXPECT_TRUE(traceReplay.Running().empty());
  EXPECT_TRUE(traceReplay.ConsumerEnded());
}

// Catches idle records kept forever: after more than 30 s without presents the
// process is forgotten (its name too) and later met afresh.
TEST_F(FramesRun, IdleProcessForgottenAndSeenAfresh) {
  PresentStream game{kGame, 1000.0};
  Second first{kGame, {}};
  game.Add(first.events, 25, 20.0);
  script.push_back(std::move(first));
  for (int i = 0; i < 32; ++i) script.push_back({0, {}});
  for (int i = 0; i < 2; ++i) {
    Second back{kGame, {}};
    game.Add(back.events, 25, 20.0);
    script.push_back(std::move(back));
  }
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitStopped);
  ASSERT_EQ(lines.size(), 1u + 34u + 1u + 1u);
  EXPECT_EQ(lines[35]["event"], "target");
  EXPECT_EQ(nameLookups[kGame], 2) << "the name must be looked up again after the record was removed";
}

// Catches a stop flag that is read only after the first sample.
TEST_F(FramesRun, StopBeforeTheFirstSample) {
  RaiseStop(kStopRequested);
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitStopped);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0]["event"], "start");
  EXPECT_EQ(lines[1], nlohmann::json::parse(R"({"event":"end","reason":"stopped"})"));
  EXPECT_TRUE(traceReplay.Running().empty());
  EXPECT_TRUE(traceReplay.ConsumerEnded());
}

std::vector<TraceCallRecord> CallsOf(TraceReplay& replay, TraceCall kind) {
  std::vector<TraceCallRecord> calls;
  for (const TraceCallRecord& call : replay.Calls()) {
    if (call.kind == kind) calls.push_back(call);
  }
  return calls;
}

// The filtered enabling as the system receives it: version 2, one event-id
// filter of 8 bytes with the present ids, verbose, every keyword.
TEST_F(FramesRun, EnablesBothProvidersWithAnEventIdFilter) {
  std::vector<nlohmann::json> lines;
  ASSERT_EQ(Run(1.0, lines), kExitStopped);
  const std::vector<TraceCallRecord> enables = CallsOf(traceReplay, TraceCall::Enable);
  ASSERT_EQ(enables.size(), 2u);
  struct Expected {
    GUID provider;
    std::vector<uint8_t> filter;  // FilterIn, Reserved, Count, then two ids, little-endian
  } const expected[] = {
      {kDxgiProvider, {1, 0, 2, 0, 42, 0, 55, 0}},
      {kD3d9Provider, {1, 0, 1, 0, 1, 0, 0, 0}},
  };
  const TRACEHANDLE session = CallsOf(traceReplay, TraceCall::Control).back().handle;
  for (size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i == 0 ? "dxgi" : "d3d9");
    const TraceCallRecord& call = enables[i];
    EXPECT_TRUE(IsEqualGUID(call.provider, expected[i].provider));
    EXPECT_EQ(call.handle, session);
    EXPECT_EQ(call.controlCode, 1u);
    EXPECT_EQ(call.level, 5);
    EXPECT_EQ(call.anyKeyword, 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(call.allKeyword, 0u);
    EXPECT_EQ(call.timeout, 0u);
    ASSERT_TRUE(call.hasParameters);
    EXPECT_EQ(call.parameters.Version, 2u);
    EXPECT_EQ(call.parameters.EnableProperty, 0u);
    EXPECT_EQ(call.parameters.ControlFlags, 0u);
    EXPECT_EQ(call.parameters.FilterDescCount, 1u);
    ASSERT_EQ(call.filters.size(), 1u);
    EXPECT_EQ(call.filters[0].Type, 0x80000200u);
    EXPECT_EQ(call.filters[0].Size, 8u);
    EXPECT_EQ(call.filterBytes[0], expected[i].filter);
  }
}

// Catches a retry that is missing, repeated or keeps the filter, a single
// failing provider reported as a failure, and an error line for both failing
// that carries anything but the DXGI result or leaves the session running.
TEST_F(FramesRun, ProviderFailuresAndTheUnfilteredRetry) {
  struct Case {
    const char* name;
    std::deque<ULONG> enableResults;
    std::vector<bool> withParameters;  // per EnableTraceEx2 call, in order
    const char* firstLine;
    int exitCode;
  } const cases[] = {
      {"filter refused, the retry works", {ERROR_NOT_SUPPORTED, 0, 0}, {true, false, true},
       R"({"event":"start","frames":true})", kExitStopped},
      {"DXGI fails even unfiltered", {ERROR_NOT_SUPPORTED, ERROR_INVALID_PARAMETER, 0}, {true, false, true},
       R"({"event":"start","frames":true})", kExitStopped},
      {"Direct3D 9 fails even unfiltered", {0, ERROR_NOT_SUPPORTED, ERROR_ACCESS_DENIED}, {true, true, false},
       R"({"event":"start","frames":true})", kExitStopped},
      {"both fail", {ERROR_NOT_SUPPORTED, ERROR_ACCESS_DENIED, ERROR_NOT_SUPPORTED, 1450}, {true, false, true, false},
       R"({"event":"error","what":"trace","code":5})", kExitFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TraceReplay caseReplay;
    replay = &caseReplay;
    stopFlag.store(kRunning);
    platform.monitor.trace = caseReplay.Table();
    caseReplay.enableResults = c.enableResults;
    std::vector<nlohmann::json> lines;
    std::vector<std::string> texts;
    EXPECT_EQ(Run(1.0, lines, &texts), c.exitCode);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], c.firstLine);
    if (c.exitCode == kExitFailed) {
      EXPECT_EQ(texts.size(), 1u);
    }
    std::vector<bool> withParameters;
    for (const TraceCallRecord& call : CallsOf(caseReplay, TraceCall::Enable)) withParameters.push_back(call.hasParameters);
    EXPECT_EQ(withParameters, c.withParameters);
    EXPECT_TRUE(caseReplay.Running().empty()) << "the session must be stopped";
  }
  replay = &traceReplay;
}

// The set-up failures and their one line: a start without rights reads
// "access", everything after the start reads "trace" whatever the code, and
// a left-over session of our name is stopped and started afresh.
TEST_F(FramesRun, SessionAndConsumerFailures) {
  struct Case {
    const char* name;
    std::deque<ULONG> startResults;
    bool leftOver;
    bool openFails;
    DWORD openError;
    const char* firstLine;
  } const cases[] = {
      {"no rights", {ERROR_ACCESS_DENIED}, false, false, 0, R"({"event":"error","what":"access","code":5})"},
      {"start refused otherwise", {ERROR_NO_SYSTEM_RESOURCES}, false, false, 0,
       R"({"event":"error","what":"trace","code":1450})"},
      {"left over and refused again", {ERROR_ACCESS_DENIED}, true, false, 0,
       R"({"event":"error","what":"access","code":5})"},
      {"consumer refused with 5 (as Wine does)", {}, false, true, ERROR_ACCESS_DENIED,
       R"({"event":"error","what":"trace","code":5})"},
      {"consumer refused without a code", {}, false, true, 0, R"({"event":"error","what":"trace","code":31})"},
      {"left over, then runs", {}, true, false, 0, R"({"event":"start","frames":true})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TraceReplay caseReplay;
    replay = &caseReplay;
    stopFlag.store(kRunning);
    platform.monitor.trace = caseReplay.Table();
    caseReplay.startResults = c.startResults;
    if (c.leftOver) caseReplay.running.insert(kFrameTimesSessionName);
    caseReplay.openFails = c.openFails;
    caseReplay.openError = c.openError;
    std::vector<nlohmann::json> lines;
    std::vector<std::string> texts;
    const int code = Run(1.0, lines, &texts);
    ASSERT_FALSE(texts.empty());
    EXPECT_EQ(texts[0], c.firstLine);
    const bool started = texts[0] == R"({"event":"start","frames":true})";
    EXPECT_EQ(code, started ? kExitStopped : kExitFailed);
    if (!started) {
      EXPECT_EQ(texts.size(), 1u);
    }
    EXPECT_TRUE(caseReplay.Running().empty()) << "no session of ours may be left running";

    const std::vector<TraceCallRecord> starts = CallsOf(caseReplay, TraceCall::Start);
    ASSERT_EQ(starts.size(), c.leftOver ? 2u : 1u);
    for (const TraceCallRecord& start : starts) {
      EXPECT_EQ(start.name, kFrameTimesSessionName);
      const EVENT_TRACE_PROPERTIES& p = start.block.properties;
      EXPECT_EQ(p.Wnode.BufferSize, 248u);
      EXPECT_EQ(p.Wnode.Flags, 0x20000u);
      EXPECT_EQ(p.Wnode.ClientContext, 1u);
      EXPECT_TRUE(IsEqualGUID(p.Wnode.Guid, GUID{}));
      EXPECT_EQ(p.LogFileMode, 0x100u);
      EXPECT_EQ(p.FlushTimer, 1u);
      EXPECT_EQ(p.BufferSize, 64u);
      EXPECT_EQ(p.MinimumBuffers, 8u);
      EXPECT_EQ(p.MaximumBuffers, 64u);
      EXPECT_EQ(p.EnableFlags, 0u);
      EXPECT_EQ(p.LoggerNameOffset, 120u);
    }
    if (c.leftOver) {
      const TraceCallRecord byName = CallsOf(caseReplay, TraceCall::Control).front();
      EXPECT_EQ(byName.handle, 0u);
      EXPECT_EQ(byName.name, kFrameTimesSessionName);
      EXPECT_EQ(byName.controlCode, 1u);
    }
    if (c.openFails) {
      const std::vector<TraceCallRecord> opens = CallsOf(caseReplay, TraceCall::Open);
      ASSERT_EQ(opens.size(), 1u);
      EXPECT_EQ(opens[0].name, kFrameTimesSessionName);
      EXPECT_EQ(opens[0].processTraceMode, 0x10001100u);
      EXPECT_EQ(opens[0].callback, &PresentCallback);
    }
  }
  replay = &traceReplay;
}

}  // namespace

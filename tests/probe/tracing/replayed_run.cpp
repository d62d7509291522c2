#include "tests/probe/tracing/replayed_run.h"

#include <gtest/gtest.h>

#include "probe/core/stop_control.h"

ReplayedSeconds replayedSeconds;

namespace {

DWORD ReplayedTick() { return replayedSeconds.now; }

void ReplayedSleep(DWORD milliseconds) {
  ReplayedSeconds& script = replayedSeconds;
  if (script.next < script.seconds.size()) {
    EXPECT_TRUE(script.replay->Deliver(script.seconds[script.next++], 5000));
  }
  if (script.stopDuringSleep) RaiseStop(kStopRequested);
  script.now += milliseconds;
}

void NoWatcher() {}

}  // namespace

MonitorPlatform PlayReplayedSeconds(TraceReplay& replay, DWORD now, std::vector<std::vector<RecordedEvent>> seconds) {
  replayedSeconds = ReplayedSeconds{&replay, now, std::move(seconds)};
  return MonitorPlatform{replay.Table(), ReplayedTick, ReplayedSleep, NoWatcher};
}

void AppendParsedLines(const std::vector<std::string>& texts, std::vector<nlohmann::json>& lines) {
  for (const std::string& text : texts) {
    nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
    EXPECT_TRUE(parsed.is_object()) << text;
    lines.push_back(parsed);
  }
}

void ExpectStoppedInOrder(TraceReplay& replay) {
  const std::vector<TraceCall> kinds = replay.CallKinds(false);
  ASSERT_GE(kinds.size(), 2u);
  const std::vector<TraceCall> tail(kinds.end() - 2, kinds.end());
  EXPECT_EQ(tail, (std::vector<TraceCall>{TraceCall::Control, TraceCall::Close}));
  EXPECT_TRUE(replay.ConsumerEnded());
  EXPECT_TRUE(replay.Running().empty());
}

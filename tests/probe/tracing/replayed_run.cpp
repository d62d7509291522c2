#include "tests/probe/tracing/replayed_run.h"

#include <gtest/gtest.h>

#include <cstring>

#include "probe/core/stop_control.h"
#include "tests/support/test_guard.h"

ReplayedSeconds replayedSeconds;

HostStdin::HostStdin() {
  previous_ = GetStdHandle(STD_INPUT_HANDLE);
  CreatePipe(&read_, &write_, nullptr, 0);
  SetStdHandle(STD_INPUT_HANDLE, read_);
}

HostStdin::~HostStdin() {
  // A watcher still reading sees the end of input and raises the stop; wait for it.
  CloseHandle(write_);
  for (int waited = 0; waited < 2000 && !StopRaised(); waited += 10) Sleep(10);
  SetStdHandle(STD_INPUT_HANDLE, previous_);
  CloseHandle(read_);
}

bool HostStdin::Quit(const char* text, DWORD timeoutMs) {
  WaitingFor waiting("the run's watcher to take the host's q");
  DWORD written = 0;
  if (!WriteFile(write_, text, static_cast<DWORD>(strlen(text)), &written, nullptr)) return false;
  for (DWORD waited = 0; waited < timeoutMs; waited += 10) {
    if (StopRaised()) return true;
    Sleep(10);
  }
  return StopRaised();
}

namespace {

DWORD ReplayedTick() { return replayedSeconds.now; }

void ReplayedSleep(DWORD milliseconds) {
  ReplayedSeconds& script = replayedSeconds;
  if (script.next < script.seconds.size()) {
    EXPECT_TRUE(script.replay->Deliver(script.seconds[script.next++], 5000));
  }
  if (script.stopDuringSleep) RaiseStop(kStopRequested);
  if (script.host != nullptr && script.next == script.quitAfter) {
    // Only the mode's own watcher can turn the host's "q" into a stop.
    if (!script.host->Quit()) {
      ADD_FAILURE() << "the host's q did not stop the run";
      RaiseStop(kStopRequested);
    }
  }
  script.now += milliseconds;
}

void NoWatcher() {}

}  // namespace

MonitorPlatform PlayReplayedSeconds(TraceReplay& replay, DWORD now, std::vector<std::vector<RecordedEvent>> seconds,
                                    HostStdin* host) {
  replayedSeconds = ReplayedSeconds{&replay, now, std::move(seconds)};
  replayedSeconds.host = host;
  return MonitorPlatform{replay.Table(), ReplayedTick, ReplayedSleep, host != nullptr ? StartStdinWatcher : NoWatcher};
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

#pragma once

// The pieces a tracing mode's whole run in-process needs around the replay: a
// clock and a sleep that play a script of recorded seconds, and the parse of
// the lines the run wrote, and the check of its stop.
//
// How to use it:
//   TraceReplay traceReplay;
//   MonitorPlatform platform = PlayReplayedSeconds(traceReplay, 1000, {{MakeEvent(...)}, {}});
//   replayedSeconds.stopDuringSleep = true;   // the host's "q" during the first second
//   LineCapture capture; RunSomeModeOn(options, platform, ...);
//   AppendParsedLines(capture.Finish(), lines);

#include <windows.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "probe/tracing/monitor_platform.h"
#include "tests/probe/tracing/trace_replay.h"

// Each sleep hands the replay the next second of events (while any are left),
// raises the host's stop when asked, then moves the clock on by the time slept.
struct ReplayedSeconds {
  TraceReplay* replay = nullptr;
  DWORD now = 0;
  std::vector<std::vector<RecordedEvent>> seconds;
  size_t next = 0;
  bool stopDuringSleep = false;
};

// The one script being played; a plain global because the platform takes
// plain function pointers.
extern ReplayedSeconds replayedSeconds;

// Starts a script with the clock at now; the platform's trace is the replay's
// table, its tick and sleep play the script, it starts no watcher.
MonitorPlatform PlayReplayedSeconds(TraceReplay& replay, DWORD now, std::vector<std::vector<RecordedEvent>> seconds);

// Appends every text parsed; one that is not a JSON object fails the test
// (and is appended as the discarded value it parsed to).
void AppendParsedLines(const std::vector<std::string>& texts, std::vector<nlohmann::json>& lines);

// Stopped in order: the session, then the consumer, and its thread had ended
// before the run returned; no session is left running.
void ExpectStoppedInOrder(TraceReplay& replay);

#pragma once

// The pieces a tracing mode's whole run in-process needs around the replay: a
// clock and a sleep that play a script of recorded seconds, the host's end of
// standard input, the parse of the lines the run wrote, and the check of its stop.
//
// How to use it:
//   TraceReplay traceReplay;
//   MonitorPlatform platform = PlayReplayedSeconds(traceReplay, 1000, {{MakeEvent(...)}, {}});
//   replayedSeconds.stopDuringSleep = true;   // the host's "q" during the first second
//   LineCapture capture; RunSomeModeOn(options, platform, ...);
//   AppendParsedLines(capture.Finish(), lines);
// or, to stop the run through the mode's own standard-input watcher:
//   HostStdin host;                            // standard input is now a pipe we write
//   platform = PlayReplayedSeconds(traceReplay, 1000, {...}, &host);
//   replayedSeconds.quitAfter = 2;             // "q" during the second second: one sample

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "probe/tracing/monitor_platform.h"
#include "tests/probe/tracing/trace_replay.h"

// The host's end of the process's standard input while it lives: a pipe that
// the real watcher (StartStdinWatcher) reads as it reads the host's. At the
// end it closes its end and waits for a watcher still reading to let go, so
// no late stop reaches the next test.
class HostStdin {
 public:
  HostStdin();
  ~HostStdin();
  HostStdin(const HostStdin&) = delete;
  HostStdin& operator=(const HostStdin&) = delete;

  // Writes text as the host would and waits up to timeoutMs for the run's
  // stop flag; false when the run did not see it.
  bool Quit(const char* text = "q", DWORD timeoutMs = 5000);

 private:
  HANDLE read_ = nullptr;
  HANDLE write_ = nullptr;
  HANDLE previous_ = nullptr;
};

// Each sleep hands the replay the next second of events (while any are left),
// raises the host's stop when asked, then moves the clock on by the time slept.
struct ReplayedSeconds {
  TraceReplay* replay = nullptr;
  DWORD now = 0;
  std::vector<std::vector<RecordedEvent>> seconds;
  size_t next = 0;
  bool stopDuringSleep = false;
  // With a host: "q" in the sleep that delivered this many seconds, so the
  // run ends before that second's sample.
  HostStdin* host = nullptr;
  size_t quitAfter = SIZE_MAX;
};

// The one script being played; a plain global because the platform takes
// plain function pointers.
extern ReplayedSeconds replayedSeconds;

// Starts a script with the clock at now; the platform's trace is the replay's
// table, its tick and sleep play the script. Without a host it starts no
// watcher; with one, the real standard-input watcher.
MonitorPlatform PlayReplayedSeconds(TraceReplay& replay, DWORD now, std::vector<std::vector<RecordedEvent>> seconds,
                                    HostStdin* host = nullptr);

// Appends every text parsed; one that is not a JSON object fails the test
// (and is appended as the discarded value it parsed to).
void AppendParsedLines(const std::vector<std::string>& texts, std::vector<nlohmann::json>& lines);

// Stopped in order: the session, then the consumer, and its thread had ended
// before the run returned; no session is left running.
void ExpectStoppedInOrder(TraceReplay& replay);

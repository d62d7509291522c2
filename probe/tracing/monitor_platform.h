#pragma once

#include <windows.h>

#include "probe/core/options.h"
#include "probe/tracing/trace_api.h"

// What a tracing monitor's run takes from the system besides its events: the
// trace calls, the millisecond tick count, the sleep between samples and the
// standard-input watcher. RealMonitorPlatform() is production; a test swaps in
// a replay table, a clock it drives and a sleep that hands over the next
// second of recorded events, and runs the real mode function in-process.
struct MonitorPlatform {
  TraceApi trace;
  DWORD (*tick)();
  void (*sleep)(DWORD milliseconds);
  void (*startWatcher)();
};

MonitorPlatform RealMonitorPlatform();

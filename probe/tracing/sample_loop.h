#pragma once

#include <windows.h>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/sample_period.h"
#include "probe/core/stop_control.h"
#include "probe/tracing/monitor_platform.h"

// How a monitor's sampling ended: the word of its end line and the exit code.
struct SampleLoopEnd {
  const char* reason;
  int exitCode;
};

// One sample a second until the host stops us or the run's time is up.
// takeSample(elapsedMs) gets the milliseconds since the loop began; the sample
// that reaches the limit is still taken, then the loop ends with "time".
template <class TakeSample>
SampleLoopEnd RunSampleLoop(const MonitorPlatform& platform, double minutes, TakeSample takeSample) {
  const DWORD t0 = platform.tick();
  const DWORD limit = TimeLimitMs(minutes);
  while (!StopRaised()) {
    platform.sleep(kSamplePeriodMs);
    // A stop during the sleep ends the run without a sample of that second.
    if (StopRaised()) break;
    // cppcheck-suppress duplicateExpression ; two readings of the clock a second apart, not one value
    const DWORD elapsed = platform.tick() - t0;
    takeSample(elapsed);
    // cppcheck-suppress unsignedLessThanZero ; follows from the clock taken for one value above
    if (elapsed >= limit) return SampleLoopEnd{"time", kExitDone};
  }
  return SampleLoopEnd{"stopped", kExitStopped};
}

#pragma once

#include <cstdint>

#include "probe/core/options.h"
#include "probe/core/sample_period.h"

// The sample clock runs on the 32-bit millisecond tick count, which wraps
// after 49.7 days of uptime. Every comparison is made on the unsigned distance
// from the start tick, so a run that spans the wrap keeps its one-second grid
// and its length.
struct SampleClock {
  uint32_t startTick = 0;
  uint32_t nextSampleMs = kSamplePeriodMs;  // offset of the next due sample from the start
  uint32_t durationMs = 0;       // the truncation of minutes x 60,000
};

inline SampleClock StartSampleClock(uint32_t startTick, double minutes) {
  SampleClock clock;
  clock.startTick = startTick;
  clock.durationMs = TimeLimitMs(minutes);
  return clock;
}

inline uint32_t ElapsedMs(const SampleClock& clock, uint32_t now) { return now - clock.startTick; }

inline bool SampleDue(const SampleClock& clock, uint32_t now) { return ElapsedMs(clock, now) >= clock.nextSampleMs; }

// Samples stay on the grid from the start: after a delay the missed ones follow
// one per loop pass instead of the grid moving.
inline void AdvanceSample(SampleClock& clock) { clock.nextSampleMs += kSamplePeriodMs; }

inline bool RunTimeUp(const SampleClock& clock, uint32_t now) { return ElapsedMs(clock, now) >= clock.durationMs; }

inline double SecondsSinceStart(const SampleClock& clock, uint32_t now) { return ElapsedMs(clock, now) / 1000.0; }

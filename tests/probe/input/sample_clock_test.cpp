// The one-second grid and the run time on the wrapping 32-bit tick count.
#include "probe/input/sample_clock.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct SampledRun {
  std::vector<double> sampleSeconds;
  uint32_t endedAfterMs = 0;
};

// The mode's loop, one pass every stepMs ticks.
SampledRun Simulate(uint32_t startTick, double minutes, uint32_t stepMs) {
  SampleClock clock = StartSampleClock(startTick, minutes);
  SampledRun run;
  for (uint32_t passed = 0; passed < 200000; passed += stepMs) {
    const uint32_t now = startTick + passed;
    if (!SampleDue(clock, now)) continue;
    AdvanceSample(clock);
    run.sampleSeconds.push_back(SecondsSinceStart(clock, now));
    if (RunTimeUp(clock, now)) {
      run.endedAfterMs = passed;
      break;
    }
  }
  return run;
}

// A run that starts just before the tick count wraps must not write a burst of
// samples or end early, and its "t" keeps counting from its own start.
TEST(SampleClock, GridAndDurationAcrossTheWrap) {
  const struct Case {
    const char* name;
    uint32_t start;
  } cases[] = {
      {"no wrap", 5000},
      {"wraps mid-run", 0xFFFFFFFFu - 1500},
      {"wraps at the first tick", 0xFFFFFFFFu},
      {"due tick lands on zero", 0xFFFFFFFFu - 999},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SampledRun run = Simulate(c.start, 0.05, 20);
    EXPECT_EQ(run.sampleSeconds, std::vector<double>({1.0, 2.0, 3.0}));
    EXPECT_EQ(run.endedAfterMs, 3000u);
  }
}

// After a stall the missed samples follow one per pass, each on the grid's count.
TEST(SampleClock, MissedSamplesFollowOnePerPass) {
  SampleClock clock = StartSampleClock(0xFFFFF000u, 1.0);
  const uint32_t late = 0xFFFFF000u + 3500;
  int due = 0;
  while (SampleDue(clock, late)) {
    AdvanceSample(clock);
    ++due;
  }
  EXPECT_EQ(due, 3);
  EXPECT_FALSE(SampleDue(clock, late + 499));
  EXPECT_TRUE(SampleDue(clock, late + 500));
}

TEST(SampleClock, DurationIsTruncatedMinutes) {
  EXPECT_EQ(StartSampleClock(0, 0.05).durationMs, 3000u);
  EXPECT_EQ(StartSampleClock(0, 60.0).durationMs, 3600000u);
  EXPECT_EQ(StartSampleClock(0, 0.0166666).durationMs, 999u);
  // A run shorter than a second still writes its first sample, at 1 s, and ends there.
  const SampledRun run = Simulate(0, 0.0166666, 20);
  EXPECT_EQ(run.sampleSeconds, std::vector<double>({1.0}));
}

}  // namespace

// The percentile rule and the late/gap classification on exact intervals.
#include "probe/input/interval_stats.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Catches an index rounded the wrong way or not limited to the last value.
TEST(Percentile, IndexIsRoundedHalfUpAndLimited) {
  const struct Case {
    const char* name;
    std::vector<double> values;
    double q;
    double expected;
  } cases[] = {
      {"worked example, median", {1000, 1000, 9000, 1000}, 0.5, 1000},
      {"worked example, p10", {1000, 1000, 9000, 1000}, 0.1, 1000},
      {"worked example, p90", {1000, 1000, 9000, 1000}, 0.9, 9000},
      {"median of two is the larger", {7, 3}, 0.5, 7},
      {"p10 of two is the smaller", {7, 3}, 0.1, 3},
      {"one value", {42}, 0.9, 42},
      {"empty list", {}, 0.5, 0.0},
      {"fraction 1 stays on the last value", {1, 2, 3}, 1.0, 3},
      {"ten values, p90 is the ninth", {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, 0.9, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(Percentile(c.values, c.q), c.expected);
  }
}

// The 9,000 us interval among 1,000 us ones is both late and a gap.
TEST(MouseSummary, WorkedExample) {
  std::vector<double> intervals = {1000, 9000, 1000, 1000};
  const MouseSummary s = SummarizeMouseIntervals(intervals);
  EXPECT_DOUBLE_EQ(s.med, 1000);
  EXPECT_DOUBLE_EQ(s.p10, 1000);
  EXPECT_DOUBLE_EQ(s.p90, 9000);
  EXPECT_EQ(s.late, 1u);
  EXPECT_EQ(s.gaps, 1u);
}

// Each threshold on both sides, with the median chosen so that each of the two
// conditions of a rule is the one that decides.
TEST(MouseSummary, LateAndGapThresholds) {
  const struct Case {
    const char* name;
    double med;
    double m;
    uint32_t late;
    uint32_t gaps;
  } cases[] = {
      {"med + 1.5 ms decides, at it", 1000, 2500, 0, 0},
      {"med + 1.5 ms decides, past it", 1000, 2500.5, 1, 0},
      {"twice med decides, at it", 2000, 4000, 0, 0},
      {"twice med decides, past it", 2000, 4000.5, 1, 0},
      {"8 ms decides, at it", 500, 8000, 1, 0},
      {"8 ms decides, past it", 500, 8000.5, 1, 1},
      {"eight times med decides, at it", 2000, 16000, 1, 0},
      {"eight times med decides, past it", 2000, 16000.5, 1, 1},
      {"a short interval is neither", 1000, 10, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<double> intervals(9, c.med);
    intervals.push_back(c.m);
    const MouseSummary s = SummarizeMouseIntervals(intervals);
    ASSERT_DOUBLE_EQ(s.med, c.med);
    EXPECT_EQ(s.late, c.late);
    EXPECT_EQ(s.gaps, c.gaps);
  }
}

// The summaries sort once, in place; they must agree with the plain rule.
TEST(Summaries, AgreeWithThePlainPercentile) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(1, 99999);
  for (size_t n : {1u, 2u, 3u, 10u, 101u, 2000u}) {
    SCOPED_TRACE(n);
    std::vector<double> values(n);
    for (double& v : values) v = value(random);
    std::vector<double> mouse = values, repeat = values;
    const MouseSummary m = SummarizeMouseIntervals(mouse);
    const RepeatSummary r = SummarizeRepeatIntervals(repeat);
    for (const auto& [q, fromMouse, fromRepeat] :
         {std::tuple{0.5, m.med, r.med}, std::tuple{0.1, m.p10, r.p10}, std::tuple{0.9, m.p90, r.p90}}) {
      EXPECT_EQ(fromMouse, Percentile(values, q)) << q;
      EXPECT_EQ(fromRepeat, Percentile(values, q)) << q;
    }
  }
  std::vector<double> none;
  const MouseSummary empty = SummarizeMouseIntervals(none);
  EXPECT_EQ(empty.med, 0.0);
  EXPECT_EQ(empty.late + empty.gaps, 0u);
}

}  // namespace

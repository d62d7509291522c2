#include "probe/stress/cpu_stress_unit.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The reference rounds the product before the sum; volatile keeps this test's
// own compiler from fusing it.
double TwoRoundings(double x) {
  volatile double product = x * 0.9999999;
  return product + 1e-7;
}

// A fused build of the worker would round once and fail here.
TEST(StressUnit, EveryIterationRoundsTwice) {
  StressAccumulators acc = InitialAccumulators(3);
  StressAccumulators expected = acc;
  StressAccumulators fused = acc;
  const int32_t iterations = 4096;
  RunStressIterations(acc, iterations);
  for (int32_t i = 0; i < iterations; ++i) {
    for (int k = 0; k < kStressAccumulators; ++k) {
      expected.x[k] = TwoRoundings(expected.x[k]);
      fused.x[k] = std::fma(fused.x[k], 0.9999999, 1e-7);
    }
  }
  bool fusedDiffers = false;
  for (int k = 0; k < kStressAccumulators; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(acc.x[k], expected.x[k]);
    fusedDiffers = fusedDiffers || fused.x[k] != expected.x[k];
  }
  EXPECT_TRUE(fusedDiffers) << "this check could not tell a fused build apart";
}

TEST(StressUnit, StartValuesDependOnIndexModulo8) {
  const StressAccumulators first = InitialAccumulators(0);
  EXPECT_EQ(first.x[0], 1.0);
  EXPECT_EQ(InitialAccumulators(5).x[0], 1.0 + 5 * 0.001);
  for (int k = 0; k < kStressAccumulators; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(InitialAccumulators(8).x[k], first.x[k]);
  }
  const double rest[] = {1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.7};
  for (int k = 1; k < kStressAccumulators; ++k) EXPECT_EQ(first.x[k], rest[k - 1]);
}

// A full unit drifts toward 1.0 and stays a normal number.
TEST(StressUnit, UnitStaysFiniteAndDriftsTowardOne) {
  StressAccumulators acc = InitialAccumulators(7);
  for (int unit = 0; unit < 4; ++unit) RunStressIterations(acc, kStressUnitIterations);
  for (double x : acc.x) {
    EXPECT_TRUE(std::isnormal(x));
    EXPECT_GT(x, 1.0);
    EXPECT_LT(x, 1.7);
  }
}

TEST(StressUnit, WorkerCount) {
  const struct {
    uint32_t reported, workers;
  } cases[] = {{0, 1}, {1, 1}, {2, 2}, {255, 255}, {256, 256}, {257, 256}, {1024, 256}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reported);
    EXPECT_EQ(StressWorkerCount(c.reported), c.workers);
  }
}

}  // namespace

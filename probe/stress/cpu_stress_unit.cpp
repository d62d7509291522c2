#include "probe/stress/cpu_stress_unit.h"

StressAccumulators InitialAccumulators(uint32_t workerIndex) {
  return {{1.0 + (workerIndex % 8) * 0.001, 1.1, 1.2, 1.3, 1.4, 1.5, 1.6, 1.7}};
}

void RunStressIterations(StressAccumulators& acc, int32_t iterations) {
  constexpr double kFactor = 0.9999999;
  constexpr double kStep = 1e-7;
  // Eight independent chains in registers; this file is built without
  // contraction, so no multiply-add is fused.
  double a0 = acc.x[0], a1 = acc.x[1], a2 = acc.x[2], a3 = acc.x[3];
  double a4 = acc.x[4], a5 = acc.x[5], a6 = acc.x[6], a7 = acc.x[7];
  for (int32_t i = 0; i < iterations; ++i) {
    a0 = a0 * kFactor + kStep;
    a1 = a1 * kFactor + kStep;
    a2 = a2 * kFactor + kStep;
    a3 = a3 * kFactor + kStep;
    a4 = a4 * kFactor + kStep;
    a5 = a5 * kFactor + kStep;
    a6 = a6 * kFactor + kStep;
    a7 = a7 * kFactor + kStep;
  }
  acc = {{a0, a1, a2, a3, a4, a5, a6, a7}};
}

double AccumulatorSum(const StressAccumulators& acc) {
  double sum = 0.0;
  for (double value : acc.x) sum += value;
  return sum;
}

uint32_t StressWorkerCount(uint32_t reportedProcessors) {
  if (reportedProcessors == 0) return 1;
  if (reportedProcessors > kMaxStressWorkers) return kMaxStressWorkers;
  return reportedProcessors;
}

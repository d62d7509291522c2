#pragma once

#include <cstdint>

// The processor stress arithmetic, kept free of threads so the benchmark's
// native build and the tests run exactly what the workers run.

constexpr int kStressAccumulators = 8;
constexpr int32_t kStressUnitIterations = 1 << 20;
constexpr uint32_t kMaxStressWorkers = 256;

struct StressAccumulators {
  double x[kStressAccumulators];
};

// Accumulator 1 depends on the worker index modulo 8; the others are fixed.
StressAccumulators InitialAccumulators(uint32_t workerIndex);

// x <- x * 0.9999999 + 1e-7 on all eight, iterations times, rounding after the
// multiply and again after the add.
void RunStressIterations(StressAccumulators& acc, int32_t iterations);

double AccumulatorSum(const StressAccumulators& acc);

// The reported logical processor count, at least 1 and at most 256.
uint32_t StressWorkerCount(uint32_t reportedProcessors);

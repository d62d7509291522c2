#pragma once

#include <cstdint>

#include "probe/stress/processor_features.h"

// The forms of the pattern write and verify, best last. All give exactly the
// values of PatternValue; the plain form is the reference and the fall-back.
enum class PatternKernel { kPlain, kSse2, kAvx2, kAvx512 };

bool PatternKernelRuns(PatternKernel kernel, const ProcessorFeatures& features);

// The fastest form the features allow.
PatternKernel ChoosePatternKernel(const ProcessorFeatures& features);

// The form this machine runs, chosen on first use.
PatternKernel MachinePatternKernel();

const char* PatternKernelName(PatternKernel kernel);  // "plain", "sse2", "avx2", "avx512"

// WritePattern and CountPatternErrors of memory_test_unit.h in the given form,
// which the caller has checked with PatternKernelRuns.
void WritePattern(PatternKernel kernel, uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                  uint64_t seed);
uint64_t CountPatternErrors(PatternKernel kernel, const uint64_t* words, uint64_t count, uint64_t firstIndex,
                            int32_t pass, uint64_t seed);

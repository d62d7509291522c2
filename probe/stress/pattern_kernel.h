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

// How a vector form stores the pattern: plain stores, or streaming stores that
// skip reading each line into the caches first. Which fills a block larger than
// the caches faster depends on the machine, so the memory test times both.
enum class PatternStores { kPlain, kStreaming };
const char* PatternStoresName(PatternStores stores);  // "plain", "streaming"

// WritePattern and CountPatternErrors of memory_test_unit.h in the given form,
// which the caller has checked with PatternKernelRuns; plain stores unless told.
void WritePattern(PatternKernel kernel, PatternStores stores, uint64_t* words, uint64_t count, uint64_t firstIndex,
                  int32_t pass, uint64_t seed);
void WritePattern(PatternKernel kernel, uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                  uint64_t seed);
uint64_t CountPatternErrors(PatternKernel kernel, const uint64_t* words, uint64_t count, uint64_t firstIndex,
                            int32_t pass, uint64_t seed);

// The best (shortest) time of one write of the trial's words with each kind of
// stores, indexed by PatternStores; 0 when not timed.
struct PatternStoreTrial {
  double bestSeconds[2] = {};
};

// Writes the words (the first pass's pattern, as the test would) with plain
// and with streaming stores in turn, rounds times, keeping each one's best
// time. The words must have been touched once, so no first-touch cost is timed.
constexpr int kPatternStoreTrialRounds = 5;
PatternStoreTrial TimePatternStores(PatternKernel kernel, uint64_t* words, uint64_t count, double (*now)(),
                                    int rounds = kPatternStoreTrialRounds);

// The faster stores by the trial; plain when neither was timed.
PatternStores ChooseFasterStores(const PatternStoreTrial& trial);

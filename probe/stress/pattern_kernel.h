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
// skip reading each line into the caches first.
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

// Streaming stores when the block is larger than the last-level cache (0 when
// unknown: no cache is as large as the smallest block), plain stores otherwise.
// Beyond the cache, a plain store first reads the line it overwrites from
// memory and later writes it back, so the memory carries every byte twice; a
// streaming store carries it once. A short timed trial of both, on the block
// and on all threads, gave no stable answer on a busy machine (a trial of a
// few milliseconds mostly times the waiting), while whole phases wrote at 0.8
// of memset with plain stores and at memset's speed or above with streaming.
PatternStores StoresForBlock(uint64_t blockBytes, uint64_t lastLevelCacheBytes);

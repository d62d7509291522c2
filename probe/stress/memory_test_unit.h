#pragma once

#include <cstdint>

// The memory test's arithmetic, kept free of threads and Windows so the tests
// and the native benchmark run exactly what the workers run.

constexpr uint64_t kMiB = 1024ull * 1024;
constexpr uint64_t kGiB = 1024 * kMiB;

constexpr uint64_t kTooLittleAvail = 768 * kMiB;  // at or below this, no test
constexpr uint64_t kMinBlockBytes = 256 * kMiB;
constexpr uint64_t kMaxBlockBytes = 64 * kGiB;
constexpr uint64_t kBlockGranule = 64 * kMiB;
constexpr uint64_t kChunkWords = 131072;  // 1 MiB; progress and stop checks per chunk
constexpr uint32_t kMaxMemoryThreads = 64;  // one WaitForMultipleObjects call

// Three quarters of the available physical memory less 256 MiB, at most
// 64 GiB, in whole 64 MiB; 0 when 768 MiB or less is available.
uint64_t MemoryBlockSize(uint64_t availPhys);

// The next size to try after an allocation failed: half, in whole 64 MiB;
// 0 when that is below 256 MiB (give up).
uint64_t HalvedBlockSize(uint64_t size);

// Logical processors, at least 1 and at most 64.
uint32_t MemoryThreadCount(uint32_t reportedProcessors);

// Each pass writes and verifies with its own seed: (pass + 1) * 0x5EED.
uint64_t PatternSeed(int32_t pass);

// v(e): the value word e holds during pass (the kind cycles every four passes).
uint64_t PatternValue(uint64_t wordIndex, int32_t pass, uint64_t seed);

// The plain forms of the pattern write and verify, the reference for the
// vector forms of pattern_kernel.h and their fall-back.
// Stores v(e) for count words starting at block word firstIndex.
void WritePattern(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed);

// Number of the count words that do not hold v(e), each word judged by its
// one read.
uint64_t CountPatternErrors(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                            uint64_t seed);

// One thread's share of the block: words / threads each in index order, the
// last thread also takes the remainder.
struct Slice {
  uint64_t firstWord;
  uint64_t words;
};
Slice SliceOf(uint64_t totalWords, uint32_t threads, uint32_t index);

// When some workers of a phase could not be created, the created ones take
// over the missing slices next to them, so the whole block is still written
// and a later verify finds no words that were never written. created[i] says
// whether worker i exists; covered[i] receives its range (words 0 for a
// missing worker). Returns false when no worker exists at all.
bool CoverBlock(uint64_t totalWords, uint32_t threads, const bool* created, Slice* covered);

// Tries size, then each halved size down to 256 MiB, with allocate(bytes)
// returning null on failure. Leaves the size obtained in size (0 when none).
template <typename Allocate>
void* AllocateHalving(uint64_t& size, Allocate allocate) {
  while (size >= kMinBlockBytes) {
    if (void* block = allocate(size)) return block;
    size = HalvedBlockSize(size);
  }
  size = 0;
  return nullptr;
}

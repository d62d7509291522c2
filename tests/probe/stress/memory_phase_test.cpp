// One phase of the memory test on a small block, with real worker threads.
#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "probe/stress/memory_test.h"
#include "probe/stress/memory_test_unit.h"
#include "tests/support/unique_handle.h"

namespace {

// Which workers the fake creator refuses, and the threads it did create.
std::set<uint32_t> refused;
uint32_t calls = 0;
std::vector<UniqueHandle> createdThreads;

HANDLE CreateUnlessRefused(LPTHREAD_START_ROUTINE routine, void* job) {
  const uint32_t index = calls++;
  if (refused.count(index) != 0) return nullptr;
  HANDLE thread = CreateThread(nullptr, 0, routine, job, CREATE_SUSPENDED, nullptr);
  HANDLE copy = nullptr;
  DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
  createdThreads.emplace_back(copy);
  return thread;
}

int waits = 0;
void CountWait(void*) { ++waits; }

// Runs one phase and checks that no created worker outlives it.
bool RunPhase(std::vector<uint64_t>& block, uint32_t threads, int32_t pass, bool verify) {
  calls = 0;
  createdThreads.clear();
  waits = 0;
  const PhaseSetup setup{block.data(), block.size(), threads, pass, verify};
  const bool ran = RunMemoryPhase(setup, CreateUnlessRefused, CountWait, nullptr);
  EXPECT_EQ(calls, threads);
  EXPECT_GE(waits, 1) << "no sample after the phase";
  for (const UniqueHandle& thread : createdThreads) {
    EXPECT_EQ(WaitForSingleObject(thread.Get(), 0), WAIT_OBJECT_0) << "a worker still ran after its phase";
  }
  return ran;
}

// Workers that cannot be created leave their slices to the created ones:
// the whole block is written, the verify finds no error, and the phase ends
// only after every created worker returned.
TEST(MemoryPhase, MissingWorkersLeaveNoGapAndNoFalseErrors) {
  const uint64_t words = 4 * 131072 + 777;  // several chunks per worker
  const struct Case {
    const char* name;
    uint32_t threads;
    std::set<uint32_t> refused;
  } cases[] = {
      {"all created", 6, {}},
      {"first missing", 6, {0}},
      {"last missing", 6, {5}},
      {"every other missing", 6, {0, 2, 4}},
      {"only the middle one", 6, {0, 1, 2, 4, 5}},
      {"one thread", 1, {}},
      {"sixty-four threads, some missing", 64, {0, 1, 30, 63}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    refused = c.refused;
    std::vector<uint64_t> block(words, 0);
    const int64_t errorsBefore = MemoryErrorCount();

    ASSERT_TRUE(RunPhase(block, c.threads, 0, false));
    EXPECT_EQ(MemoryPhaseProgress(), static_cast<int64_t>(words * 8)) << "words written twice or not at all";
    EXPECT_EQ(CountPatternErrors(block.data(), words, 0, 0, PatternSeed(0)), 0u) << "part of the block unwritten";

    ASSERT_TRUE(RunPhase(block, c.threads, 0, true));
    EXPECT_EQ(MemoryPhaseProgress(), static_cast<int64_t>(words * 8));
    EXPECT_EQ(MemoryErrorCount(), errorsBefore) << "a verify reported errors in sound memory";
  }
  refused.clear();
}

// With no worker at all the phase touches nothing and says so.
TEST(MemoryPhase, NoWorkerAtAll) {
  refused = {0, 1, 2};
  std::vector<uint64_t> block(1000, 7);
  EXPECT_FALSE(RunPhase(block, 3, 0, false));
  EXPECT_EQ(MemoryPhaseProgress(), 0);
  for (uint64_t word : block) ASSERT_EQ(word, 7u);
  refused.clear();
}

// The verify phase adds the changed words of every worker to the counter.
TEST(MemoryPhase, VerifyAddsChangedWordsFromEveryWorker) {
  refused.clear();
  const uint64_t words = 3 * 131072 + 11;
  for (int32_t pass = 0; pass < 4; ++pass) {
    SCOPED_TRACE(testing::Message() << "pass " << pass);
    std::vector<uint64_t> block(words);
    ASSERT_TRUE(RunPhase(block, 4, pass, false));
    const uint64_t changed[] = {0, 98304, 98305, 131072, words - 1};  // across slices and chunks
    for (uint64_t word : changed) block[word] ^= 1ull << (word % 64);
    const int64_t before = MemoryErrorCount();
    ASSERT_TRUE(RunPhase(block, 4, pass, true));
    EXPECT_EQ(MemoryErrorCount() - before, static_cast<int64_t>(std::size(changed)));
  }
}

}  // namespace

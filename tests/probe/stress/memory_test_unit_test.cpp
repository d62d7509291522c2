#include "probe/stress/memory_test_unit.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MemoryBlock, SizeFromAvailableMemory) {
  const struct Case {
    uint64_t avail, size;
  } cases[] = {
      {700 * kMiB, 0},
      {768 * kMiB, 0},
      {768 * kMiB + 1, 320 * kMiB},       // the smallest block a run can get
      {1 * kGiB, 512 * kMiB},
      {1 * kGiB + 100 * kMiB, 576 * kMiB},  // 587 MiB rounds down to whole 64 MiB
      {2 * kGiB, 1280 * kMiB},
      {100 * kGiB, 64 * kGiB},
      {~0ull, 64 * kGiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "avail " << c.avail);
    EXPECT_EQ(MemoryBlockSize(c.avail), c.size);
  }
}

// A failed allocation halves the size in whole 64 MiB and gives up below 256 MiB.
TEST(MemoryBlock, HalvingAfterFailedAllocations) {
  const struct Case {
    uint64_t first;
    uint64_t succeedsAt;  // 0: every allocation fails
    std::vector<uint64_t> tried;
  } cases[] = {
      {512 * kMiB, 0, {512 * kMiB, 256 * kMiB}},
      {512 * kMiB, 256 * kMiB, {512 * kMiB, 256 * kMiB}},
      {1216 * kMiB, 0, {1216 * kMiB, 576 * kMiB, 256 * kMiB}},
      {17408 * kMiB, 2176 * kMiB, {17408 * kMiB, 8704 * kMiB, 4352 * kMiB, 2176 * kMiB}},
      {17408 * kMiB, 17408 * kMiB, {17408 * kMiB}},
      {0, 0, {}},
  };
  static char fakeBlock;
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "first " << c.first / kMiB << " MiB");
    std::vector<uint64_t> tried;
    uint64_t size = c.first;
    void* block = AllocateHalving(size, [&](uint64_t bytes) -> void* {
      tried.push_back(bytes);
      return bytes == c.succeedsAt ? &fakeBlock : nullptr;
    });
    EXPECT_EQ(tried, c.tried);
    EXPECT_EQ(block, c.succeedsAt != 0 ? &fakeBlock : nullptr);
    EXPECT_EQ(size, c.succeedsAt);
  }
}

TEST(MemoryBlock, ThreadCount) {
  const struct {
    uint32_t reported, threads;
  } cases[] = {{0, 1}, {1, 1}, {6, 6}, {64, 64}, {65, 64}, {512, 64}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reported);
    EXPECT_EQ(MemoryThreadCount(c.reported), c.threads);
  }
}

TEST(MemoryBlock, SixThreadSplitOf256MiB) {
  const uint64_t words = 256 * kMiB / 8;
  ASSERT_EQ(words, 33554432u);
  uint64_t next = 0;
  for (uint32_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(i);
    const Slice slice = SliceOf(words, 6, i);
    EXPECT_EQ(slice.firstWord, next);
    EXPECT_EQ(slice.words, i < 5 ? 5592405u : 5592407u);
    next += slice.words;
  }
  EXPECT_EQ(next, words);
}

TEST(Pattern, KnownValues) {
  EXPECT_EQ(PatternSeed(0), 24301u);
  EXPECT_EQ(PatternSeed(2), 72903u);
  EXPECT_EQ(PatternSeed(4), 121505u);
  EXPECT_EQ(PatternValue(0, 0, PatternSeed(0)), 0x4FA71BB256CB033Bull);
  EXPECT_EQ(PatternValue(1, 0, PatternSeed(0)), 0x2C4CB89C05F00679ull);
  EXPECT_EQ(PatternValue(0, 1, PatternSeed(1)), ~PatternValue(0, 0, PatternSeed(1)));
  EXPECT_EQ(PatternValue(0, 2, PatternSeed(2)), 0x80ull);
  EXPECT_EQ(PatternValue(57, 2, PatternSeed(2)), 1ull << 0);  // (57 + 72903) mod 64 = 0
  EXPECT_EQ(PatternValue(6, 3, PatternSeed(3)), 0x5555555555555555ull);
  EXPECT_EQ(PatternValue(7, 3, PatternSeed(3)), 0xAAAAAAAAAAAAAAAAull);
}

// The fifth pass is the first pass's kind with its own seed, so a cell that
// only holds the old value cannot pass.
TEST(Pattern, FifthPassDiffersFromFirst) {
  int same = 0;
  for (uint64_t e = 0; e < 1000; ++e) same += PatternValue(e, 4, PatternSeed(4)) == PatternValue(e, 0, PatternSeed(0));
  EXPECT_EQ(same, 0);
}

// The workers step their values from word to word; starting anywhere in the
// block, with any length, they must store exactly v(e).
TEST(Pattern, WriterMatchesValueOfEveryWord) {
  const uint64_t starts[] = {0, 1, 62, 63, 131072, 5592405, 0xFFFFFFFFull};
  const uint64_t counts[] = {1, 3, 4, 7, 200};
  for (int32_t pass = 0; pass < 8; ++pass) {
    const uint64_t seed = PatternSeed(pass);
    for (uint64_t first : starts) {
      for (uint64_t count : counts) {
        SCOPED_TRACE(testing::Message() << "pass " << pass << " first " << first << " count " << count);
        std::vector<uint64_t> words(count + 1, 0x1234);
        WritePattern(words.data(), count, first, pass, seed);
        for (uint64_t i = 0; i < count; ++i) ASSERT_EQ(words[i], PatternValue(first + i, pass, seed)) << i;
        EXPECT_EQ(words[count], 0x1234u) << "wrote past the end";
        EXPECT_EQ(CountPatternErrors(words.data(), count, first, pass, seed), 0u);
      }
    }
  }
}

// A verify counts exactly the words whose content changed, whatever the kind
// of pattern and however many bits of a word changed.
TEST(Pattern, VerifyCountsExactlyTheChangedWords) {
  const uint64_t count = 10007;
  const uint64_t first = 3 * 131072 + 5;
  const struct Flip {
    uint64_t word, mask;
  } flips[] = {{0, 1}, {1, 1ull << 63}, {2, ~0ull}, {500, 0x00F0F0F000000000ull}, {501, 2},
               {4096, 0xAAAAAAAAAAAAAAAAull}, {count - 1, 1ull << 31}};
  for (int32_t pass = 0; pass < 8; ++pass) {
    SCOPED_TRACE(testing::Message() << "pass " << pass);
    const uint64_t seed = PatternSeed(pass);
    std::vector<uint64_t> words(count);
    WritePattern(words.data(), count, first, pass, seed);
    EXPECT_EQ(CountPatternErrors(words.data(), count, first, pass, seed), 0u);
    for (const Flip& flip : flips) words[flip.word] ^= flip.mask;
    EXPECT_EQ(CountPatternErrors(words.data(), count, first, pass, seed), std::size(flips));
    // Only part of the block: a slice that holds two of the changed words.
    EXPECT_EQ(CountPatternErrors(words.data() + 400, 200, first + 400, pass, seed), 2u);
  }
}

}  // namespace

// Every form of the pattern write and verify against the plain reference,
// forced one by one, on whatever alignment and length a slice can have.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_kernel.h"

namespace {

constexpr PatternKernel kAllKernels[] = {PatternKernel::kPlain, PatternKernel::kSse2, PatternKernel::kAvx2,
                                         PatternKernel::kAvx512};

// The forms this machine can run; the others are reported as skipped.
std::vector<PatternKernel> RunnableKernels() {
  const ProcessorFeatures features = ReadProcessorFeatures();
  std::vector<PatternKernel> kernels;
  for (PatternKernel kernel : kAllKernels) {
    if (PatternKernelRuns(kernel, features)) {
      kernels.push_back(kernel);
    } else {
      printf("[ SKIPPED  ] %s: this processor cannot run it\n", PatternKernelName(kernel));
    }
  }
  return kernels;
}

// Words with room before and after, the first one on a 64-byte boundary, so
// a test can place a slice at any word offset from a vector's alignment.
struct GuardedWords {
  static constexpr uint64_t kGuard = 16;
  static constexpr uint64_t kFill = 0xFEEDFACECAFEBEEFull;
  std::vector<uint64_t> storage;
  uint64_t* aligned;

  explicit GuardedWords(uint64_t words) : storage(words + 2 * kGuard + 8, kFill) {
    uint64_t* p = storage.data() + kGuard;
    while (reinterpret_cast<uintptr_t>(p) % 64 != 0) ++p;
    aligned = p;
  }
  // Every word outside [at, at + count) still holds the fill.
  bool UntouchedOutside(const uint64_t* at, uint64_t count) const {
    for (const uint64_t& word : storage) {
      if ((&word < at || &word >= at + count) && word != kFill) return false;
    }
    return true;
  }
};

// A vector form that steps its lanes wrong, mishandles a start that is not
// on a vector boundary, or a count that is not a whole number of vectors,
// stores values that differ from v(e) or touches words outside the slice.
// Streaming stores take the same paths with other store instructions, and
// the walking bit's period, held in registers, must restart at every period.
TEST(PatternKernels, EveryFormWritesExactlyTheReferenceValues) {
  const uint64_t firstIndices[] = {0, 1, 3, 7, 62, 63, 131072 + 5, 5592405, 0xFFFFFFFFull, ~0ull - 2000};
  const uint64_t counts[] = {0, 1, 2, 3, 7, 8, 9, 15, 31, 32, 33, 63, 64, 65, 100, 259};
  for (PatternKernel kernel : RunnableKernels()) {
    for (PatternStores stores : {PatternStores::kPlain, PatternStores::kStreaming}) {
      for (int32_t pass = 0; pass < 8; ++pass) {
        // The pass's own seed, and seeds that wrap the walking bit and the mix.
        for (uint64_t seed : {PatternSeed(pass), uint64_t{0}, ~0ull, 0x0123456789ABCDEFull}) {
          for (uint64_t misalignment = 0; misalignment < 8; ++misalignment) {
            for (uint64_t first : firstIndices) {
              for (uint64_t count : counts) {
                SCOPED_TRACE(testing::Message() << PatternKernelName(kernel) << " " << PatternStoresName(stores)
                                                << " stores, pass " << pass << " seed " << seed
                                                << " word offset " << misalignment << " first " << first << " count "
                                                << count);
                GuardedWords words(count + 8);
                uint64_t* at = words.aligned + misalignment;
                WritePattern(kernel, stores, at, count, first, pass, seed);
                for (uint64_t i = 0; i < count; ++i) {
                  ASSERT_EQ(at[i], PatternValue(first + i, pass, seed)) << "word " << i;
                }
                ASSERT_TRUE(words.UntouchedOutside(at, count)) << "wrote outside the slice";
                ASSERT_EQ(CountPatternErrors(kernel, at, count, first, pass, seed), 0u);
              }
            }
          }
        }
      }
    }
  }
}

// The memory test streams its pattern past the caches whenever its block is
// larger than the last-level cache. Plain stores there read every line from
// memory before overwriting it (the write fell to 0.8 of memset); streaming
// stores into a block that fits the cache would push it out to memory.
TEST(PatternKernels, StreamingStoresExactlyWhenTheBlockExceedsTheLastLevelCache) {
  struct Case {
    uint64_t block, cache;
    PatternStores expected;
  };
  constexpr uint64_t kMiB = 1024 * 1024;
  const Case cases[] = {
      {256 * kMiB, 32 * kMiB, PatternStores::kStreaming},  {32 * kMiB + 1, 32 * kMiB, PatternStores::kStreaming},
      {32 * kMiB, 32 * kMiB, PatternStores::kPlain},       {16 * kMiB, 32 * kMiB, PatternStores::kPlain},
      {256 * kMiB, 0, PatternStores::kStreaming},          {256 * kMiB, 1152 * kMiB, PatternStores::kPlain},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "block " << c.block << ", cache " << c.cache);
    EXPECT_STREQ(PatternStoresName(StoresForBlock(c.block, c.cache)), PatternStoresName(c.expected));
  }
}

// A verify counts every word that differs, once, wherever it lies in the
// chunk: the first word, the last, the head before the first vector, inside
// a vector, neighbours in one vector, one differing bit or all 64.
TEST(PatternKernels, EveryFormCountsExactlyTheDifferingWords) {
  const uint64_t count = kChunkWords;
  const struct Case {
    const char* name;
    std::vector<uint64_t> flipped;
  } cases[] = {
      {"none", {}},
      {"first word", {0}},
      {"last word", {count - 1}},
      {"middle word", {count / 2}},
      {"first, middle and last", {0, count / 2 + 3, count - 1}},
      {"one whole vector and its neighbours", {4095, 4096, 4097, 4098, 4099, 4100, 4101, 4102, 4103, 4104}},
      {"every word of a group of four vectors", [] {
         std::vector<uint64_t> all;
         for (uint64_t i = 0; i < 64; ++i) all.push_back(1000 + i);
         return all;
       }()},
  };
  const uint64_t masks[] = {1, 1ull << 63, ~0ull, 0x00F0000000000000ull};
  const uint64_t first = 3 * kChunkWords + 5;
  for (PatternKernel kernel : RunnableKernels()) {
    for (int32_t pass = 0; pass < 8; ++pass) {
      const uint64_t seed = PatternSeed(pass);
      for (uint64_t misalignment : {0, 3}) {
        GuardedWords words(count + 8);
        uint64_t* at = words.aligned + misalignment;
        for (const Case& c : cases) {
          SCOPED_TRACE(testing::Message() << PatternKernelName(kernel) << " pass " << pass << " word offset "
                                          << misalignment << ": " << c.name);
          WritePattern(PatternKernel::kPlain, at, count, first, pass, seed);
          for (size_t i = 0; i < c.flipped.size(); ++i) at[c.flipped[i]] ^= masks[i % std::size(masks)];
          EXPECT_EQ(CountPatternErrors(kernel, at, count, first, pass, seed), c.flipped.size());
        }
      }
    }
  }
}

// A word that reads wrong once and right when read again (an intermittent
// fault). The chunk spans two pages; the second is a guard page, and the
// first touch of it puts the wrong word right, so a verify that reads the
// first page again after seeing a difference finds nothing there.
class IntermittentWord : public testing::Test {
 protected:
  static constexpr uint64_t kPageWords = 4096 / 8;
  static inline uint64_t* secondPage = nullptr;
  static inline uint64_t* flakyWord = nullptr;
  static inline uint64_t rightValue = 0;
  static inline int repairs = 0;

  static LONG CALLBACK PutWordRight(EXCEPTION_POINTERS* exception) {
    const EXCEPTION_RECORD& record = *exception->ExceptionRecord;
    if (record.ExceptionCode != STATUS_GUARD_PAGE_VIOLATION || record.NumberParameters < 2) {
      return EXCEPTION_CONTINUE_SEARCH;
    }
    const auto address = reinterpret_cast<uint64_t*>(record.ExceptionInformation[1]);
    if (address < secondPage || address >= secondPage + kPageWords) return EXCEPTION_CONTINUE_SEARCH;
    *flakyWord = rightValue;  // the guard is already gone: the read goes on
    ++repairs;
    return EXCEPTION_CONTINUE_EXECUTION;
  }

  void SetUp() override {
    block = static_cast<uint64_t*>(VirtualAlloc(nullptr, 2 * 4096, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(block, nullptr);
    secondPage = block + kPageWords;
    handler = AddVectoredExceptionHandler(1, PutWordRight);
    ASSERT_NE(handler, nullptr);
  }
  void TearDown() override {
    if (handler != nullptr) RemoveVectoredExceptionHandler(handler);
    if (block != nullptr) VirtualFree(block, 0, MEM_RELEASE);
  }

  // Writes the pattern, makes word `index` of the first page wrong until the
  // second page is first read, and verifies both pages with the kernel.
  uint64_t VerifyWithFlakyWord(PatternKernel kernel, int32_t pass, uint64_t index) {
    const uint64_t seed = PatternSeed(pass);
    const uint64_t first = 7 * kChunkWords;
    WritePattern(kernel, block, 2 * kPageWords, first, pass, seed);
    flakyWord = block + index;
    rightValue = *flakyWord;
    *flakyWord ^= 1ull << 17;
    repairs = 0;
    DWORD old;
    EXPECT_TRUE(VirtualProtect(secondPage, 4096, PAGE_READWRITE | PAGE_GUARD, &old));
    return CountPatternErrors(kernel, block, 2 * kPageWords, first, pass, seed);
  }

  uint64_t* block = nullptr;
  void* handler = nullptr;
};

TEST_F(IntermittentWord, CountedFromTheReadThatFoundIt) {
  const struct Case {
    const char* name;
    uint64_t index;
  } cases[] = {{"first word", 0}, {"middle word", 301}, {"last word before the guard", kPageWords - 1}};
  for (PatternKernel kernel : RunnableKernels()) {
    for (int32_t pass = 0; pass < 4; ++pass) {
      for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << PatternKernelName(kernel) << " pass " << pass << ": " << c.name);
        EXPECT_EQ(VerifyWithFlakyWord(kernel, pass, c.index), 1u);
        EXPECT_EQ(repairs, 1) << "the guard page was not read once";
        EXPECT_EQ(*flakyWord, rightValue) << "the word reads right again";
      }
    }
  }
}

// Which form runs is decided by what the processor and the system offer: a
// machine without AVX-512 (or with its foundation but not the 64-bit
// multiply) must not get the AVX-512 form, one without AVX2 not the AVX2 one.
TEST(PatternKernels, ChoiceFollowsTheProcessor) {
  const struct Case {
    const char* name;
    ProcessorFeatures features;
    PatternKernel chosen;
  } cases[] = {
      {"nothing", {}, PatternKernel::kPlain},
      {"sse2", {true, false, false, false}, PatternKernel::kSse2},
      {"avx2", {true, true, false, false}, PatternKernel::kAvx2},
      {"avx512 foundation without dq", {true, true, true, false}, PatternKernel::kAvx2},
      {"avx512 dq without foundation", {true, true, false, true}, PatternKernel::kAvx2},
      {"avx512 foundation and dq", {true, true, true, true}, PatternKernel::kAvx512},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChoosePatternKernel(c.features), c.chosen);
    EXPECT_TRUE(PatternKernelRuns(c.chosen, c.features));
    EXPECT_TRUE(PatternKernelRuns(PatternKernel::kPlain, c.features));
  }
}

// Under Wine the Linux view of the processor is at hand: what cpuid and
// xgetbv report must agree with the kernel's flags, which already account
// for the system saving the wide registers.
TEST(PatternKernels, FeaturesAgreeWithTheSystemsView) {
  FILE* file = fopen("Z:\\proc\\cpuinfo", "r");
  if (file == nullptr) GTEST_SKIP() << "no Linux processor information here";
  std::string flags;
  char line[8192];
  while (fgets(line, sizeof(line), file) != nullptr) {
    if (strncmp(line, "flags", 5) == 0) {
      flags = std::string(line) + " ";
      break;
    }
  }
  fclose(file);
  ASSERT_FALSE(flags.empty());
  auto has = [&flags](const char* flag) {
    return flags.find(std::string(" ") + flag + " ") != std::string::npos ||
           flags.find(std::string(" ") + flag + "\n") != std::string::npos;
  };
  const ProcessorFeatures features = ReadProcessorFeatures();
  EXPECT_EQ(features.sse2, has("sse2"));
  EXPECT_EQ(features.avx2, has("avx2"));
  EXPECT_EQ(features.avx512f, has("avx512f"));
  EXPECT_EQ(features.avx512dq, has("avx512dq"));
  EXPECT_EQ(MachinePatternKernel(), ChoosePatternKernel(features));
}

}  // namespace

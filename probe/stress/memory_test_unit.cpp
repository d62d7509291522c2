#include "probe/stress/memory_test_unit.h"

#include "probe/stress/pattern_constants.h"

namespace {

constexpr uint64_t kGolden = kPatternGolden;
constexpr uint64_t kMixMultiplier = kPatternMixMultiplier;
constexpr uint64_t kOddWords = kPatternOddWords;
constexpr uint64_t kEvenWords = kPatternEvenWords;

// golden = (e + 1) * kGolden, passed in so the loops can step it by addition.
inline uint64_t Mix(uint64_t golden, uint64_t seed) {
  const uint64_t x = golden ^ seed;
  const uint64_t y = (x ^ (x >> 31)) * kMixMultiplier;
  return y ^ (y >> 29);
}

inline uint64_t RotateLeft1(uint64_t v) { return (v << 1) | (v >> 63); }

// The mix kinds hand over four words at a time from independent chains so
// the multiplications overlap; the inverted kind is its own instantiation so
// the plain one pays nothing for it.
template <bool kInvert, typename Visit>
inline void ForEachMixWord(uint64_t count, uint64_t firstIndex, uint64_t seed, Visit visit) {
  auto value = [seed](uint64_t golden) { return kInvert ? ~Mix(golden, seed) : Mix(golden, seed); };
  uint64_t g0 = (firstIndex + 1) * kGolden;
  uint64_t g1 = g0 + kGolden, g2 = g1 + kGolden, g3 = g2 + kGolden;
  constexpr uint64_t kStep4 = 4 * kGolden;
  uint64_t i = 0;
  for (; i + 4 <= count; i += 4) {
    visit(i, value(g0));
    visit(i + 1, value(g1));
    visit(i + 2, value(g2));
    visit(i + 3, value(g3));
    g0 += kStep4;
    g1 += kStep4;
    g2 += kStep4;
    g3 += kStep4;
  }
  for (; i < count; ++i) {
    visit(i, value(g0));
    g0 += kGolden;
  }
}

// Runs every pattern kind through one walker so write and verify cannot
// disagree about v(e). Each kind steps its value from word to word with
// additions and rotations; only the mix needs one multiplication per word.
template <typename Visit>
inline void ForEachPatternWord(uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed, Visit visit) {
  switch (pass & 3) {
    case 0:
      ForEachMixWord<false>(count, firstIndex, seed, visit);
      break;
    case 1:
      ForEachMixWord<true>(count, firstIndex, seed, visit);
      break;
    case 2: {
      uint64_t bit = 1ull << ((firstIndex + seed) & 63);
      for (uint64_t i = 0; i < count; ++i) {
        visit(i, bit);
        bit = RotateLeft1(bit);
      }
      break;
    }
    default: {
      // Even words 0x55..., odd words 0xAA...: the value alternates.
      uint64_t value = (firstIndex & 1) ? kOddWords : kEvenWords;
      for (uint64_t i = 0; i < count; ++i) {
        visit(i, value);
        value = ~value;
      }
      break;
    }
  }
}

}  // namespace

uint64_t MemoryBlockSize(uint64_t availPhys) {
  if (availPhys <= kTooLittleAvail) return 0;
  uint64_t size = (availPhys / 4) * 3 - kMinBlockBytes;
  if (size > kMaxBlockBytes) size = kMaxBlockBytes;
  return size / kBlockGranule * kBlockGranule;
}

uint64_t HalvedBlockSize(uint64_t size) {
  const uint64_t half = size / (2 * kBlockGranule) * kBlockGranule;
  return half >= kMinBlockBytes ? half : 0;
}

uint32_t MemoryThreadCount(uint32_t reportedProcessors) {
  if (reportedProcessors == 0) return 1;
  return reportedProcessors > kMaxMemoryThreads ? kMaxMemoryThreads : reportedProcessors;
}

uint64_t PatternSeed(int32_t pass) { return static_cast<uint64_t>(static_cast<int64_t>(pass) + 1) * 24301u; }

uint64_t PatternValue(uint64_t wordIndex, int32_t pass, uint64_t seed) {
  switch (pass & 3) {
    case 0:
      return Mix((wordIndex + 1) * kGolden, seed);
    case 1:
      return ~Mix((wordIndex + 1) * kGolden, seed);
    case 2:
      return 1ull << ((wordIndex + seed) & 63);
    default:
      return (wordIndex & 1) ? kOddWords : kEvenWords;
  }
}

void WritePattern(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed) {
  ForEachPatternWord(count, firstIndex, pass, seed, [words](uint64_t i, uint64_t value) { words[i] = value; });
}

uint64_t CountPatternErrors(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                            uint64_t seed) {
  // Each word is read once and counted from that read: a word that reads
  // wrong once and right when read again is a fault, not sound memory.
  uint64_t errors = 0;
  ForEachPatternWord(count, firstIndex, pass, seed,
                     [words, &errors](uint64_t i, uint64_t value) { errors += words[i] != value; });
  return errors;
}

Slice SliceOf(uint64_t totalWords, uint32_t threads, uint32_t index) {
  const uint64_t each = totalWords / threads;
  const uint64_t first = each * index;
  return {first, index + 1 == threads ? totalWords - first : each};
}

bool CoverBlock(uint64_t totalWords, uint32_t threads, const bool* created, Slice* covered) {
  int64_t previous = -1;  // the last created worker seen so far
  for (uint32_t i = 0; i < threads; ++i) {
    covered[i] = {SliceOf(totalWords, threads, i).firstWord, 0};
    if (!created[i]) continue;
    // A worker starts where its own slice starts, or at 0 when no created
    // worker lies before it; the previous created worker ends where it starts.
    if (previous < 0) covered[i].firstWord = 0;
    else covered[previous].words = covered[i].firstWord - covered[previous].firstWord;
    previous = i;
  }
  if (previous < 0) return false;
  covered[previous].words = totalWords - covered[previous].firstWord;
  return true;
}

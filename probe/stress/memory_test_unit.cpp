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

// 1 when the difference d is not 0. Spelled without a comparison, so the
// compiler counts from the differences and need not keep the words read
// alive beside them.
inline uint64_t Differs(uint64_t d) { return (d | (0 - d)) >> 63; }

inline uint64_t RotateLeft(uint64_t v, int bits) { return (v << bits) | (v >> (64 - bits)); }

// Every walker hands over four words at a time, visit4(i, v(i) .. v(i + 3)),
// and the last count mod 4 words one by one, visit1(i, v(i)).

// The mix kinds step four independent chains so the multiplications overlap;
// the inverted kind is its own instantiation so the plain one pays nothing
// for it.
template <bool kInvert, typename Visit4, typename Visit1>
inline void ForEachMixWord(uint64_t count, uint64_t firstIndex, uint64_t seed, Visit4 visit4, Visit1 visit1) {
  auto value = [seed](uint64_t golden) { return kInvert ? ~Mix(golden, seed) : Mix(golden, seed); };
  uint64_t g0 = (firstIndex + 1) * kGolden;
  uint64_t g1 = g0 + kGolden, g2 = g1 + kGolden, g3 = g2 + kGolden;
  constexpr uint64_t kStep4 = 4 * kGolden;
  uint64_t i = 0;
  for (; i + 4 <= count; i += 4) {
    visit4(i, value(g0), value(g1), value(g2), value(g3));
    g0 += kStep4;
    g1 += kStep4;
    g2 += kStep4;
    g3 += kStep4;
  }
  for (; i < count; ++i) {
    visit1(i, value(g0));
    g0 += kGolden;
  }
}

// Runs every pattern kind through one walker so write and verify cannot
// disagree about v(e). Each kind steps its value from word to word with
// additions and rotations; only the mix needs one multiplication per word.
template <typename Visit4, typename Visit1>
inline void ForEachPatternWord(uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed, Visit4 visit4,
                               Visit1 visit1) {
  switch (pass & 3) {
    case 0:
      ForEachMixWord<false>(count, firstIndex, seed, visit4, visit1);
      break;
    case 1:
      ForEachMixWord<true>(count, firstIndex, seed, visit4, visit1);
      break;
    case 2: {
      uint64_t bit = 1ull << ((firstIndex + seed) & 63);
      uint64_t i = 0;
      for (; i + 4 <= count; i += 4) {
        visit4(i, bit, RotateLeft(bit, 1), RotateLeft(bit, 2), RotateLeft(bit, 3));
        bit = RotateLeft(bit, 4);
      }
      for (; i < count; ++i) {
        visit1(i, bit);
        bit = RotateLeft(bit, 1);
      }
      break;
    }
    default: {
      // Even words 0x55..., odd words 0xAA...: the value alternates.
      uint64_t value = (firstIndex & 1) ? kOddWords : kEvenWords;
      uint64_t i = 0;
      for (; i + 4 <= count; i += 4) visit4(i, value, ~value, value, ~value);
      for (; i < count; ++i) {
        visit1(i, value);
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
  ForEachPatternWord(
      count, firstIndex, pass, seed,
      [words](uint64_t i, uint64_t v0, uint64_t v1, uint64_t v2, uint64_t v3) {
        words[i] = v0;
        words[i + 1] = v1;
        words[i + 2] = v2;
        words[i + 3] = v3;
      },
      [words](uint64_t i, uint64_t value) { words[i] = value; });
}

namespace {

// Counts the words w whose w ^ v(e) is not kRight. kRight is ~0 when the
// words hold the inverted values of the walk: a right word then differs
// from the walk's value in every bit, which spares inverting each value.
template <uint64_t kRight>
uint64_t CountDiffering(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed) {
  // Each word is read once and judged by that read: a word that reads wrong
  // once and right when read again is a fault, not sound memory. Sound
  // memory costs one test per four words; only a group that differs
  // somewhere has its differing words counted, from the same reads.
  uint64_t errors = 0;
  ForEachPatternWord(
      count, firstIndex, pass, seed,
      [words, &errors](uint64_t i, uint64_t v0, uint64_t v1, uint64_t v2, uint64_t v3) {
        const uint64_t d0 = words[i] ^ v0, d1 = words[i + 1] ^ v1, d2 = words[i + 2] ^ v2, d3 = words[i + 3] ^ v3;
        const bool allRight = kRight == 0 ? ((d0 | d1) | (d2 | d3)) == 0 : ((d0 & d1) & (d2 & d3)) == kRight;
        if (!allRight) {
          errors += Differs(d0 ^ kRight) + Differs(d1 ^ kRight) + Differs(d2 ^ kRight) + Differs(d3 ^ kRight);
        }
      },
      [words, &errors](uint64_t i, uint64_t value) { errors += (words[i] ^ value) != kRight; });
  return errors;
}

}  // namespace

uint64_t CountPatternErrors(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                            uint64_t seed) {
  // The inverted mix (p mod 4 = 1) is checked against the plain mix's walk.
  if ((pass & 3) == 1) return CountDiffering<~0ull>(words, count, firstIndex, pass - 1, seed);
  return CountDiffering<0>(words, count, firstIndex, pass, seed);
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

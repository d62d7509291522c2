// The loops every vector form shares, written once over the form's own
// operations. A form file includes this inside its anonymous namespace after
// defining PATTERN_FORM_TARGET (its instructions) and struct Form:
//
//   Vec; kLanes; Load, Store and StoreStreaming (aligned), LoadLanes (unaligned), Broadcast,
//   Xor, Or, AnyNonzero, NonzeroLanes; kVectorMix, whether the mix kinds run
//   in vectors, and if so Add, Not, ShiftRight<n> and MultiplyMix (times
//   kPatternMixMultiplier).
//
// It has no include guard: each form compiles its own copy.

using Vec = Form::Vec;

// The pattern kind of a pass: p mod 4.
enum class Kind { kMix, kInvertedMix, kWalkingBit, kAlternating };

// Where the pattern stands at the next vector. Mix kinds keep (e + 1) * golden
// per lane and step it by addition; the alternating kind keeps its values,
// which stay. The walking bit repeats every 64 words: its values come from
// one period laid out in words, which no chain of rotations holds up.
struct Lanes {
  Vec state;
  Vec step;
  Vec seed;
  uint64_t period[64];
  uint64_t at;  // word of the period the next vector starts at
};

template <Kind kKind>
PATTERN_FORM_TARGET inline Lanes StartLanes(uint64_t firstIndex, int32_t pass, uint64_t seed) {
  Lanes lanes;
  uint64_t start[Form::kLanes];
  for (uint64_t j = 0; j < Form::kLanes; ++j) {
    start[j] = (kKind == Kind::kMix || kKind == Kind::kInvertedMix) ? (firstIndex + j + 1) * kPatternGolden
                                                                    : PatternValue(firstIndex + j, pass, seed);
  }
  lanes.state = Form::LoadLanes(start);
  lanes.step = Form::Broadcast(Form::kLanes * kPatternGolden);
  lanes.seed = Form::Broadcast(seed);
  if constexpr (kKind == Kind::kWalkingBit) {
    for (uint64_t j = 0; j < 64; ++j) lanes.period[j] = PatternValue(firstIndex + j, pass, seed);
  }
  lanes.at = 0;
  return lanes;
}

// The values of the next kLanes words, and the lanes moved on past them.
// (F is Form, named through a parameter so a form without the mix
// operations compiles the other kinds.)
template <Kind kKind, typename F = Form>
PATTERN_FORM_TARGET inline Vec NextValues(Lanes& lanes) {
  if constexpr (kKind == Kind::kMix || kKind == Kind::kInvertedMix) {
    const Vec x = F::Xor(lanes.state, lanes.seed);
    const Vec y = F::MultiplyMix(F::Xor(x, F::template ShiftRight<31>(x)));
    const Vec mix = F::Xor(y, F::template ShiftRight<29>(y));
    lanes.state = F::Add(lanes.state, lanes.step);
    if constexpr (kKind == Kind::kInvertedMix) return F::Not(mix);
    else return mix;
  } else if constexpr (kKind == Kind::kWalkingBit) {
    // kLanes divides 64, so a vector never runs past the period's end.
    const Vec value = Form::LoadLanes(lanes.period + lanes.at);
    lanes.at = (lanes.at + Form::kLanes) & 63;
    return value;
  } else {
    return lanes.state;  // every vector starts at a word of the same parity
  }
}

// Streaming stores skip reading each line into the caches before it is
// overwritten; the memory test uses them for blocks larger than the
// last-level cache (StoresForBlock), plain stores otherwise.
template <bool kStreaming>
PATTERN_FORM_TARGET inline void StoreVector(uint64_t* at, Vec v) {
  if constexpr (kStreaming) Form::StoreStreaming(at, v);
  else Form::Store(at, v);
}

template <Kind kKind, bool kStreaming>
PATTERN_FORM_TARGET void StoreVectors(uint64_t* words, uint64_t vectors, Lanes lanes) {
  if constexpr (kKind == Kind::kWalkingBit) {
    // The period is taken into registers once. Read from memory for every
    // vector, it slowed the write to 0.8 of memset, most likely because each
    // read of the period waits behind stores still on their way to memory
    // whose addresses match its own in the low 12 bits.
    constexpr uint64_t kPeriodVectors = 64 / Form::kLanes;
    Vec period[kPeriodVectors];
    for (uint64_t j = 0; j < kPeriodVectors; ++j) period[j] = NextValues<kKind>(lanes);
    uint64_t i = 0;
    for (; i + kPeriodVectors <= vectors; i += kPeriodVectors) {
      for (uint64_t j = 0; j < kPeriodVectors; ++j) {
        StoreVector<kStreaming>(words + (i + j) * Form::kLanes, period[j]);
      }
    }
    for (uint64_t j = 0; i < vectors; ++i, ++j) StoreVector<kStreaming>(words + i * Form::kLanes, period[j]);
  } else {
    for (uint64_t i = 0; i < vectors; ++i) {
      StoreVector<kStreaming>(words + i * Form::kLanes, NextValues<kKind>(lanes));
    }
  }
  // Streamed lines reach memory before the verify reads them on another thread.
  if constexpr (kStreaming) _mm_sfence();
}

template <bool kStreaming>
PATTERN_FORM_TARGET void StoreBody(uint64_t* body, uint64_t vectors, uint64_t bodyIndex, int32_t pass, uint64_t seed) {
  switch (pass & 3) {
    case 0:
    case 1:
      if constexpr (Form::kVectorMix) {
        if ((pass & 3) == 0) {
          StoreVectors<Kind::kMix, kStreaming>(body, vectors, StartLanes<Kind::kMix>(bodyIndex, pass, seed));
        } else {
          StoreVectors<Kind::kInvertedMix, kStreaming>(body, vectors,
                                                       StartLanes<Kind::kInvertedMix>(bodyIndex, pass, seed));
        }
      }
      break;
    case 2:
      StoreVectors<Kind::kWalkingBit, kStreaming>(body, vectors, StartLanes<Kind::kWalkingBit>(bodyIndex, pass, seed));
      break;
    default:
      StoreVectors<Kind::kAlternating, kStreaming>(body, vectors,
                                                   StartLanes<Kind::kAlternating>(bodyIndex, pass, seed));
      break;
  }
}

// Counts the differing words from the one read of each word: four vectors
// are read and compared, and only when one of them differs anywhere are
// their differing lanes counted, from the same registers.
template <Kind kKind>
PATTERN_FORM_TARGET uint64_t CountVectors(const uint64_t* words, uint64_t vectors, Lanes lanes) {
  uint64_t errors = 0;
  uint64_t i = 0;
  for (; i + 4 <= vectors; i += 4) {
    const uint64_t* at = words + i * Form::kLanes;
    const Vec d0 = Form::Xor(Form::Load(at), NextValues<kKind>(lanes));
    const Vec d1 = Form::Xor(Form::Load(at + Form::kLanes), NextValues<kKind>(lanes));
    const Vec d2 = Form::Xor(Form::Load(at + 2 * Form::kLanes), NextValues<kKind>(lanes));
    const Vec d3 = Form::Xor(Form::Load(at + 3 * Form::kLanes), NextValues<kKind>(lanes));
    if (Form::AnyNonzero(Form::Or(Form::Or(d0, d1), Form::Or(d2, d3)))) {
      errors += Form::NonzeroLanes(d0) + Form::NonzeroLanes(d1) + Form::NonzeroLanes(d2) + Form::NonzeroLanes(d3);
    }
  }
  for (; i < vectors; ++i) {
    errors += Form::NonzeroLanes(Form::Xor(Form::Load(words + i * Form::kLanes), NextValues<kKind>(lanes)));
  }
  return errors;
}

// Words before the first aligned vector (at most count).
inline uint64_t HeadWords(const uint64_t* words, uint64_t count) {
  constexpr uint64_t kVectorBytes = Form::kLanes * 8;
  const uint64_t misalignment = reinterpret_cast<uintptr_t>(words) % kVectorBytes;
  const uint64_t head = misalignment == 0 ? 0 : (kVectorBytes - misalignment) / 8;
  return head < count ? head : count;
}

// The plain form takes the words before the first aligned vector and after
// the last whole one; the vectors go between.
PATTERN_FORM_TARGET void WriteWithForm(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                                       uint64_t seed, bool streaming) {
  if constexpr (!Form::kVectorMix) {
    if ((pass & 3) < 2) return WritePattern(words, count, firstIndex, pass, seed);
  }
  const uint64_t head = HeadWords(words, count);
  WritePattern(words, head, firstIndex, pass, seed);
  const uint64_t vectors = (count - head) / Form::kLanes;
  if (streaming) {
    StoreBody<true>(words + head, vectors, firstIndex + head, pass, seed);
  } else {
    StoreBody<false>(words + head, vectors, firstIndex + head, pass, seed);
  }
  const uint64_t done = head + vectors * Form::kLanes;
  WritePattern(words + done, count - done, firstIndex + done, pass, seed);
}

PATTERN_FORM_TARGET uint64_t CountWithForm(const uint64_t* words, uint64_t count, uint64_t firstIndex,
                                           int32_t pass, uint64_t seed) {
  if constexpr (!Form::kVectorMix) {
    if ((pass & 3) < 2) return CountPatternErrors(words, count, firstIndex, pass, seed);
  }
  const uint64_t head = HeadWords(words, count);
  uint64_t errors = CountPatternErrors(words, head, firstIndex, pass, seed);
  const uint64_t vectors = (count - head) / Form::kLanes;
  const uint64_t bodyIndex = firstIndex + head;
  const uint64_t* body = words + head;
  switch (pass & 3) {
    case 0:
    case 1:
      if constexpr (Form::kVectorMix) {
        if ((pass & 3) == 0) {
          errors += CountVectors<Kind::kMix>(body, vectors, StartLanes<Kind::kMix>(bodyIndex, pass, seed));
        } else {
          errors +=
              CountVectors<Kind::kInvertedMix>(body, vectors, StartLanes<Kind::kInvertedMix>(bodyIndex, pass, seed));
        }
      }
      break;
    case 2:
      errors += CountVectors<Kind::kWalkingBit>(body, vectors, StartLanes<Kind::kWalkingBit>(bodyIndex, pass, seed));
      break;
    default:
      errors += CountVectors<Kind::kAlternating>(body, vectors, StartLanes<Kind::kAlternating>(bodyIndex, pass, seed));
      break;
  }
  const uint64_t done = head + vectors * Form::kLanes;
  return errors + CountPatternErrors(words + done, count - done, firstIndex + done, pass, seed);
}

// The loops every vector form shares, written once over the form's own
// operations. A form file includes this inside its anonymous namespace after
// defining PATTERN_FORM_TARGET (its instructions) and struct Form:
//
//   Vec; kLanes; Load and Store (aligned), LoadLanes (unaligned), Broadcast, Add, Xor, Or, Not, ShiftRight<n>,
//   MultiplyMix (times kPatternMixMultiplier), RotateByLanes (every lane
//   rotated left by kLanes), AnyNonzero, NonzeroLanes.
//
// It has no include guard: each form compiles its own copy.

using Vec = Form::Vec;

// The pattern kind of a pass: p mod 4.
enum class Kind { kMix, kInvertedMix, kWalkingBit, kAlternating };

// Where the pattern stands at the next vector. Mix kinds keep (e + 1) * golden
// per lane and step it by addition; the other kinds keep the values
// themselves, which only rotate (walking bit) or stay (alternating).
struct Lanes {
  Vec state;
  Vec step;
  Vec seed;
};

template <Kind kKind>
PATTERN_FORM_TARGET inline Lanes StartLanes(uint64_t firstIndex, int32_t pass, uint64_t seed) {
  uint64_t start[Form::kLanes];
  for (uint64_t j = 0; j < Form::kLanes; ++j) {
    start[j] = (kKind == Kind::kMix || kKind == Kind::kInvertedMix) ? (firstIndex + j + 1) * kPatternGolden
                                                                    : PatternValue(firstIndex + j, pass, seed);
  }
  return {Form::LoadLanes(start), Form::Broadcast(Form::kLanes * kPatternGolden), Form::Broadcast(seed)};
}

// The values of the next kLanes words, and the lanes moved on past them.
template <Kind kKind>
PATTERN_FORM_TARGET inline Vec NextValues(Lanes& lanes) {
  if constexpr (kKind == Kind::kMix || kKind == Kind::kInvertedMix) {
    const Vec x = Form::Xor(lanes.state, lanes.seed);
    const Vec y = Form::MultiplyMix(Form::Xor(x, Form::ShiftRight<31>(x)));
    const Vec mix = Form::Xor(y, Form::ShiftRight<29>(y));
    lanes.state = Form::Add(lanes.state, lanes.step);
    if constexpr (kKind == Kind::kInvertedMix) return Form::Not(mix);
    else return mix;
  } else if constexpr (kKind == Kind::kWalkingBit) {
    const Vec value = lanes.state;
    lanes.state = Form::RotateByLanes(value);
    return value;
  } else {
    return lanes.state;  // every vector starts at a word of the same parity
  }
}

// Plain stores rather than streaming ones: on the processors we measured
// they fill a large block faster, as fast as memset or faster.
template <Kind kKind>
PATTERN_FORM_TARGET void StoreVectors(uint64_t* words, uint64_t vectors, Lanes lanes) {
  for (uint64_t i = 0; i < vectors; ++i) Form::Store(words + i * Form::kLanes, NextValues<kKind>(lanes));
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
                                       uint64_t seed) {
  const uint64_t head = HeadWords(words, count);
  WritePattern(words, head, firstIndex, pass, seed);
  const uint64_t vectors = (count - head) / Form::kLanes;
  const uint64_t bodyIndex = firstIndex + head;
  uint64_t* body = words + head;
  switch (pass & 3) {
    case 0:
      StoreVectors<Kind::kMix>(body, vectors, StartLanes<Kind::kMix>(bodyIndex, pass, seed));
      break;
    case 1:
      StoreVectors<Kind::kInvertedMix>(body, vectors, StartLanes<Kind::kInvertedMix>(bodyIndex, pass, seed));
      break;
    case 2:
      StoreVectors<Kind::kWalkingBit>(body, vectors, StartLanes<Kind::kWalkingBit>(bodyIndex, pass, seed));
      break;
    default:
      StoreVectors<Kind::kAlternating>(body, vectors, StartLanes<Kind::kAlternating>(bodyIndex, pass, seed));
      break;
  }
  const uint64_t done = head + vectors * Form::kLanes;
  WritePattern(words + done, count - done, firstIndex + done, pass, seed);
}

PATTERN_FORM_TARGET uint64_t CountWithForm(const uint64_t* words, uint64_t count, uint64_t firstIndex,
                                           int32_t pass, uint64_t seed) {
  const uint64_t head = HeadWords(words, count);
  uint64_t errors = CountPatternErrors(words, head, firstIndex, pass, seed);
  const uint64_t vectors = (count - head) / Form::kLanes;
  const uint64_t bodyIndex = firstIndex + head;
  const uint64_t* body = words + head;
  switch (pass & 3) {
    case 0:
      errors += CountVectors<Kind::kMix>(body, vectors, StartLanes<Kind::kMix>(bodyIndex, pass, seed));
      break;
    case 1:
      errors += CountVectors<Kind::kInvertedMix>(body, vectors, StartLanes<Kind::kInvertedMix>(bodyIndex, pass, seed));
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

#if defined(__GNUC__) && !defined(__clang__)
// GCC 12 takes the deliberately undefined pass-through operand of its own
// 512-bit shift intrinsics for an uninitialized variable.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

#include <bit>
#include <cstdint>

#include "probe/stress/kernel_target.h"
#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_constants.h"
#include "probe/stress/pattern_forms.h"

namespace {

#define PATTERN_FORM_TARGET VANTOREL_TARGET("avx512f,avx512dq")

// Eight words a vector; DQ's 64-bit multiply, and mask registers that say
// at once which lanes differ.
struct Form {
  using Vec = __m512i;
  static constexpr uint64_t kLanes = 8;
  static constexpr bool kVectorMix = true;

  PATTERN_FORM_TARGET static Vec Load(const uint64_t* at) { return _mm512_load_si512(at); }
  PATTERN_FORM_TARGET static void Store(uint64_t* at, Vec v) { _mm512_store_si512(at, v); }
  PATTERN_FORM_TARGET static void StoreStreaming(uint64_t* at, Vec v) {
    _mm512_stream_si512(reinterpret_cast<__m512i*>(at), v);
  }
  PATTERN_FORM_TARGET static Vec LoadLanes(const uint64_t* at) { return _mm512_loadu_si512(at); }
  PATTERN_FORM_TARGET static Vec Broadcast(uint64_t v) { return _mm512_set1_epi64(static_cast<long long>(v)); }
  PATTERN_FORM_TARGET static Vec Add(Vec a, Vec b) { return _mm512_add_epi64(a, b); }
  PATTERN_FORM_TARGET static Vec Xor(Vec a, Vec b) { return _mm512_xor_si512(a, b); }
  PATTERN_FORM_TARGET static Vec Or(Vec a, Vec b) { return _mm512_or_si512(a, b); }
  PATTERN_FORM_TARGET static Vec Not(Vec v) { return _mm512_xor_si512(v, _mm512_set1_epi64(-1)); }
  template <int kBits>
  PATTERN_FORM_TARGET static Vec ShiftRight(Vec v) {
    return _mm512_srli_epi64(v, kBits);
  }
  PATTERN_FORM_TARGET static Vec MultiplyMix(Vec v) {
    return _mm512_mullo_epi64(v, Broadcast(kPatternMixMultiplier));
  }
  PATTERN_FORM_TARGET static bool AnyNonzero(Vec v) { return _mm512_test_epi64_mask(v, v) != 0; }
  PATTERN_FORM_TARGET static uint64_t NonzeroLanes(Vec v) {
    return static_cast<uint64_t>(std::popcount(static_cast<unsigned>(_mm512_test_epi64_mask(v, v))));
  }
};

#include "probe/stress/pattern_form_loops.h"

}  // namespace

void WritePatternAvx512(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed,
                        bool streaming) {
  WriteWithForm(words, count, firstIndex, pass, seed, streaming);
}

uint64_t CountPatternErrorsAvx512(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                                  uint64_t seed) {
  return CountWithForm(words, count, firstIndex, pass, seed);
}

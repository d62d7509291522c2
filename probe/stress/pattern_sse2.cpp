#include <emmintrin.h>

#include <cstdint>

#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_constants.h"
#include "probe/stress/pattern_forms.h"

namespace {

// Every x86-64 processor has SSE2, so this form needs no target of its own.
#define PATTERN_FORM_TARGET

// Two words a vector, lanes compared 32 bits at a time.
struct Form {
  using Vec = __m128i;
  static constexpr uint64_t kLanes = 2;
  // Three 32 x 32-bit multiplies for two words cost more than the plain
  // form's one 64-bit multiply per word: the mix kinds run in the plain form.
  static constexpr bool kVectorMix = false;

  static Vec Load(const uint64_t* at) { return _mm_load_si128(reinterpret_cast<const __m128i*>(at)); }
  static void Store(uint64_t* at, Vec v) { _mm_store_si128(reinterpret_cast<__m128i*>(at), v); }
  static void StoreStreaming(uint64_t* at, Vec v) { _mm_stream_si128(reinterpret_cast<__m128i*>(at), v); }
  static Vec LoadLanes(const uint64_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }
  static Vec Broadcast(uint64_t v) { return _mm_set1_epi64x(static_cast<long long>(v)); }
  static Vec Xor(Vec a, Vec b) { return _mm_xor_si128(a, b); }
  static Vec Or(Vec a, Vec b) { return _mm_or_si128(a, b); }
  static bool AnyNonzero(Vec v) { return _mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_setzero_si128())) != 0xFFFF; }
  static uint64_t NonzeroLanes(Vec v) {
    const int zeroHalves = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(v, _mm_setzero_si128())));
    return static_cast<uint64_t>((zeroHalves & 0x3) != 0x3) + static_cast<uint64_t>((zeroHalves & 0xC) != 0xC);
  }
};

#include "probe/stress/pattern_form_loops.h"

}  // namespace

void WritePatternSse2(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed,
                      bool streaming) {
  WriteWithForm(words, count, firstIndex, pass, seed, streaming);
}

uint64_t CountPatternErrorsSse2(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                                uint64_t seed) {
  return CountWithForm(words, count, firstIndex, pass, seed);
}

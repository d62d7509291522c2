#include <immintrin.h>

#include <bit>
#include <cstdint>

#include "probe/stress/kernel_target.h"
#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_constants.h"
#include "probe/stress/pattern_forms.h"

namespace {

#define PATTERN_FORM_TARGET VANTOREL_TARGET("avx2")

// Four words a vector. AVX2 has no 64-bit multiply: the low 64 bits of a
// product come from three 32 x 32-bit ones.
struct Form {
  using Vec = __m256i;
  static constexpr uint64_t kLanes = 4;
  static constexpr bool kVectorMix = true;

  PATTERN_FORM_TARGET static Vec Load(const uint64_t* at) {
    return _mm256_load_si256(reinterpret_cast<const __m256i*>(at));
  }
  PATTERN_FORM_TARGET static void Store(uint64_t* at, Vec v) {
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), v);
  }
  PATTERN_FORM_TARGET static void StoreStreaming(uint64_t* at, Vec v) {
    _mm256_stream_si256(reinterpret_cast<__m256i*>(at), v);
  }
  PATTERN_FORM_TARGET static Vec LoadLanes(const uint64_t* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  }
  PATTERN_FORM_TARGET static Vec Broadcast(uint64_t v) { return _mm256_set1_epi64x(static_cast<long long>(v)); }
  PATTERN_FORM_TARGET static Vec Add(Vec a, Vec b) { return _mm256_add_epi64(a, b); }
  PATTERN_FORM_TARGET static Vec Xor(Vec a, Vec b) { return _mm256_xor_si256(a, b); }
  PATTERN_FORM_TARGET static Vec Or(Vec a, Vec b) { return _mm256_or_si256(a, b); }
  PATTERN_FORM_TARGET static Vec Not(Vec v) { return _mm256_xor_si256(v, _mm256_set1_epi64x(-1)); }
  template <int kBits>
  PATTERN_FORM_TARGET static Vec ShiftRight(Vec v) {
    return _mm256_srli_epi64(v, kBits);
  }
  PATTERN_FORM_TARGET static Vec MultiplyMix(Vec v) {
    const Vec low = Broadcast(kPatternMixMultiplier);  // mul_epu32 takes the low half of each lane
    const Vec high = Broadcast(kPatternMixMultiplier >> 32);
    const Vec cross = _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(v, 32), low), _mm256_mul_epu32(v, high));
    return _mm256_add_epi64(_mm256_mul_epu32(v, low), _mm256_slli_epi64(cross, 32));
  }
  PATTERN_FORM_TARGET static bool AnyNonzero(Vec v) { return _mm256_testz_si256(v, v) == 0; }
  PATTERN_FORM_TARGET static uint64_t NonzeroLanes(Vec v) {
    const int zero = _mm256_movemask_pd(_mm256_castsi256_pd(_mm256_cmpeq_epi64(v, _mm256_setzero_si256())));
    return kLanes - static_cast<uint64_t>(std::popcount(static_cast<unsigned>(zero)));
  }
};

#include "probe/stress/pattern_form_loops.h"

}  // namespace

void WritePatternAvx2(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed,
                      bool streaming) {
  WriteWithForm(words, count, firstIndex, pass, seed, streaming);
}

uint64_t CountPatternErrorsAvx2(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                                uint64_t seed) {
  return CountWithForm(words, count, firstIndex, pass, seed);
}

#include "probe/stress/copy_forms.h"

#include <emmintrin.h>
#include <xmmintrin.h>
#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include <cstring>

#include "probe/stress/copy_forms_internal.h"
#include "probe/stress/fastest_form.h"

namespace {

#define COPY_FORM_TARGET

struct CopyVec {
  using Vec = __m128i;
  static constexpr size_t kBytes = 16;
  static Vec LoadUnaligned(const unsigned char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }
  static void StoreStreaming(unsigned char* at, Vec v) { _mm_stream_si128(reinterpret_cast<__m128i*>(at), v); }
};

#include "probe/stress/copy_stream_loop.h"

void StringMove(void* destination, const void* source, size_t bytes) {
#if defined(_MSC_VER)
  __movsb(static_cast<unsigned char*>(destination), static_cast<const unsigned char*>(source), bytes);
#else
  __asm__ volatile("rep movsb" : "+D"(destination), "+S"(source), "+c"(bytes) : : "memory");
#endif
}

// Plain stores: the destination's lines are read into the caches first,
// which costs on regions larger than the caches and pays on smaller ones.
void VectorCopy(void* destination, const void* source, size_t bytes) {
  auto* out = static_cast<unsigned char*>(destination);
  const auto* in = static_cast<const unsigned char*>(source);
  for (; bytes >= 64; bytes -= 64, in += 64, out += 64) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16));
    const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 32));
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 48));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), a);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), b);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 32), c);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 48), d);
  }
  memcpy(out, in, bytes);
}

}  // namespace

bool CopyFormRuns(CopyForm form, const ProcessorFeatures& features) {
  switch (form) {
    case CopyForm::kStreamingAvx2:
      return features.avx2;
    case CopyForm::kStreamingAvx512:
      return features.avx512f;
    case CopyForm::kStringMove:
    case CopyForm::kStreamingSse2:
    case CopyForm::kVector:
    case CopyForm::kLibraryCopy:
      return true;  // every 64-bit x86 has them
  }
  return false;
}

const char* CopyFormName(CopyForm form) {
  switch (form) {
    case CopyForm::kStringMove:
      return "rep_movsb";
    case CopyForm::kStreamingSse2:
      return "streaming_sse2";
    case CopyForm::kStreamingAvx2:
      return "streaming_avx2";
    case CopyForm::kStreamingAvx512:
      return "streaming_avx512";
    case CopyForm::kVector:
      return "vector";
    case CopyForm::kLibraryCopy:
      return "memcpy";
  }
  return "?";
}

void CopyRegion(CopyForm form, void* destination, const void* source, size_t bytes) {
  switch (form) {
    case CopyForm::kStringMove:
      return StringMove(destination, source, bytes);
    case CopyForm::kStreamingSse2:
      return StreamingCopy(destination, source, bytes);
    case CopyForm::kStreamingAvx2:
      return StreamingCopyAvx2(destination, source, bytes);
    case CopyForm::kStreamingAvx512:
      return StreamingCopyAvx512(destination, source, bytes);
    case CopyForm::kVector:
      return VectorCopy(destination, source, bytes);
    case CopyForm::kLibraryCopy:
      break;
  }
  memcpy(destination, source, bytes);
}

void CopyRegionReference(void* destination, const void* source, size_t bytes) {
  auto* out = static_cast<volatile unsigned char*>(destination);  // kept a byte loop, not turned into memcpy
  const auto* in = static_cast<const unsigned char*>(source);
  for (size_t i = 0; i < bytes; ++i) out[i] = in[i];
}

CopyForm ChooseFastestCopyForm(const CopyTrial& trial) {
  const int fastest = FastestTimedForm(trial.bestSeconds, kCopyFormCount);
  return fastest < 0 ? CopyForm::kStreamingSse2 : static_cast<CopyForm>(fastest);
}

CopyTrial TimeCopyForms(void* destination, const void* source, size_t bytes, const ProcessorFeatures& features,
                        double (*now)(), int rounds) {
  CopyTrial trial;
  const size_t piece = bytes / kCopyTrialPieces;
  TimeFormsInPieces<kCopyFormCount, kCopyTrialPieces>(
      trial.bestSeconds, rounds, now, [&](int form) { return CopyFormRuns(static_cast<CopyForm>(form), features); },
      [&](int form, int k) {
        const size_t offset = piece * static_cast<size_t>(k);
        const size_t length = k + 1 == kCopyTrialPieces ? bytes - offset : piece;
        CopyRegion(static_cast<CopyForm>(form), static_cast<unsigned char*>(destination) + offset,
                   static_cast<const unsigned char*>(source) + offset, length);
      });
  return trial;
}

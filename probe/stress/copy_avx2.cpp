#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "probe/stress/copy_forms_internal.h"
#include "probe/stress/kernel_target.h"

namespace {

#define COPY_FORM_TARGET VANTOREL_TARGET("avx2")

// 32-byte vectors.
struct CopyVec {
  using Vec = __m256i;
  static constexpr size_t kBytes = 32;
  COPY_FORM_TARGET static Vec LoadUnaligned(const unsigned char* at) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at));
  }
  COPY_FORM_TARGET static void StoreStreaming(unsigned char* at, Vec v) {
    _mm256_stream_si256(reinterpret_cast<__m256i*>(at), v);
  }
};

#include "probe/stress/copy_stream_loop.h"

}  // namespace

void StreamingCopyAvx2(void* destination, const void* source, size_t bytes) {
  StreamingCopy(destination, source, bytes);
}

#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "probe/stress/copy_forms_internal.h"
#include "probe/stress/kernel_target.h"

namespace {

#define COPY_FORM_TARGET VANTOREL_TARGET("avx512f")

// 64-byte vectors.
struct CopyVec {
  using Vec = __m512i;
  static constexpr size_t kBytes = 64;
  COPY_FORM_TARGET static Vec LoadUnaligned(const unsigned char* at) { return _mm512_loadu_si512(at); }
  COPY_FORM_TARGET static void StoreStreaming(unsigned char* at, Vec v) {
    _mm512_stream_si512(reinterpret_cast<__m512i*>(at), v);
  }
};

#include "probe/stress/copy_stream_loop.h"

}  // namespace

void StreamingCopyAvx512(void* destination, const void* source, size_t bytes) {
  StreamingCopy(destination, source, bytes);
}

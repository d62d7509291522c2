#include "probe/stress/processor_features.h"

#include <cstdint>

#if defined(_MSC_VER)
#include <immintrin.h>
#include <intrin.h>
#else
#include <cpuid.h>
#endif

namespace {

struct CpuidResult {
  uint32_t eax, ebx, ecx, edx;
};

CpuidResult Cpuid(uint32_t leaf, uint32_t subleaf) {
#if defined(_MSC_VER)
  int r[4];
  __cpuidex(r, static_cast<int>(leaf), static_cast<int>(subleaf));
  return {static_cast<uint32_t>(r[0]), static_cast<uint32_t>(r[1]), static_cast<uint32_t>(r[2]),
          static_cast<uint32_t>(r[3])};
#else
  CpuidResult r{};
  __cpuid_count(leaf, subleaf, r.eax, r.ebx, r.ecx, r.edx);
  return r;
#endif
}

// Register state the operating system saves (XCR0); only valid with OSXSAVE.
uint64_t SavedRegisterState() {
#if defined(_MSC_VER)
  return _xgetbv(0);
#else
  uint32_t low, high;
  __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
  return (static_cast<uint64_t>(high) << 32) | low;
#endif
}

constexpr uint64_t kSavesXmmYmm = 0x6;     // SSE and AVX state
constexpr uint64_t kSavesZmmMasks = 0xE6;  // plus opmask, upper ZMM0-15 and ZMM16-31

}  // namespace

ProcessorFeatures ReadProcessorFeatures() {
  ProcessorFeatures features;
  const uint32_t maxLeaf = Cpuid(0, 0).eax;
  if (maxLeaf < 1) return features;
  const CpuidResult leaf1 = Cpuid(1, 0);
  features.sse2 = (leaf1.edx >> 26) & 1;
  const bool osxsave = (leaf1.ecx >> 27) & 1;
  const bool avx = (leaf1.ecx >> 28) & 1;
  if (maxLeaf < 7) return features;
  const CpuidResult leaf7 = Cpuid(7, 0);
  features.erms = (leaf7.ebx >> 9) & 1;
  if (!osxsave || !avx) return features;
  const uint64_t saved = SavedRegisterState();
  if ((saved & kSavesXmmYmm) != kSavesXmmYmm) return features;
  features.avx2 = (leaf7.ebx >> 5) & 1;
  if ((saved & kSavesZmmMasks) == kSavesZmmMasks) {
    features.avx512f = (leaf7.ebx >> 16) & 1;
    features.avx512dq = (leaf7.ebx >> 17) & 1;
  }
  return features;
}

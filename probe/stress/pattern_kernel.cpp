#include "probe/stress/pattern_kernel.h"

#include <initializer_list>

#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_forms.h"

bool PatternKernelRuns(PatternKernel kernel, const ProcessorFeatures& features) {
  switch (kernel) {
    case PatternKernel::kPlain:
      return true;
    case PatternKernel::kSse2:
      return features.sse2;
    case PatternKernel::kAvx2:
      return features.avx2;
    case PatternKernel::kAvx512:
      return features.avx512f && features.avx512dq;
  }
  return false;
}

PatternKernel ChoosePatternKernel(const ProcessorFeatures& features) {
  for (PatternKernel kernel : {PatternKernel::kAvx512, PatternKernel::kAvx2, PatternKernel::kSse2}) {
    if (PatternKernelRuns(kernel, features)) return kernel;
  }
  return PatternKernel::kPlain;
}

PatternKernel MachinePatternKernel() {
  static const PatternKernel kernel = ChoosePatternKernel(ReadProcessorFeatures());
  return kernel;
}

const char* PatternKernelName(PatternKernel kernel) {
  switch (kernel) {
    case PatternKernel::kPlain:
      return "plain";
    case PatternKernel::kSse2:
      return "sse2";
    case PatternKernel::kAvx2:
      return "avx2";
    case PatternKernel::kAvx512:
      return "avx512";
  }
  return "plain";
}

const char* PatternStoresName(PatternStores stores) {
  return stores == PatternStores::kStreaming ? "streaming" : "plain";
}

void WritePattern(PatternKernel kernel, PatternStores stores, uint64_t* words, uint64_t count, uint64_t firstIndex,
                  int32_t pass, uint64_t seed) {
  const bool streaming = stores == PatternStores::kStreaming;
  switch (kernel) {
    case PatternKernel::kSse2:
      return WritePatternSse2(words, count, firstIndex, pass, seed, streaming);
    case PatternKernel::kAvx2:
      return WritePatternAvx2(words, count, firstIndex, pass, seed, streaming);
    case PatternKernel::kAvx512:
      return WritePatternAvx512(words, count, firstIndex, pass, seed, streaming);
    case PatternKernel::kPlain:
      break;
  }
  WritePattern(words, count, firstIndex, pass, seed);
}

void WritePattern(PatternKernel kernel, uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                  uint64_t seed) {
  WritePattern(kernel, PatternStores::kPlain, words, count, firstIndex, pass, seed);
}

PatternStores StoresForBlock(uint64_t blockBytes, uint64_t lastLevelCacheBytes) {
  return blockBytes > lastLevelCacheBytes || lastLevelCacheBytes == 0 ? PatternStores::kStreaming
                                                                      : PatternStores::kPlain;
}

uint64_t CountPatternErrors(PatternKernel kernel, const uint64_t* words, uint64_t count, uint64_t firstIndex,
                            int32_t pass, uint64_t seed) {
  switch (kernel) {
    case PatternKernel::kSse2:
      return CountPatternErrorsSse2(words, count, firstIndex, pass, seed);
    case PatternKernel::kAvx2:
      return CountPatternErrorsAvx2(words, count, firstIndex, pass, seed);
    case PatternKernel::kAvx512:
      return CountPatternErrorsAvx512(words, count, firstIndex, pass, seed);
    case PatternKernel::kPlain:
      break;
  }
  return CountPatternErrors(words, count, firstIndex, pass, seed);
}

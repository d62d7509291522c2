// Both forms of the benchmark's memory copy, forced one by one.
#include <gtest/gtest.h>

#include <vector>

#include "probe/stress/benchmark_unit.h"

namespace {

// A form that drops the bytes after its last whole block, or that runs past
// the end of the region, would count bandwidth for a copy it did not make.
TEST(CopyForms, EachFormCopiesEveryByteAndNoMore) {
  const size_t sizes[] = {16, 64, 4096 + 48, 1024 * 1024, 1024 * 1024 + 48};
  for (CopyForm form : {CopyForm::kStreaming, CopyForm::kStringMove}) {
    for (size_t bytes : sizes) {
      SCOPED_TRACE(testing::Message() << CopyFormName(form) << " " << bytes << " bytes");
      std::vector<uint8_t> source(bytes + 64), destinationStorage(bytes + 64 + 32, 0xEE);
      uint8_t* destination = destinationStorage.data();
      while (reinterpret_cast<uintptr_t>(destination) % 16 != 0) ++destination;
      const uint8_t* from = source.data();
      while (reinterpret_cast<uintptr_t>(from) % 16 != 0) ++from;
      for (size_t i = 0; i < source.size(); ++i) source[i] = static_cast<uint8_t>(i * 7 + 3);
      CopyRegion(form, destination, from, bytes);
      for (size_t i = 0; i < bytes; ++i) ASSERT_EQ(destination[i], from[i]) << i;
      for (size_t i = bytes; i < bytes + 16; ++i) ASSERT_EQ(destination[i], 0xEE) << "wrote past the end at " << i;
    }
  }
}

// The string copy is only fast where the processor says so; elsewhere the
// streaming stores are the better copy.
TEST(CopyForms, StringCopyOnlyWhereReportedFast) {
  ProcessorFeatures features;
  features.sse2 = true;
  EXPECT_EQ(ChooseCopyForm(features), CopyForm::kStreaming);
  features.erms = true;
  EXPECT_EQ(ChooseCopyForm(features), CopyForm::kStringMove);
}

}  // namespace

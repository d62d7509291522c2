// The forms of the benchmark's memory copy, forced one by one against the
// byte-at-a-time reference, and the rule that picks one from a timed trial.
#include <gtest/gtest.h>

#include <vector>

#include "probe/stress/copy_forms.h"

namespace {

// A form that drops the bytes after its last whole block or page group, that
// mishandles a destination not on a line boundary, or that runs past the end
// of the region, would count bandwidth for a copy it did not make.
TEST(CopyForms, EachFormCopiesLikeTheReferenceAndNoMore) {
  const ProcessorFeatures features = ReadProcessorFeatures();
  const size_t sizes[] = {0, 1, 16, 63, 64, 4096 + 48, 4 * 4096, 4 * 4096 + 4 * 4096 - 1, 1024 * 1024 + 48};
  const size_t offsets[] = {0, 1, 16, 40};  // of the destination from a 64-byte boundary; the source is one more
  for (int i = 0; i < kCopyFormCount; ++i) {
    const CopyForm form = static_cast<CopyForm>(i);
    if (!CopyFormRuns(form, features)) continue;
    for (size_t bytes : sizes) {
      for (size_t offset : offsets) {
        SCOPED_TRACE(testing::Message() << CopyFormName(form) << " " << bytes << " bytes at +" << offset);
        std::vector<uint8_t> source(bytes + 128), expected(bytes + 192, 0xEE), actual(bytes + 192, 0xEE);
        for (size_t k = 0; k < source.size(); ++k) source[k] = static_cast<uint8_t>(k * 7 + 3);
        auto lineStart = [](std::vector<uint8_t>& v) {
          uint8_t* p = v.data();
          while (reinterpret_cast<uintptr_t>(p) % 64 != 0) ++p;
          return p;
        };
        const uint8_t* from = lineStart(source) + offset + 1;
        CopyRegionReference(lineStart(expected) + offset, from, bytes);
        CopyRegion(form, lineStart(actual) + offset, from, bytes);
        // From the line the copy starts in to the line after its end.
        const std::vector<uint8_t> want(lineStart(expected), lineStart(expected) + offset + bytes + 64);
        const std::vector<uint8_t> got(lineStart(actual), lineStart(actual) + offset + bytes + 64);
        ASSERT_EQ(want, got);  // every byte copied, and none around the region touched
      }
    }
  }
}

// The memory step copies in the form its trial timed fastest. A rule that took
// the slowest, the first that ran, or a form the trial skipped (time 0) would
// report a copy well below what the machine does.
TEST(CopyForms, TrialPicksTheShortestTimeAndSkipsUntimedForms) {
  struct Case {
    const char* name;
    double seconds[kCopyFormCount];  // in the order of CopyForm
    CopyForm expected;
  };
  const Case cases[] = {
      {"string copy fastest", {0.020, 0.025, 0.024, 0.023, 0.030, 0.028}, CopyForm::kStringMove},
      {"512-bit streaming fastest", {0.030, 0.025, 0.024, 0.021, 0.030, 0.028}, CopyForm::kStreamingAvx512},
      {"untimed forms never win", {0.030, 0.025, 0, 0, 0.030, 0.028}, CopyForm::kStreamingSse2},
      {"library copy fastest, last in the list", {0.030, 0.025, 0.024, 0.023, 0.030, 0.0229}, CopyForm::kLibraryCopy},
      {"of equal times the first", {0.030, 0.022, 0.022, 0.022, 0.030, 0.028}, CopyForm::kStreamingSse2},
      {"nothing timed", {0, 0, 0, 0, 0, 0}, CopyForm::kStreamingSse2},
      {"only the last timed", {0, 0, 0, 0, 0, 0.5}, CopyForm::kLibraryCopy},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CopyTrial trial;
    for (int i = 0; i < kCopyFormCount; ++i) trial.bestSeconds[i] = c.seconds[i];
    EXPECT_STREQ(CopyFormName(ChooseFastestCopyForm(trial)), CopyFormName(c.expected));
  }
}

// The trial times only forms that run here, each copy in pieces, and keeps
// each piece's best round: a form slowed once by other work must not lose to
// one that was not, and every piece of the region must be copied and counted.
TEST(CopyForms, TrialTimesEveryFormThatRunsAndKeepsEachPiecesBest) {
  ProcessorFeatures features;
  features.sse2 = true;  // no AVX: those forms must not be timed (they would fault on such a processor)
  static int formsRun, readings;
  static double clock;
  formsRun = 0;
  for (int i = 0; i < kCopyFormCount; ++i) formsRun += CopyFormRuns(static_cast<CopyForm>(i), features) ? 1 : 0;
  readings = 0;
  clock = 0;
  // Two readings per piece. In the first round every piece takes 3 s; in the
  // second 1 s, but the last form's first piece takes 5 s: its best is 3 + 1 + 1 + 1.
  auto now = [] {
    const int piece = readings++ / 2;
    if (readings % 2 == 1) return clock;
    const int copy = piece / kCopyTrialPieces;
    const bool lastFormsFirstPiece = copy % formsRun == formsRun - 1 && piece % kCopyTrialPieces == 0;
    return clock += copy < formsRun ? 3.0 : lastFormsFirstPiece ? 5.0 : 1.0;
  };
  std::vector<uint8_t> source(4099), destination(4099);
  for (size_t k = 0; k < source.size(); ++k) source[k] = static_cast<uint8_t>(k * 13 + 1);
  const CopyTrial trial = TimeCopyForms(destination.data(), source.data(), source.size(), features, now, 2);
  int timed = 0;
  for (int i = 0; i < kCopyFormCount; ++i) {
    const CopyForm form = static_cast<CopyForm>(i);
    SCOPED_TRACE(CopyFormName(form));
    if (!CopyFormRuns(form, features)) {
      EXPECT_EQ(trial.bestSeconds[i], 0.0);
      continue;
    }
    EXPECT_EQ(trial.bestSeconds[i], ++timed == formsRun ? 3.0 + kCopyTrialPieces - 1 : 1.0 * kCopyTrialPieces);
  }
  EXPECT_EQ(readings, 2 * 2 * kCopyTrialPieces * formsRun);
  EXPECT_EQ(destination, source);  // the pieces together are the whole region
}

}  // namespace

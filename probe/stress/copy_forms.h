#pragma once

#include <cstddef>
#include <cstdint>

#include "probe/stress/processor_features.h"

// The ways the benchmark's memory step can copy a region, and the short timed
// trial that picks one on the regions it is about to measure. Which copy is
// fastest depends on the machine more than its flags tell: the string copy
// (rep movsb) wins on some processors that report it fast and loses on others
// to streaming stores, which skip reading the destination into the caches.
// So every form that runs here is timed, and the fastest is used.
enum class CopyForm {
  kStringMove,       // rep movsb
  kStreamingSse2,    // 16-byte non-temporal stores, four pages at a time
  kStreamingAvx2,    // 32-byte non-temporal stores, four pages at a time
  kStreamingAvx512,  // 64-byte non-temporal stores, four pages at a time
  kVector,           // 16-byte loads and plain stores
  kLibraryCopy,      // the C runtime's memcpy
};
constexpr int kCopyFormCount = 6;

bool CopyFormRuns(CopyForm form, const ProcessorFeatures& features);
// "rep_movsb", "streaming_sse2", "streaming_avx2", "streaming_avx512", "vector", "memcpy"
const char* CopyFormName(CopyForm form);

// Copies bytes from source to destination (any sizes and alignments, the
// regions apart) in the given form, which the caller has checked with
// CopyFormRuns.
void CopyRegion(CopyForm form, void* destination, const void* source, size_t bytes);

// The reference every form is tested against: one byte at a time.
void CopyRegionReference(void* destination, const void* source, size_t bytes);

// The best (shortest) time of one whole copy in each form; 0 for a form that
// was not timed (it does not run here, or the trial was cut short).
struct CopyTrial {
  double bestSeconds[kCopyFormCount] = {};
};

// The form with the shortest time; of equal times, the first in the list.
// With no form timed, the SSE2 streaming copy, which every 64-bit x86 runs.
CopyForm ChooseFastestCopyForm(const CopyTrial& trial);

// Copies the regions once in every form that runs here, taking turns, rounds
// times, each copy timed in kCopyTrialPieces pieces (the last takes the rest;
// 8 MiB of the step's 256 MiB, a millisecond or so). A form's time is the sum
// of each piece's best time over the rounds (TimeFormsInPieces). now() is a
// clock in seconds.
constexpr int kCopyTrialRounds = 3;
constexpr int kCopyTrialPieces = 32;
CopyTrial TimeCopyForms(void* destination, const void* source, size_t bytes, const ProcessorFeatures& features,
                        double (*now)(), int rounds = kCopyTrialRounds);

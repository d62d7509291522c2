#pragma once

#include <cstddef>
#include <cstdint>

#include "probe/input/input_records.h"

// What GetRawInputData copies for one WM_INPUT, read into the bookkeeping's
// records. A mouse report is the largest we read; anything bigger is no mouse
// or keyboard, and the call refuses to copy it into our buffer.
constexpr size_t kRawInputBytes = 48;

enum class RawReportKind { kIgnored, kMouse, kKeyboard };

struct RawReport {
  RawReportKind kind = RawReportKind::kIgnored;
  MouseEvent mouse;  // when kind is kMouse
  KeyEvent key;      // when kind is kKeyboard
};

// Reads the copied bytes of one report and stamps it with time. Only whole
// mouse and keyboard reports are read: one shorter than its kind, or whose
// header gives a size that is not between its kind's and the bytes copied,
// is ignored, and nothing past the copied bytes is ever read.
RawReport ReadRawInputReport(const uint8_t* bytes, size_t copied, int64_t time);

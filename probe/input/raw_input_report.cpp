#include "probe/input/raw_input_report.h"

#include <windows.h>

#include <cstring>

namespace {

constexpr size_t kDataOffset = offsetof(RAWINPUT, data);
static_assert(kDataOffset == sizeof(RAWINPUTHEADER), "the report follows its header");
constexpr size_t kMouseBytes = kDataOffset + sizeof(RAWMOUSE);
constexpr size_t kKeyboardBytes = kDataOffset + sizeof(RAWKEYBOARD);
static_assert(kMouseBytes <= kRawInputBytes && kKeyboardBytes <= kRawInputBytes, "both kinds fit the buffer");

}  // namespace

RawReport ReadRawInputReport(const uint8_t* bytes, size_t copied, int64_t time) {
  RawReport report;
  if (bytes == nullptr || copied < sizeof(RAWINPUTHEADER)) return report;
  RAWINPUTHEADER header;
  memcpy(&header, bytes, sizeof(header));
  const size_t needed = header.dwType == RIM_TYPEMOUSE ? kMouseBytes
                        : header.dwType == RIM_TYPEKEYBOARD ? kKeyboardBytes
                                                           : 0;
  // The header's size lies between its kind's and the bytes copied, so every byte read was copied.
  if (needed == 0 || header.dwSize < needed || header.dwSize > copied) return report;
  const uintptr_t device = reinterpret_cast<uintptr_t>(header.hDevice);
  if (header.dwType == RIM_TYPEMOUSE) {
    RAWMOUSE m;
    memcpy(&m, bytes + kDataOffset, sizeof(m));
    report.kind = RawReportKind::kMouse;
    report.mouse = {device, time, m.lLastX, m.lLastY, m.usFlags};
  } else {
    RAWKEYBOARD k;
    memcpy(&k, bytes + kDataOffset, sizeof(k));
    report.kind = RawReportKind::kKeyboard;
    report.key = {device, time, k.MakeCode, k.Flags};
  }
  return report;
}

#pragma once

#include <cstdint>
#include <string>

// What the window procedure hands to the bookkeeping: one raw-input report,
// stamped with the performance counter as it reached our thread.

struct MouseEvent {
  uintptr_t device = 0;  // raw-input device handle
  int64_t time = 0;      // QueryPerformanceCounter value
  int32_t dx = 0;        // lLastX
  int32_t dy = 0;        // lLastY
  uint16_t flags = 0;    // usFlags
};

struct KeyEvent {
  uintptr_t device = 0;
  int64_t time = 0;
  uint16_t makeCode = 0;
  uint16_t flags = 0;  // RI_KEY_BREAK, RI_KEY_E0, RI_KEY_E1
};

// Same values as the Windows headers, so the bookkeeping needs none of them.
constexpr uint16_t kMouseMoveAbsolute = 0x01;  // MOUSE_MOVE_ABSOLUTE
constexpr uint16_t kKeyBreak = 0x01;           // RI_KEY_BREAK
constexpr uint16_t kKeyE0 = 0x02;              // RI_KEY_E0
constexpr uint16_t kKeyE1 = 0x04;              // RI_KEY_E1

// Counter ticks from earlier to later, negative when later comes first. The
// plain signed difference of two far-apart counter values would overflow.
inline double TicksBetween(int64_t earlier, int64_t later) {
  return later >= earlier ? static_cast<double>(static_cast<uint64_t>(later) - static_cast<uint64_t>(earlier))
                          : -static_cast<double>(static_cast<uint64_t>(earlier) - static_cast<uint64_t>(later));
}

// Reads a device's product string; empty when it cannot be read.
using DeviceNameReader = std::wstring (*)(uintptr_t device);

#pragma once

#include <cstdint>
#include <string>

#include "probe/input/input_records.h"

// A counter that ticks once a microsecond keeps the expected intervals exact.
constexpr int64_t kMicrosecondCounter = 1000000;

// Device names the tests hand out, and how often each was asked for.
struct FakeNames {
  static inline int calls = 0;
  static inline std::wstring next = L"";
  static std::wstring Read(uintptr_t) {
    ++calls;
    return next;
  }
  static void Reset(const std::wstring& name) {
    calls = 0;
    next = name;
  }
};

inline MouseEvent Move(uintptr_t device, int64_t timeUs, int32_t dx = 1, int32_t dy = 0, uint16_t flags = 0) {
  return {device, timeUs, dx, dy, flags};
}

inline KeyEvent Key(int64_t timeUs, uint16_t makeCode, uint16_t flags = 0, uintptr_t device = 0x10) {
  return {device, timeUs, makeCode, flags};
}

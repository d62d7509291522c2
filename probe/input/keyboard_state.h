#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "probe/input/input_records.h"

constexpr size_t kMaxRepeatIntervals = 2000;
// Longer than any keyboard's repeat delay: a key down this long without a
// repeat is no longer held, its key-up went missing (it was released while
// another desktop, such as the lock screen, had the keyboard).
constexpr double kMaxRepeatIntervalMs = 2000.0;

// All keyboards together: the user's hands, not the devices, hold keys.
struct KeyboardState {
  std::wstring name;                 // the first keyboard whose name could be read
  std::map<uint16_t, int64_t> held;  // key id -> counter value of its latest key-down
  uint32_t presses = 0;              // new presses this period
  std::vector<double> repeatIntervalsMs;
  uint32_t heldMax = 0;  // most keys down at once this period
};

// The make code with the E0 and E1 prefixes as bits 8 and 9, so an extended
// key and its plain twin differ.
uint16_t KeyId(uint16_t makeCode, uint16_t flags);

void CountKeyEvent(KeyboardState& keyboard, const KeyEvent& event, int64_t frequency, DeviceNameReader readName);

// A new period at counter value now: keys still down carry over into its held
// maximum; keys whose key-up went missing are dropped.
void ResetKeyboardPeriod(KeyboardState& keyboard, int64_t now, int64_t frequency);

#include "probe/input/keyboard_state.h"

uint16_t KeyId(uint16_t makeCode, uint16_t flags) {
  return static_cast<uint16_t>(makeCode | ((flags & (kKeyE0 | kKeyE1)) << 7));
}

void CountKeyEvent(KeyboardState& keyboard, const KeyEvent& event, int64_t frequency, DeviceNameReader readName) {
  const uint16_t id = KeyId(event.makeCode, event.flags);
  // A keyboard whose name cannot be read is retried at the next key.
  if (keyboard.name.empty() && readName) keyboard.name = readName(event.device);

  if (event.flags & kKeyBreak) {
    keyboard.held.erase(id);
    return;
  }
  const auto found = keyboard.held.find(id);
  if (found == keyboard.held.end()) {
    keyboard.held.emplace(id, event.time);
    ++keyboard.presses;
    const uint32_t down = static_cast<uint32_t>(keyboard.held.size());
    if (down > keyboard.heldMax) keyboard.heldMax = down;
    return;
  }
  // A key-down of a key already down is the keyboard's auto-repeat.
  const double ms = static_cast<double>(event.time - found->second) * 1000.0 / static_cast<double>(frequency);
  if (ms > 0 && ms < kMaxRepeatIntervalMs && keyboard.repeatIntervalsMs.size() < kMaxRepeatIntervals) {
    keyboard.repeatIntervalsMs.push_back(ms);
  }
  found->second = event.time;
}

void ResetKeyboardPeriod(KeyboardState& keyboard) {
  keyboard.presses = 0;
  keyboard.repeatIntervalsMs.clear();
  keyboard.heldMax = static_cast<uint32_t>(keyboard.held.size());
}

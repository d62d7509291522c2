#include "probe/input/keyboard_state.h"

#include <map>

namespace {

double MillisecondsBetween(int64_t earlier, int64_t later, int64_t frequency) {
  return TicksBetween(earlier, later) * 1000.0 / static_cast<double>(frequency);
}

}  // namespace

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
  auto found = keyboard.held.find(id);
  const double ms = found == keyboard.held.end() ? 0 : MillisecondsBetween(found->second, event.time, frequency);
  if (found != keyboard.held.end() && ms >= kMaxRepeatIntervalMs) {
    // No repeat for that long: the key was released unseen and is pressed anew.
    keyboard.held.erase(found);
    found = keyboard.held.end();
  }
  if (found == keyboard.held.end()) {
    keyboard.held.emplace(id, event.time);
    ++keyboard.presses;
    const uint32_t down = static_cast<uint32_t>(keyboard.held.size());
    if (down > keyboard.heldMax) keyboard.heldMax = down;
    return;
  }
  // A key-down of a key already down is the keyboard's auto-repeat.
  if (ms > 0 && keyboard.repeatIntervalsMs.size() < kMaxRepeatIntervals) keyboard.repeatIntervalsMs.push_back(ms);
  found->second = event.time;
}

void ResetKeyboardPeriod(KeyboardState& keyboard, int64_t now, int64_t frequency) {
  std::erase_if(keyboard.held, [&](const auto& key) {
    return MillisecondsBetween(key.second, now, frequency) >= kMaxRepeatIntervalMs;
  });
  keyboard.presses = 0;
  keyboard.repeatIntervalsMs.clear();
  keyboard.heldMax = static_cast<uint32_t>(keyboard.held.size());
}

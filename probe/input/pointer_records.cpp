#include "probe/input/pointer_records.h"

bool CountMouseEvent(PointerTable& table, const MouseEvent& event, int64_t frequency, DeviceNameReader readName) {
  const bool moved = event.dx != 0 || event.dy != 0 || (event.flags & kMouseMoveAbsolute) != 0;
  if (!moved) return false;
  PointerRecord& record = table[event.device];
  if (!record.seen && record.name.empty() && readName) record.name = readName(event.device);
  if (record.seen) {
    const double us = TicksBetween(record.lastTime, event.time) * 1000000.0 / static_cast<double>(frequency);
    if (us > 0 && us < kMaxMouseIntervalUs && record.intervalsUs.size() < kMaxMouseIntervals) {
      record.intervalsUs.push_back(us);
    }
  }
  record.seen = true;
  record.lastTime = event.time;
  ++record.count;
  return true;
}

PointerRecord* BusiestPointer(PointerTable& table) {
  PointerRecord* busiest = nullptr;
  for (auto& [device, record] : table) {
    if (record.count > 0 && (!busiest || record.count > busiest->count)) busiest = &record;
  }
  return busiest;
}

void ResetPointerPeriod(PointerTable& table) {
  for (auto& [device, record] : table) {
    record.count = 0;
    record.intervalsUs.clear();
  }
}

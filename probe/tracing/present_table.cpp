#include "probe/tracing/present_table.h"

bool IsPresentEvent(const GUID& provider, USHORT eventId) {
  if (IsEqualGUID(provider, kDxgiProvider)) return eventId == kDxgiPresentId || eventId == kDxgiPresentMultiplaneId;
  if (IsEqualGUID(provider, kD3d9Provider)) return eventId == kD3d9PresentId;
  return false;
}

void RecordPresent(PresentTable& table, uint32_t processId, int64_t timestamp, double msPerTick) {
  PresentRecord& record = table[processId];
  if (record.lastPresent != 0 && timestamp > record.lastPresent && record.frameTimes.size() < kFrameTimeCap) {
    // Unsigned, so timestamps far apart cannot overflow the difference.
    const uint64_t ticks = static_cast<uint64_t>(timestamp) - static_cast<uint64_t>(record.lastPresent);
    record.frameTimes.push_back(static_cast<double>(ticks) * msPerTick);
  }
  record.lastPresent = timestamp;
  ++record.presents;
}

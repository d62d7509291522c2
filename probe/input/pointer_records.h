#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "probe/input/input_records.h"

// Intervals kept per device and period; later ones still count in n.
constexpr size_t kMaxMouseIntervals = 20000;
// Longer pauses are the user resting, not a late report.
constexpr double kMaxMouseIntervalUs = 100000.0;

struct PointerRecord {
  std::wstring name;     // product string, empty when none was read
  bool seen = false;     // lastTime holds a counted event
  int64_t lastTime = 0;  // counter value of the previous counted event
  std::vector<double> intervalsUs;
  uint32_t count = 0;  // counted events this period
};

// Ordered by raw-input device handle, so ties go to the lowest handle.
using PointerTable = std::map<uintptr_t, PointerRecord>;

// Motion (or an absolute position) counts; button-only and wheel-only reports
// do not. Reads the name on a device's first counted event. True when counted.
bool CountMouseEvent(PointerTable& table, const MouseEvent& event, int64_t frequency, DeviceNameReader readName);

// The device with the most counted events this period (lowest handle on a
// tie), or null when no device counted any.
PointerRecord* BusiestPointer(PointerTable& table);

// A new period: counts and intervals go, names and last times stay so the first
// interval of a period spans the boundary.
void ResetPointerPeriod(PointerTable& table);

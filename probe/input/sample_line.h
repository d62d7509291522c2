#pragma once

#include <cstddef>

#include "probe/input/keyboard_state.h"
#include "probe/input/pointer_records.h"

constexpr size_t kInputLineBytes = 2400;
constexpr size_t kDeviceNameBytes = 400;  // a dev value after escaping

// What one run of the input check learns between two samples.
struct InputTables {
  PointerTable pointers;
  KeyboardState keyboard;
};

// When a sample is taken: seconds since the start, and the counter value and
// frequency the event times are measured in.
struct SampleTime {
  double seconds = 0;
  int64_t counter = 0;
  int64_t frequency = 1;
};

// Writes the sample line for the period that ends now ("t", then the mouse
// piece for the busiest device and the keyboard piece when they have something
// to say) and starts the next period. Returns the line's length.
size_t BuildSampleLine(InputTables& tables, const SampleTime& now, char* line, size_t capacity);

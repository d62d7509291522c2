#pragma once

#include <cstdint>

// The monitors (kernel, frame-time and input) write one sample line a second.
constexpr uint32_t kSamplePeriodMs = 1000;

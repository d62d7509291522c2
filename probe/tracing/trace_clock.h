#pragma once

#include <windows.h>

// The sessions run on the performance counter and the consumer asks for raw
// timestamps, so event times arrive as counter ticks. The modes that measure
// durations set this before tracing starts; the callbacks only read it.
inline double msPerTick = 0.0;

inline double MsPerTick(LONGLONG frequency) { return frequency > 0 ? 1000.0 / static_cast<double>(frequency) : 0.0; }

inline void SetMsPerTick() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  msPerTick = MsPerTick(frequency.QuadPart);
}

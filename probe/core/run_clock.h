#pragma once

#include <windows.h>

// A mode's time base on the high-resolution performance counter.
struct RunClock {
  LARGE_INTEGER frequency;
  LARGE_INTEGER base;
};

inline RunClock StartRunClock() {
  RunClock clock;
  QueryPerformanceFrequency(&clock.frequency);
  QueryPerformanceCounter(&clock.base);
  return clock;
}

// Seconds since the time base.
inline double SecondsSince(const RunClock& clock) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart - clock.base.QuadPart) / static_cast<double>(clock.frequency.QuadPart);
}

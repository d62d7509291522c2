#pragma once

#include <cstdint>
#include <vector>

// Percentile at fraction q: the value at index floor((n - 1) * q + 0.5) of the
// sorted list (at most n - 1); 0.0 for an empty list. Sorts a copy.
double Percentile(const std::vector<double>& values, double q);

// The same on a list that is already sorted ascending.
double PercentileOfSorted(const std::vector<double>& sorted, double q);

struct MouseSummary {
  double med = 0;
  double p10 = 0;
  double p90 = 0;
  uint32_t late = 0;  // m > 2 x med and m > med + 1,500 us
  uint32_t gaps = 0;  // m > 8 x med and m > 8,000 us
};

struct RepeatSummary {
  double med = 0;
  double p10 = 0;
  double p90 = 0;
};

// Both sort their list where it lies: its period is over and it is emptied next.
MouseSummary SummarizeMouseIntervals(std::vector<double>& intervalsUs);
RepeatSummary SummarizeRepeatIntervals(std::vector<double>& intervalsMs);

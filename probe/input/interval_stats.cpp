#include "probe/input/interval_stats.h"

#include <algorithm>
#include <cmath>

double PercentileOfSorted(const std::vector<double>& sorted, double q) {
  if (sorted.empty()) return 0.0;
  const size_t last = sorted.size() - 1;
  const double at = std::floor(static_cast<double>(last) * q + 0.5);
  const size_t index = at <= 0 ? 0 : std::min(static_cast<size_t>(at), last);
  return sorted[index];
}

double Percentile(const std::vector<double>& values, double q) {
  std::vector<double> sorted = values;
  std::sort(sorted.begin(), sorted.end());
  return PercentileOfSorted(sorted, q);
}

MouseSummary SummarizeMouseIntervals(std::vector<double>& intervalsUs) {
  std::sort(intervalsUs.begin(), intervalsUs.end());
  MouseSummary s;
  s.med = PercentileOfSorted(intervalsUs, 0.5);
  if (s.med > 0) {
    for (const double m : intervalsUs) {
      if (m > 2 * s.med && m > s.med + 1500.0) ++s.late;
      if (m > 8 * s.med && m > 8000.0) ++s.gaps;
    }
  }
  s.p90 = PercentileOfSorted(intervalsUs, 0.9);
  s.p10 = PercentileOfSorted(intervalsUs, 0.1);
  return s;
}

RepeatSummary SummarizeRepeatIntervals(std::vector<double>& intervalsMs) {
  std::sort(intervalsMs.begin(), intervalsMs.end());
  RepeatSummary s;
  s.p90 = PercentileOfSorted(intervalsMs, 0.9);
  s.p10 = PercentileOfSorted(intervalsMs, 0.1);
  s.med = PercentileOfSorted(intervalsMs, 0.5);
  return s;
}

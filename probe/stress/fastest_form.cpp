#include "probe/stress/fastest_form.h"

int FastestTimedForm(const double* seconds, int count) {
  int fastest = -1;
  for (int i = 0; i < count; ++i) {
    if (seconds[i] > 0 && (fastest < 0 || seconds[i] < seconds[fastest])) fastest = i;
  }
  return fastest;
}

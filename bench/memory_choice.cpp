// Built for Windows and run under Wine by bench/memory-test: prints which form
// of the pattern code and of the copy the worker picks on this machine, from
// the same functions the worker calls.
#include <cstdio>

#include "probe/stress/benchmark_unit.h"
#include "probe/stress/pattern_kernel.h"

int main() {
  printf("pattern %s\n", PatternKernelName(MachinePatternKernel()));
  printf("copy %s\n", CopyFormName(MachineCopyForm()));
  return 0;
}

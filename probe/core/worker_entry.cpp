#include "probe/core/worker_entry.h"

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/gpu/gpu_setup.h"
#include "probe/gpu/sensors_mode.h"
#include "probe/input/input_check.h"
#include "probe/stress/benchmark.h"
#include "probe/stress/cpu_stress.h"
#include "probe/stress/memory_test.h"
#include "probe/tracing/faults_mode.h"
#include "probe/tracing/frames_mode.h"
#include "probe/tracing/latency_mode.h"

int RunMode(const Options& options) {
  switch (options.load) {
    case kModeGentle:
    case kModeStandard:
    case kModeMemory:
      return RunGpuStress(options);
    case kModeSensors:
      return RunSensorsMode();
    case kModeCpu:
      return RunCpuStress(options);
    case kModeRam:
      return RunMemoryTest(options);
    case kModeBench:
      return RunBenchmark(options);
    case kModeInput:
      return RunInputCheck(options);
    case kModeLatency:
      return RunLatencyMode(options);
    case kModeFaults:
      return RunFaultsMode(options);
    case kModeFrames:
      return RunFramesMode(options);
    default:
      // ModeFromLoadWord never yields another number; fail to start rather than guess.
      return kExitFailed;
  }
}

int WorkerEntry() {
  TakeOutputHandle();
  const Options options = ParseProcessOptions();
  return RunMode(options);
}

#include "probe/stress/cpu_stress.h"

#include <windows.h>

#include <atomic>
#include <cstdio>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/run_clock.h"
#include "probe/core/stop_control.h"
#include "probe/stress/cpu_stress_unit.h"

namespace {

std::atomic<int64_t> workCounter{0};

DWORD WINAPI StressWorker(void* parameter) {
  StressAccumulators acc = InitialAccumulators(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(parameter)));
  while (!StopRaised()) {
    RunStressIterations(acc, kStressUnitIterations);
    workCounter.fetch_add(1);
    // Never true in practice; it keeps the accumulators observable.
    if (AccumulatorSum(acc) == 0.0) Sleep(0);
  }
  return 0;
}

}  // namespace

int RunCpuStress(const Options& options) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const uint32_t workers = StressWorkerCount(info.dwNumberOfProcessors);

  char line[256];
  snprintf(line, sizeof(line), "{\"event\":\"start\",\"cpu\":true,\"threads\":%lu,\"minutes\":%.2f}",
           static_cast<unsigned long>(workers), options.minutes);
  WriteEventLine(line);
  StartStdinWatcher();

  for (uint32_t index = 0; index < workers; ++index) {
    // NOLINTNEXTLINE(performance-no-int-to-ptr): the worker's index travels in the thread's start parameter, as Win32 means it to
    HANDLE thread = CreateThread(nullptr, 0, StressWorker, reinterpret_cast<void*>(static_cast<uintptr_t>(index)),
                                 0, nullptr);
    if (thread == nullptr) continue;  // the run goes on with fewer workers
    SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    CloseHandle(thread);
  }

  const RunClock clock = StartRunClock();

  const double limitSeconds = options.minutes * 60.0;
  const char* reason = "stopped";
  Sleep(500);
  double t = SecondsSince(clock);
  while (!StopRaised()) {
    snprintf(line, sizeof(line), "{\"t\":%.2f,\"work\":%lld}", t,
             static_cast<long long>(workCounter.load(std::memory_order_relaxed)));
    WriteEventLine(line);
    if (t >= limitSeconds) {
      reason = "time";
      break;
    }
    Sleep(500);
    t = SecondsSince(clock);
  }

  RaiseStop(kStopRequested);  // releases the workers after their current unit
  snprintf(line, sizeof(line), "{\"event\":\"end\",\"reason\":\"%s\",\"work\":%lld}", reason,
           static_cast<long long>(workCounter.load(std::memory_order_relaxed)));
  WriteEventLine(line);
  return reason[0] == 't' ? kExitDone : kExitStopped;
}

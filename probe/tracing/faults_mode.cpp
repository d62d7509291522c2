#include "probe/tracing/faults_mode.h"

#include <cstdio>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/stop_control.h"
#include "probe/tracing/faults_unit.h"
#include "probe/tracing/process_image_name.h"
#include "probe/tracing/trace_session.h"

namespace {

MEMORYSTATUSEX MemoryStatus() {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  GlobalMemoryStatusEx(&status);
  return status;
}

}  // namespace

FaultsSources RealFaultsSources() { return FaultsSources{ThreadOwnerOf, ProcessImageName}; }

int RunFaultsMode(const Options& options) { return RunFaultsModeOn(options, RealMonitorPlatform(), RealFaultsSources()); }

int RunFaultsModeOn(const Options& options, const MonitorPlatform& platform, const FaultsSources& sources) {
  // Kept past the run: a consumer thread abandoned at the stop may still call back.
  FaultsState* state = new FaultsState;
  InitFaultsState(*state);
  state->threadOwner = sources.threadOwner;
  platform.startWatcher();

  TraceSession session;
  session.api = &platform.trace;
  const ULONG error = StartKernelTrace(session, kFaultsEnableFlags, FaultsEventCallback, state);
  if (error != ERROR_SUCCESS) {
    ReportTraceError(error);
    DeleteCriticalSection(&state->lock);
    delete state;
    return kExitFailed;
  }

  char line[kFaultsLineBytes];
  snprintf(line, sizeof(line), "{\"event\":\"start\",\"faults\":true,\"total_mb\":%.0f,\"system\":%s}",
           MemoryStatus().ullTotalPhys / kMegabyte, session.privateSession ? "true" : "false");
  WriteEventLine(line);

  ProcessNameCache names;
  const DWORD t0 = platform.tick();
  const DWORD limit = TimeLimitMs(options.minutes);
  const char* reason = "stopped";
  int result = kExitStopped;
  while (!StopRaised()) {
    platform.sleep(1000);
    if (StopRaised()) break;
    const FaultTable taken = TakeFaultTable(*state);
    const MEMORYSTATUSEX status = MemoryStatus();
    const std::vector<FaultRow> rows = RankFaults(taken);
    const DWORD elapsed = platform.tick() - t0;
    const MemoryFigures memory{status.dwMemoryLoad, status.ullAvailPhys / kMegabyte};
    BuildFaultsSample(line, sizeof(line), elapsed / 1000.0, rows, memory, names, sources.imageName);
    WriteEventLine(line);
    if (elapsed >= limit) {
      reason = "time";
      result = kExitDone;
      break;
    }
  }

  const bool consumerEnded = StopTraceSession(session);
  snprintf(line, sizeof(line), "{\"event\":\"end\",\"reason\":\"%s\"}", reason);
  WriteEventLine(line);
  if (consumerEnded) {
    DeleteCriticalSection(&state->lock);
    delete state;
  }
  return result;
}

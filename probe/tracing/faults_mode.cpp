#include "probe/tracing/faults_mode.h"

#include <cstdio>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/tracing/consumer_state.h"
#include "probe/tracing/faults_unit.h"
#include "probe/tracing/process_image_name.h"
#include "probe/tracing/sample_loop.h"
#include "probe/tracing/trace_session.h"

namespace {

MEMORYSTATUSEX MemoryStatus(const FaultsSources& sources) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  sources.memoryStatus(&status);
  return status;
}

}  // namespace

FaultsSources RealFaultsSources() { return FaultsSources{ThreadOwnerOf, ProcessImageName, GlobalMemoryStatusEx}; }

int RunFaultsMode(const Options& options) { return RunFaultsModeOn(options, RealMonitorPlatform(), RealFaultsSources()); }

int RunFaultsModeOn(const Options& options, const MonitorPlatform& platform, const FaultsSources& sources) {
  TraceSession session;
  session.api = &platform.trace;
  ConsumerState<FaultsState> state(session);
  platform.startWatcher();
  if (!state) {
    ReportTraceError(ERROR_NOT_ENOUGH_MEMORY, AccessDenied::kIsATraceFailure);
    return kExitFailed;
  }
  state->threadOwner = sources.threadOwner;

  const ULONG error = StartKernelTrace(session, kFaultsEnableFlags, FaultsEventCallback, state.get());
  if (error != ERROR_SUCCESS) {
    ReportTraceError(error, AccessDenied::kMeansNoRights);
    return kExitFailed;
  }

  char line[kFaultsLineBytes];
  snprintf(line, sizeof(line), "{\"event\":\"start\",\"faults\":true,\"total_mb\":%.0f,\"system\":%s}",
           static_cast<double>(MemoryStatus(sources).ullTotalPhys) / kMegabyte, session.privateSession ? "true" : "false");
  WriteEventLine(line);

  ProcessNameCache names;
  const SampleLoopEnd end = RunSampleLoop(platform, options.minutes, [&](DWORD elapsed) {
    const FaultTable taken = TakeFaultTable(*state);
    const MEMORYSTATUSEX status = MemoryStatus(sources);
    const std::vector<FaultRow> rows = RankFaults(taken);
    const MemoryFigures memory{status.dwMemoryLoad, static_cast<double>(status.ullAvailPhys) / kMegabyte};
    BuildFaultsSample(line, sizeof(line), elapsed / 1000.0, rows, memory, names, sources.imageName);
    WriteEventLine(line);
  });

  StopTraceSession(session);
  WriteEndLine(end.reason);
  return end.exitCode;
}

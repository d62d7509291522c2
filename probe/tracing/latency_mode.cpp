#include "probe/tracing/latency_mode.h"

#include <cstdio>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/tracing/consumer_state.h"
#include "probe/tracing/latency_unit.h"
#include "probe/tracing/sample_loop.h"
#include "probe/tracing/trace_clock.h"
#include "probe/tracing/trace_session.h"

namespace {

void WriteDriversLine(LatencyState& state, bool final) {
  const std::string line = BuildDriversLine(state.drivers, RankDrivers(SnapshotDriverStats(state)), final);
  WriteEventLine(line.c_str(), line.size());
}

}  // namespace

int RunLatencyMode(const Options& options) { return RunLatencyModeOn(options, RealMonitorPlatform(), BuildDriverList); }

int RunLatencyModeOn(const Options& options, const MonitorPlatform& platform, DriverList (*listDrivers)()) {
  TraceSession session;
  session.api = &platform.trace;
  ConsumerState<LatencyState> state(session);
  SetMsPerTick();
  platform.startWatcher();
  if (!state) {
    ReportTraceError(ERROR_NOT_ENOUGH_MEMORY, AccessDenied::kIsATraceFailure);
    return kExitFailed;
  }
  InitLatencyState(*state, listDrivers(), msPerTick);

  const ULONG error = StartKernelTrace(session, kLatencyEnableFlags, LatencyEventCallback, state.get());
  if (error != ERROR_SUCCESS) {
    ReportTraceError(error, AccessDenied::kMeansNoRights);
    return kExitFailed;
  }

  char line[kLatencyLineBytes];
  snprintf(line, sizeof(line), "{\"event\":\"start\",\"latency\":true,\"drivers\":%u,\"system\":%s}",
           static_cast<unsigned>(state->drivers.entries.size()), session.privateSession ? "true" : "false");
  WriteEventLine(line);

  unsigned samples = 0;
  char driverText[kDriverTextBytes];
  const SampleLoopEnd end = RunSampleLoop(platform, options.minutes, [&](DWORD elapsed) {
    const LatencySample sample = TakeLatencySample(*state);
    FormatDriverText(state->drivers, sample.index, driverText, sizeof(driverText));
    FormatLatencySample(line, sizeof(line), elapsed / 1000.0, sample, driverText);
    WriteEventLine(line);
    if (++samples % 2 == 0) WriteDriversLine(*state, false);
  });

  StopTraceSession(session);
  WriteDriversLine(*state, true);
  WriteEndLine(end.reason);
  return end.exitCode;
}

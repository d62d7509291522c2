#include "probe/tracing/frames_mode.h"

#include <vector>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/stop_control.h"
#include "probe/tracing/consumer_state.h"
#include "probe/tracing/frame_lines.h"
#include "probe/tracing/frame_sampler.h"
#include "probe/tracing/present_providers.h"
#include "probe/tracing/present_state.h"
#include "probe/tracing/present_table.h"
#include "probe/tracing/process_image_name.h"
#include "probe/tracing/sample_loop.h"
#include "probe/tracing/trace_clock.h"
#include "probe/tracing/trace_session.h"

namespace {

DWORD ForegroundProcess() {
  DWORD processId = 0;
  const HWND window = GetForegroundWindow();
  if (window != nullptr) GetWindowThreadProcessId(window, &processId);
  return processId;
}

}  // namespace

FramesPlatform RealFramesPlatform() { return FramesPlatform{RealMonitorPlatform(), ForegroundProcess, ProcessImageName}; }

ULONG StartFrameTimesSession(TraceSession& session) {
  const TraceApi& api = *session.api;
  session.sessionName = kFrameTimesSessionName;
  session.privateSession = false;
  FillPlainProperties(session.block, kFrameTimesSessionName);
  ULONG result = api.start(&session.sessionHandle, kFrameTimesSessionName, &session.block.properties);
  if (result == ERROR_ALREADY_EXISTS) {
    // A real-time session outlives the run that started it: ours, left over.
    FillPlainProperties(session.block, kFrameTimesSessionName);
    api.control(0, kFrameTimesSessionName, &session.block.properties, EVENT_TRACE_CONTROL_STOP);
    FillPlainProperties(session.block, kFrameTimesSessionName);
    result = api.start(&session.sessionHandle, kFrameTimesSessionName, &session.block.properties);
  }
  return result;
}

int RunFrames(const Options& options, const FramesPlatform& platform) {
  const MonitorPlatform& monitor = platform.monitor;
  TraceSession session;
  session.api = &monitor.trace;
  ConsumerState<PresentState> state(session);
  SetMsPerTick();
  monitor.startWatcher();
  if (!state) {
    ReportTraceError(ERROR_NOT_ENOUGH_MEMORY, AccessDenied::kIsATraceFailure);
    return kExitFailed;
  }

  const ULONG started = StartFrameTimesSession(session);
  if (started != ERROR_SUCCESS) {
    ReportTraceError(started, AccessDenied::kMeansNoRights);
    return kExitFailed;
  }
  const ProvidersResult providers = EnablePresentProviders(monitor.trace.enable, session.sessionHandle);
  // The consumer's error is taken as it fails: the stop below must not become
  // the code we report.
  const ULONG opened = OpenConsumer(session, PresentCallback, state.get());
  ULONG setupError = opened != ERROR_SUCCESS ? opened : providers.anyEnabled() ? ERROR_SUCCESS : providers.dxgi;
  // A consumer without its thread would wait for presents that never come.
  if (setupError == ERROR_SUCCESS) setupError = StartConsumerThread(session);
  if (setupError != ERROR_SUCCESS) {
    StopTraceSession(session);
    ReportTraceError(setupError, AccessDenied::kIsATraceFailure);
    return kExitFailed;
  }
  WriteLiteralLine("{\"event\":\"start\",\"frames\":true}");

  FrameTarget target = NewFrameTarget(options.minutes);
  NameCache names;
  const NameLookup lookup = [&platform](uint32_t processId) { return platform.imageName(processId); };
  TableVisit visit;
  static char line[kSampleLineBytes];
  FrameEnd end = FrameEnd::kStopped;
  while (!StopRaised()) {
    monitor.sleep(kSamplePeriodMs);
    if (StopRaised()) break;
    const uint32_t now = monitor.tick();
    const uint32_t foreground = platform.foregroundProcess();

    VisitUnderLock(*state, names, lookup, target.processId, foreground, now, visit);

    const SampleDecision decision = DecideSample(target, visit, names, now);
    switch (decision.action) {
      case SampleAction::kWait:
        WriteLiteralLine("{\"wait\":true}");
        break;
      case SampleAction::kTarget: {
        char targetLine[kTargetLineBytes];
        WriteEventLine(targetLine, FormatTargetLine(targetLine, target.processId, target.name.c_str()));
        break;
      }
      case SampleAction::kSample:
        WriteEventLine(line, FormatSampleLine(line, sizeof(line), SecondsSinceChoice(target, now), target.processId,
                                              foreground == target.processId, visit.targetTimes));
        break;
    }
    if (decision.ends) {
      end = decision.end;
      break;
    }
  }

  StopTraceSession(session);
  const FrameEndInfo info = FrameEndOf(end);
  WriteEndLine(info.reason);
  return info.exitCode;
}

int RunFramesMode(const Options& options) { return RunFrames(options, RealFramesPlatform()); }

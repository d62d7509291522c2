#pragma once

#include <windows.h>

#include <string>

#include "probe/core/options.h"
#include "probe/tracing/monitor_platform.h"
#include "probe/tracing/present_state.h"
#include "probe/tracing/trace_session.h"

// The frame-time monitor (--load frames): presents of every Direct3D program
// through a user-mode session on the DXGI and Direct3D 9 providers; once a
// game has been in front for two samples it is the target, and each second
// the intervals between its presents are reported.

inline constexpr wchar_t kFrameTimesSessionName[] = L"VantorelFrameTimes";

// What the run takes from the system besides the monitor platform; a test
// puts a scripted foreground and a name table in their place.
struct FramesPlatform {
  MonitorPlatform monitor;
  DWORD (*foregroundProcess)();            // 0 when no window is in front
  std::wstring (*imageName)(DWORD processId);
};

FramesPlatform RealFramesPlatform();

// Start (restarting a session of our name left over from an earlier run),
// 0 on success.
ULONG StartFrameTimesSession(TraceSession& session);

int RunFrames(const Options& options, const FramesPlatform& platform);
int RunFramesMode(const Options& options);

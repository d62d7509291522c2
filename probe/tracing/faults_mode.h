#pragma once

#include <windows.h>

#include <string>

#include "probe/core/options.h"
#include "probe/tracing/monitor_platform.h"

// --load faults: megabytes read by hard page faults, per process, every second.
int RunFaultsMode(const Options& options);

// What the faults run asks of the system beyond the trace: whose thread a
// fault ran on and what a process is called.
struct FaultsSources {
  DWORD (*threadOwner)(DWORD threadId);
  std::wstring (*imageName)(DWORD processId);
};

FaultsSources RealFaultsSources();

int RunFaultsModeOn(const Options& options, const MonitorPlatform& platform, const FaultsSources& sources);

#pragma once

#include <windows.h>

#include <string>

#include "probe/core/options.h"
#include "probe/tracing/monitor_platform.h"

// --load faults: megabytes read by hard page faults, per process, every second.
int RunFaultsMode(const Options& options);

// What the faults run asks of the system beyond the trace: whose thread a
// fault ran on, what a process is called and how much memory there is.
struct FaultsSources {
  DWORD (*threadOwner)(DWORD threadId);
  std::wstring (*imageName)(DWORD processId);
  BOOL(WINAPI* memoryStatus)(LPMEMORYSTATUSEX status);
};

FaultsSources RealFaultsSources();

int RunFaultsModeOn(const Options& options, const MonitorPlatform& platform, const FaultsSources& sources);

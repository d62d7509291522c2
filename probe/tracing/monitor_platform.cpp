#include "probe/tracing/monitor_platform.h"

#include "probe/core/stop_control.h"

namespace {

DWORD TickCount() { return GetTickCount(); }
void SleepFor(DWORD milliseconds) { Sleep(milliseconds); }

}  // namespace

MonitorPlatform RealMonitorPlatform() {
  return MonitorPlatform{RealTraceApi(), TickCount, SleepFor, StartStdinWatcher};
}

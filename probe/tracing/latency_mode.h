#pragma once

#include "probe/core/options.h"
#include "probe/tracing/driver_list.h"
#include "probe/tracing/monitor_platform.h"

// --load latency: DPC and ISR durations attributed to the loaded drivers.
int RunLatencyMode(const Options& options);

// The same run on a given platform and driver source (tests, replays).
int RunLatencyModeOn(const Options& options, const MonitorPlatform& platform, DriverList (*listDrivers)());

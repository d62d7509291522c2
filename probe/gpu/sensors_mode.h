#pragma once

#include <windows.h>

#include <functional>

#include "probe/core/stop_control.h"
#include "probe/gpu/gpu_sensors.h"

// What the mode takes from the machine besides DXGI: the readings, the waits
// and the stdin watcher. A run uses these defaults; tests script them to stop
// the mode at exact points and to feed it readings.
struct SensorsModeEnvironment {
  std::function<SensorReading(const SensorContext&)> readSensors = [](const SensorContext& sensors) {
    return ReadSensors(sensors, false);
  };
  std::function<void(DWORD)> sleep = [](DWORD ms) { Sleep(ms); };
  std::function<void()> startStdinWatcher = StartStdinWatcher;
};

// Mode 7: the card's sensor readings about once a second, with no load and no
// device, until the host stops us. Returns 1, or 4 after an error line.
int RunSensorsMode(const SensorsModeEnvironment& env = {});

#pragma once

#include <functional>

#include "probe/core/stop_control.h"

#include "probe/core/options.h"
#include "probe/gpu/gpu_context.h"

// What the loop takes from the machine besides the device's work: the clock,
// the sensor readings, the device's health and the stdin watcher. A run uses
// these defaults; tests script them to reach the temperature guard, a lost
// device and exact frame times without a hot card or a failing driver.
struct StressLoopEnvironment {
  std::function<LONGLONG()> counterFrequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  };
  std::function<LONGLONG()> readCounter = [] {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
  };
  std::function<void(DWORD)> sleep = [](DWORD ms) { Sleep(ms); };
  std::function<SensorReading(const SensorContext&)> readSensors = [](const SensorContext& sensors) {
    return ReadSensors(sensors, true);
  };
  std::function<HRESULT(ID3D11Device*)> deviceRemovedReason = [](ID3D11Device* device) {
    return device->GetDeviceRemovedReason();
  };
  std::function<void()> startStdinWatcher = StartStdinWatcher;
};

// Writes the start line, starts the stdin watcher and renders frames until the
// time is up, the host stops us, the card gets too hot or the device is lost.
// Returns 0 "time", 1 "stopped", 2 "temperature" or 3 "driver_reset".
int RunStressLoop(GpuStressContext& g, const Options& options, const StressLoopEnvironment& env = {});

// One draw of all particles as additive sprites into the off-screen target;
// nothing without a target view. The Frame buffer must be bound already.
void DrawParticles(GpuStressContext& g);

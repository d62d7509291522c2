#include "probe/gpu/sensors_mode.h"

#include <dxgi.h>
#include <wrl/client.h>

#include <cstdio>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/json_escape.h"
#include "probe/core/stop_control.h"
#include "probe/gpu/gpu_setup.h"
#include "probe/gpu/gpu_sensors.h"
#include "probe/gpu/graphics_libraries.h"

namespace {

constexpr size_t kLineBytes = 600;

}  // namespace

int RunSensorsMode(const SensorsModeEnvironment& env) {
  Microsoft::WRL::ComPtr<IDXGIFactory1> factory;
  if (FAILED(CreateSystemDxgiFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.GetAddressOf())))) {
    WriteLiteralLine("{\"event\":\"error\",\"what\":\"dxgi\"}");
    return kExitFailed;
  }
  // The automatic rule only: "--adapter" plays no part in this mode.
  DXGI_ADAPTER_DESC1 desc{};
  Microsoft::WRL::ComPtr<IDXGIAdapter1> adapter;
  adapter.Attach(ChooseAdapter(factory.Get(), -1, &desc));
  const bool found = adapter != nullptr;
  adapter.Reset();
  factory.Reset();
  if (!found) {
    WriteLiteralLine("{\"event\":\"error\",\"what\":\"adapter\"}");
    return kExitFailed;
  }
  SensorContext sensors = OpenSensorContext(desc.AdapterLuid, desc.VendorId == kVendorAmd);
  char name[kAdapterNameBytes];
  EscapeJsonString(name, sizeof(name), desc.Description);

  char line[kLineBytes];
  snprintf(line, sizeof(line),
           "{\"event\":\"start\",\"sensors\":%s,\"gpu\":\"%s\",\"watts\":%s,\"temp_max\":%.1f,\"temp_warn\":%.1f}",
           sensors.available ? "true" : "false", name, sensors.wattsMark ? "true" : "false", sensors.temperatureMax,
           sensors.temperatureWarning);
  WriteEventLine(line);
  env.startStdinWatcher();
  const DWORD base = GetTickCount();

  while (!StopRaised()) {
    const SensorReading r = env.readSensors(sensors);
    const double t = static_cast<DWORD>(GetTickCount() - base) / 1000.0;
    snprintf(line, sizeof(line),
             "{\"t\":%.2f,\"temp\":%.1f,\"fan\":%.0f,\"power\":%.1f,\"watts\":%.1f,\"clock\":%.0f,"
             "\"clock_max\":%.0f}",
             t, r.temperature, r.fan, r.power, r.watts, r.clock, r.clockMax);
    WriteEventLine(line);
    // Short sleeps so a stop request ends the run within about 100 ms.
    for (int k = 0; k < 10 && !StopRaised(); ++k) env.sleep(100);
  }
  WriteEndLine("stopped");
  CloseSensorContext(&sensors);
  return kExitStopped;
}

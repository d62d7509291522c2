#pragma once

// Graphics-card temperature, fan, power and clocks through the kernel graphics
// interface of gdi32. Entry points are looked up at run time, so a system that
// lacks them still runs and simply reports no sensors.

#include <windows.h>

#include "probe/gpu/kmt_records.h"

constexpr uint32_t kVendorAmd = 0x1002;  // its drivers report power in watts

struct SensorContext {
  kmt::OpenAdapterFromLuidFn openAdapter = nullptr;
  kmt::CloseAdapterFn closeAdapter = nullptr;
  kmt::QueryAdapterInfoFn queryAdapterInfo = nullptr;
  kmt::D3DKMT_HANDLE adapter = 0;
  bool available = false;
  double temperatureMax = -1.0;
  double temperatureWarning = -1.0;
  bool wattsMark = false;
};

// Every value -1 when not available.
struct SensorReading {
  double temperature = -1;
  double fan = -1;
  double power = -1;
  double watts = -1;
  double clock = -1;
  double clockMax = -1;
  double memClock = -1;
};

// The conversions from raw driver values; out-of-range raw values (0 included,
// which drivers report for a missing sensor) leave -1.
void ApplyAdapterPerfData(const kmt::D3DKMT_ADAPTER_PERFDATA& data, bool wattsMark, bool wantMemClock,
                          SensorReading* reading);
void ApplyNodePerfData(const kmt::D3DKMT_NODE_PERFDATA& data, SensorReading* reading);
void ApplyPerfDataCaps(const kmt::D3DKMT_ADAPTER_PERFDATACAPS& caps, SensorContext* context);

// Never fails outward: anything missing leaves the context unavailable.
SensorContext OpenSensorContext(LUID adapterLuid, bool wattsMark);
SensorReading ReadSensors(const SensorContext& context, bool wantMemClock);
void CloseSensorContext(SensorContext* context);

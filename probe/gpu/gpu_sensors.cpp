#include "probe/gpu/gpu_sensors.h"

#include "common/system/system_library.h"

namespace {

bool Query(const SensorContext& context, kmt::KMTQUERYADAPTERINFOTYPE type, void* record, UINT size) {
  kmt::D3DKMT_QUERYADAPTERINFO query{};
  query.hAdapter = context.adapter;
  query.Type = type;
  query.pPrivateDriverData = record;
  query.PrivateDriverDataSize = size;
  return context.queryAdapterInfo(&query) == 0;
}

double InRange(uint64_t raw, uint64_t low, uint64_t high, double divisor) {
  return raw >= low && raw <= high ? static_cast<double>(raw) / divisor : -1.0;
}

}  // namespace

void ApplyAdapterPerfData(const kmt::D3DKMT_ADAPTER_PERFDATA& data, bool wattsMark, bool wantMemClock,
                          SensorReading* reading) {
  reading->temperature = InRange(data.Temperature, 1, 1499, 10.0);
  reading->fan = InRange(data.FanRPM, 1, 19999, 1.0);
  if (wattsMark) {
    reading->watts = InRange(data.Power, 1, 2000, 1.0);
  } else {
    reading->power = InRange(data.Power, 1, 1000, 10.0);
  }
  if (wantMemClock && data.MemoryFrequency != 0) {
    reading->memClock = static_cast<double>(data.MemoryFrequency) / 1e6;
  }
}

void ApplyNodePerfData(const kmt::D3DKMT_NODE_PERFDATA& data, SensorReading* reading) {
  if (data.Frequency != 0) reading->clock = static_cast<double>(data.Frequency) / 1e6;
  if (data.MaxFrequency != 0) reading->clockMax = static_cast<double>(data.MaxFrequency) / 1e6;
}

void ApplyPerfDataCaps(const kmt::D3DKMT_ADAPTER_PERFDATACAPS& caps, SensorContext* context) {
  if (caps.TemperatureMax != 0) context->temperatureMax = caps.TemperatureMax / 10.0;
  if (caps.TemperatureWarning != 0) context->temperatureWarning = caps.TemperatureWarning / 10.0;
}

SensorContext OpenSensorContext(LUID adapterLuid, bool wattsMark) {
  SensorContext context;
  context.wattsMark = wattsMark;
  // The module is never freed: the entry points are used until the process ends.
  const HMODULE gdi = LoadSystemLibrary(L"gdi32.dll");
  if (!gdi) return context;
  context.openAdapter = LookUpEntry<kmt::OpenAdapterFromLuidFn>(gdi, "D3DKMTOpenAdapterFromLuid");
  context.closeAdapter = LookUpEntry<kmt::CloseAdapterFn>(gdi, "D3DKMTCloseAdapter");
  context.queryAdapterInfo = LookUpEntry<kmt::QueryAdapterInfoFn>(gdi, "D3DKMTQueryAdapterInfo");
  if (!context.openAdapter || !context.queryAdapterInfo) return context;

  kmt::D3DKMT_OPENADAPTERFROMLUID open{};
  open.AdapterLuid = adapterLuid;
  if (context.openAdapter(&open) != 0) return context;
  context.adapter = open.hAdapter;
  context.available = true;

  kmt::D3DKMT_ADAPTER_PERFDATACAPS caps{};
  if (Query(context, kmt::KMTQAITYPE_ADAPTERPERFDATA_CAPS, &caps, sizeof(caps))) ApplyPerfDataCaps(caps, &context);
  return context;
}

SensorReading ReadSensors(const SensorContext& context, bool wantMemClock) {
  SensorReading reading;
  if (!context.available) return reading;
  kmt::D3DKMT_ADAPTER_PERFDATA adapter{};
  if (Query(context, kmt::KMTQAITYPE_ADAPTERPERFDATA, &adapter, sizeof(adapter))) {
    ApplyAdapterPerfData(adapter, context.wattsMark, wantMemClock, &reading);
  }
  kmt::D3DKMT_NODE_PERFDATA node{};  // node 0, physical adapter 0
  if (Query(context, kmt::KMTQAITYPE_NODEPERFDATA, &node, sizeof(node))) ApplyNodePerfData(node, &reading);
  return reading;
}

void CloseSensorContext(SensorContext* context) {
  if (!context->available || !context->closeAdapter) return;
  kmt::D3DKMT_CLOSEADAPTER close{};
  close.hAdapter = context->adapter;
  context->closeAdapter(&close);
  context->available = false;
}

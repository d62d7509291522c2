// Sensor conversions, fed with the records a driver returns.
#include <gtest/gtest.h>

#include "probe/gpu/gpu_sensors.h"

namespace {

// Catches wrong ranges, units or a power value read under the wrong mark.
TEST(SensorConversion, AdapterPerfData) {
  struct Case {
    const char* name;
    uint32_t temperature, fan, power;
    uint64_t memoryFrequency;
    bool wattsMark, wantMem;
    SensorReading expected;
  } const cases[] = {
      {"typical", 655, 1200, 185, 7000000000ull, false, true, {65.5, 1200, 18.5, -1, -1, -1, 7000}},
      {"watts mark", 655, 1200, 185, 0, true, true, {65.5, 1200, -1, 185, -1, -1, -1}},
      {"zeros are missing sensors", 0, 0, 0, 0, false, true, {-1, -1, -1, -1, -1, -1, -1}},
      {"above the ranges", 1500, 20000, 1001, 1, false, false, {-1, -1, -1, -1, -1, -1, -1}},
      {"range edges", 1499, 19999, 1000, 1000000, false, true, {149.9, 19999, 100.0, -1, -1, -1, 1}},
      {"lowest accepted", 1, 1, 1, 0, false, true, {0.1, 1, 0.1, -1, -1, -1, -1}},
      {"watts up to 2000", 0, 0, 2000, 0, true, false, {-1, -1, -1, 2000, -1, -1, -1}},
      {"watts above 2000", 0, 0, 2001, 0, true, false, {-1, -1, -1, -1, -1, -1, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kmt::D3DKMT_ADAPTER_PERFDATA data{};
    data.Temperature = c.temperature;
    data.FanRPM = c.fan;
    data.Power = c.power;
    data.MemoryFrequency = c.memoryFrequency;
    SensorReading r;
    ApplyAdapterPerfData(data, c.wattsMark, c.wantMem, &r);
    EXPECT_DOUBLE_EQ(r.temperature, c.expected.temperature);
    EXPECT_DOUBLE_EQ(r.fan, c.expected.fan);
    EXPECT_DOUBLE_EQ(r.power, c.expected.power);
    EXPECT_DOUBLE_EQ(r.watts, c.expected.watts);
    EXPECT_DOUBLE_EQ(r.memClock, c.expected.memClock);
    EXPECT_DOUBLE_EQ(r.clock, -1);
  }
}

// Catches a zero clock reported as 0 MHz instead of missing.
TEST(SensorConversion, NodePerfData) {
  kmt::D3DKMT_NODE_PERFDATA node{};
  node.Frequency = 1950000000ull;
  SensorReading r;
  ApplyNodePerfData(node, &r);
  EXPECT_DOUBLE_EQ(r.clock, 1950);
  EXPECT_DOUBLE_EQ(r.clockMax, -1);
  node.MaxFrequency = 2100000000ull;
  ApplyNodePerfData(node, &r);
  EXPECT_DOUBLE_EQ(r.clockMax, 2100);
}

// Catches limits reported as 0 when the driver leaves them out.
TEST(SensorConversion, TemperatureLimits) {
  kmt::D3DKMT_ADAPTER_PERFDATACAPS caps{};
  SensorContext context;
  ApplyPerfDataCaps(caps, &context);
  EXPECT_DOUBLE_EQ(context.temperatureMax, -1.0);
  EXPECT_DOUBLE_EQ(context.temperatureWarning, -1.0);
  caps.TemperatureMax = 950;
  caps.TemperatureWarning = 875;
  ApplyPerfDataCaps(caps, &context);
  EXPECT_DOUBLE_EQ(context.temperatureMax, 95.0);
  EXPECT_DOUBLE_EQ(context.temperatureWarning, 87.5);
}

// An unavailable context reads all -1 without touching the (missing) entry points.
TEST(SensorContext, UnavailableReadsNothing) {
  SensorContext context;
  const SensorReading r = ReadSensors(context, true);
  for (double v : {r.temperature, r.fan, r.power, r.watts, r.clock, r.clockMax, r.memClock}) EXPECT_EQ(v, -1);
  CloseSensorContext(&context);
}

// A driver behind the context's entry points: each query kind answers with
// its status and fills its record; every call is checked for handle and size.
struct FakeDriver {
  kmt::NTSTATUS adapterStatus = 0;
  kmt::NTSTATUS nodeStatus = 0;
  int adapterQueries = 0, nodeQueries = 0, closes = 0;
  kmt::D3DKMT_HANDLE closedHandle = 0;
};
FakeDriver driver;
constexpr kmt::D3DKMT_HANDLE kHandle = 0x40000041;

kmt::NTSTATUS APIENTRY FakeQuery(const kmt::D3DKMT_QUERYADAPTERINFO* query) {
  EXPECT_EQ(query->hAdapter, kHandle);
  if (query->Type == kmt::KMTQAITYPE_ADAPTERPERFDATA) {
    ++driver.adapterQueries;
    EXPECT_EQ(query->PrivateDriverDataSize, sizeof(kmt::D3DKMT_ADAPTER_PERFDATA));
    if (driver.adapterStatus != 0) return driver.adapterStatus;
    auto* data = static_cast<kmt::D3DKMT_ADAPTER_PERFDATA*>(query->pPrivateDriverData);
    data->Temperature = 655;
    data->FanRPM = 1200;
    data->Power = 185;
    data->MemoryFrequency = 7000000000ull;
    return 0;
  }
  if (query->Type == kmt::KMTQAITYPE_NODEPERFDATA) {
    ++driver.nodeQueries;
    EXPECT_EQ(query->PrivateDriverDataSize, sizeof(kmt::D3DKMT_NODE_PERFDATA));
    if (driver.nodeStatus != 0) return driver.nodeStatus;
    auto* data = static_cast<kmt::D3DKMT_NODE_PERFDATA*>(query->pPrivateDriverData);
    data->Frequency = 1950000000ull;
    data->MaxFrequency = 2100000000ull;
    return 0;
  }
  ADD_FAILURE() << "unexpected query type " << query->Type;
  return static_cast<kmt::NTSTATUS>(0xC0000001L);
}

kmt::NTSTATUS APIENTRY FakeClose(const kmt::D3DKMT_CLOSEADAPTER* close) {
  ++driver.closes;
  driver.closedHandle = close->hAdapter;
  return 0;
}

// Each sample asks both records; one that fails gives -1 for its own values
// only, and the other is still read. Closing hands back the adapter's handle once.
TEST(SensorContext, ReadsBothRecordsWhateverTheOtherAnswers) {
  struct Case {
    const char* name;
    kmt::NTSTATUS adapterStatus, nodeStatus;
    bool wantMem;
    SensorReading expected;
  } const cases[] = {
      {"both answer", 0, 0, true, {65.5, 1200, 18.5, -1, 1950, 2100, 7000}},
      {"no memory clock wanted", 0, 0, false, {65.5, 1200, 18.5, -1, 1950, 2100, -1}},
      {"adapter record fails", static_cast<kmt::NTSTATUS>(0xC0000001L), 0, true, {-1, -1, -1, -1, 1950, 2100, -1}},
      {"node record fails", 0, static_cast<kmt::NTSTATUS>(0xC0000001L), true, {65.5, 1200, 18.5, -1, -1, -1, 7000}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    driver = FakeDriver{};
    driver.adapterStatus = c.adapterStatus;
    driver.nodeStatus = c.nodeStatus;
    SensorContext context;
    context.queryAdapterInfo = FakeQuery;
    context.closeAdapter = FakeClose;
    context.adapter = kHandle;
    context.available = true;
    const SensorReading r = ReadSensors(context, c.wantMem);
    EXPECT_EQ(driver.adapterQueries, 1);
    EXPECT_EQ(driver.nodeQueries, 1);
    EXPECT_DOUBLE_EQ(r.temperature, c.expected.temperature);
    EXPECT_DOUBLE_EQ(r.fan, c.expected.fan);
    EXPECT_DOUBLE_EQ(r.power, c.expected.power);
    EXPECT_DOUBLE_EQ(r.watts, c.expected.watts);
    EXPECT_DOUBLE_EQ(r.clock, c.expected.clock);
    EXPECT_DOUBLE_EQ(r.clockMax, c.expected.clockMax);
    EXPECT_DOUBLE_EQ(r.memClock, c.expected.memClock);
    CloseSensorContext(&context);
    CloseSensorContext(&context);
    EXPECT_EQ(driver.closes, 1);
    EXPECT_EQ(driver.closedHandle, kHandle);
  }
}

}  // namespace

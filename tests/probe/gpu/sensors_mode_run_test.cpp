// The sensors mode end to end: no device, one sample a second, until "q".
#include <gtest/gtest.h>

#include <memory>

#include "probe/core/stop_control.h"
#include "probe/gpu/sensors_mode.h"
#include "tests/probe/gpu/gpu_run_support.h"
#include "tests/support/captured_output.h"

namespace {

// Options of other modes change nothing; "q" ends the run quickly with "stopped".
TEST(SensorsModeRun, SamplesUntilStopped) {
  std::string adapterName;
  uint64_t videoMemory = 0;
  uint32_t vendor = 0;
  ASSERT_TRUE(AutomaticAdapter(&adapterName, &videoMemory, &vendor));

  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load sensors --adapter 99 --minutes 0.01"));
  ASSERT_TRUE(probe.WaitForLines(4, 30000));
  const double stopAt = probe.Elapsed();
  ASSERT_TRUE(probe.WriteStdin("q"));
  EXPECT_EQ(probe.WaitForExit(30000), 1u);
  const std::vector<EventLine> lines = probe.Lines();
  ExpectAllLinesAreJson(lines);
  ASSERT_GE(lines.size(), 5u);

  const nlohmann::json& start = lines.front().json;
  EXPECT_TRUE(StartsWith(lines.front().text, "{\"event\":\"start\",\"sensors\":")) << lines.front().text;
  EXPECT_EQ(start["gpu"], adapterName);
  EXPECT_EQ(start["watts"], vendor == 0x1002);
  const bool sensors = start["sensors"].get<bool>();
  if (!sensors) {
    EXPECT_EQ(start["temp_max"], -1.0);
  }

  double previousT = -1;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(lines[i].text);
    const nlohmann::json& sample = lines[i].json;
    ASSERT_TRUE(StartsWith(lines[i].text, "{\"t\":"));
    EXPECT_FALSE(sample.contains("mem_clock"));
    const double t = sample["t"].get<double>();
    if (previousT >= 0) {
      EXPECT_GE(t - previousT, 0.95);
      EXPECT_LE(t - previousT, 2.0);
    }
    previousT = t;
    if (!sensors) {
      for (const char* key : {"temp", "fan", "power", "watts", "clock", "clock_max"}) EXPECT_EQ(sample[key], -1) << key;
    }
  }
  EXPECT_EQ(lines.back().text, "{\"event\":\"end\",\"reason\":\"stopped\"}");
  EXPECT_LT(lines.back().arrival - stopAt, 1.0) << "a stop request must end the wait within about 100 ms";
}

// The mode in this process with a scripted stop and readings: a stop before
// the first sample gives no sample line; a stop during a wait ends the wait at
// once, without a further sample; the sample line carries the reading as read
// ("watts" with one decimal, no "mem_clock").
TEST(SensorsModeScripted, StopsWhereTheHostStopsIt) {
  struct Case {
    const char* name;
    bool stopBeforeSampling;
    int stopInWait;  // the wait (1 = the first 100 ms sleep) in which the host stops us; 0: never
    size_t samples;
    int sleeps;
  } const cases[] = {
      {"stopped before the first sample", true, 0, 0, 0},
      {"stopped in the third wait of the first second", false, 3, 1, 3},
      {"stopped in the first wait of the second second", false, 11, 2, 11},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    stopFlag.store(kRunning);
    SensorsModeEnvironment env;
    env.startStdinWatcher = [&c] {
      if (c.stopBeforeSampling) RaiseStop(kStopRequested);
    };
    auto sleeps = std::make_shared<int>(0);
    env.sleep = [sleeps, &c](DWORD ms) {
      EXPECT_EQ(ms, 100u);
      if (++*sleeps == c.stopInWait) RaiseStop(kStopRequested);
    };
    env.readSensors = [](const SensorContext&) {
      SensorReading r;
      r.temperature = 65.5;
      r.fan = 1200;
      r.power = 18.5;
      r.watts = 185.4;
      r.clock = 1950;
      r.clockMax = 2100;
      r.memClock = 7000;
      return r;
    };
    int code = -1;
    std::vector<EventLine> lines;
    {
      CapturedOutput output;
      code = RunSensorsMode(env);
      output.RunEnded(code);  // the worker's own lines: the reference check holds them too
      lines = output.Lines();
    }
    EXPECT_EQ(code, 1);
    EXPECT_EQ(*sleeps, c.sleeps);
    ASSERT_EQ(lines.size(), c.samples + 2);
    EXPECT_TRUE(StartsWith(lines.front().text, "{\"event\":\"start\",\"sensors\":")) << lines.front().text;
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
      const std::string& text = lines[i].text;
      const std::string values = text.substr(text.find(",\"temp\""));
      EXPECT_EQ(values, ",\"temp\":65.5,\"fan\":1200,\"power\":18.5,\"watts\":185.4,\"clock\":1950,\"clock_max\":2100}");
    }
    EXPECT_EQ(lines.back().text, "{\"event\":\"end\",\"reason\":\"stopped\"}");
  }
  stopFlag.store(kRunning);
}

}  // namespace

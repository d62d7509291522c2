// The sensors mode end to end: no device, one sample a second, until "q".
#include <gtest/gtest.h>

#include "tests/probe/gpu/gpu_run_support.h"

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

}  // namespace

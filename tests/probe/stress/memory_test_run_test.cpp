// The memory test end to end, started the way the host starts it. It commits
// most of the machine's memory, so it runs alone and is stopped at its first
// sample.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/probe_process.h"

namespace {

constexpr uint64_t kMiB = 1024ull * 1024;

// Start values that fit this machine, write samples, then "q": "stopped",
// exit 1, no errors, no pass completed.
TEST(MemoryTestRun, StartsSamplesAndStopsOnQ) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  ASSERT_TRUE(GlobalMemoryStatusEx(&status));
  SYSTEM_INFO info;
  GetSystemInfo(&info);

  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load ram --minutes 1"));
  ASSERT_TRUE(probe.WaitForLines(2, 30000));
  ASSERT_TRUE(probe.WriteStdin("q"));
  const DWORD code = probe.WaitForExit(60000);
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(code, 1u);

  const nlohmann::json& start = lines.front().json;
  ASSERT_EQ(EventOf(lines.front()), "start") << lines.front().text;
  EXPECT_EQ(lines.front().text.rfind("{\"event\":\"start\",\"ram\":true,\"bytes\":", 0), 0u);
  const uint64_t bytes = start["bytes"].get<uint64_t>();
  const uint64_t avail = start["avail"].get<uint64_t>();
  EXPECT_EQ(start["total"].get<uint64_t>(), status.ullTotalPhys);
  EXPECT_LE(avail, status.ullTotalPhys);
  EXPECT_EQ(bytes % (64 * kMiB), 0u);
  EXPECT_GE(bytes, 256 * kMiB);
  EXPECT_LE(bytes, avail / 4 * 3 - 256 * kMiB);
  EXPECT_LE(bytes, 64 * 1024 * kMiB);
  EXPECT_EQ(start["threads"].get<uint32_t>(), info.dwNumberOfProcessors < 64 ? info.dwNumberOfProcessors : 64);
  EXPECT_DOUBLE_EQ(start["minutes"].get<double>(), 1.0);

  double previousT = 0;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    SCOPED_TRACE(lines[i].text);
    const nlohmann::json& sample = lines[i].json;
    ASSERT_EQ(lines[i].text.rfind("{\"t\":", 0), 0u);
    const std::string phase = sample["phase"].get<std::string>();
    EXPECT_TRUE(phase == "write" || phase == "verify");
    const double done = sample["done"].get<double>();
    EXPECT_GE(done, 0.0);
    EXPECT_LE(done, 1.0);
    EXPECT_EQ(sample["errors"], 0);
    EXPECT_GE(sample["pass"].get<int>(), 1);
    EXPECT_EQ(sample["pass"].get<int>(), sample["passes"].get<int>() + 1);
    EXPECT_GE(sample["t"].get<double>(), previousT);
    previousT = sample["t"].get<double>();
  }
  EXPECT_EQ(lines[1].json["phase"], "write");

  const nlohmann::json& end = lines.back().json;
  EXPECT_EQ(lines.back().text.rfind("{\"event\":\"end\",\"reason\":\"stopped\"", 0), 0u) << lines.back().text;
  EXPECT_EQ(end["errors"], 0);
  EXPECT_EQ(end["passes"], 0);
  EXPECT_EQ(end["bytes"].get<uint64_t>(), bytes);
  EXPECT_GE(end["t"].get<double>(), previousT);
}

}  // namespace

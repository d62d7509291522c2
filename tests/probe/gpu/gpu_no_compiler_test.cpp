// Run by CTest with d3dcompiler_47.dll disabled in Wine, as on a system that
// lacks it: the GPU stress fails to compile with a "shader" line and the
// "shaders" error, and a mode that needs no compiler still runs.
#include <gtest/gtest.h>

#include "tests/support/probe_process.h"

namespace {

TEST(GpuWithoutCompiler, ShadersErrorAndOtherModesRun) {
  {
    ProbeProcess probe;
    ASSERT_TRUE(probe.Start(L"--load gentle"));
    EXPECT_EQ(probe.WaitForExit(60000), 4u);
    const std::vector<EventLine> lines = probe.Lines();
    ASSERT_EQ(lines.size(), 2u) << (lines.empty() ? "" : lines.back().text);
    ASSERT_TRUE(lines[0].json.is_object()) << lines[0].text;
    EXPECT_EQ(lines[0].json["event"], "shader");
    EXPECT_EQ(lines[0].json["entry"], "CheckCS");
    EXPECT_EQ(lines[1].text, "{\"event\":\"error\",\"what\":\"shaders\"}");
  }
  {
    ProbeProcess probe;
    ASSERT_TRUE(probe.Start(L"--load cpu --minutes 0.01"));
    EXPECT_EQ(probe.WaitForExit(60000), 0u);
    const std::vector<EventLine> lines = probe.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(EventOf(lines.front()), "start");
    EXPECT_EQ(lines.back().json["reason"], "time");
  }
}

}  // namespace

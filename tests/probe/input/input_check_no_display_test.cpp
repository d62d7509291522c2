// The input check where raw input cannot be set up (Wine without an X display).
#include <gtest/gtest.h>

#include "tests/support/probe_process.h"

namespace {

// One error line with the system's code instead of a start line, and exit 4.
TEST(InputCheckNoDisplay, FailsToStartWithOneErrorLine) {
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load input --minutes 0.05"));
  EXPECT_EQ(probe.WaitForExit(30000), 4u);
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_EQ(lines.size(), 1u) << (lines.empty() ? "" : lines.back().text);
  EXPECT_EQ(lines[0].text.rfind("{\"event\":\"error\",\"what\":\"input\",\"code\":", 0), 0u) << lines[0].text;
  ASSERT_TRUE(lines[0].json.is_object()) << lines[0].text;
  EXPECT_EQ(lines[0].json.size(), 3u);
  EXPECT_TRUE(lines[0].json["code"].is_number_unsigned());
}

}  // namespace

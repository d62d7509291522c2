// Run by CTest with DISPLAY naming a display that does not exist (Wine takes
// the display from the Unix environment, which the worker inherits from us):
// DXGI cannot start, and both modes that need it say so with one line and exit 4.
// It runs in a Wine prefix of its own: Wine starts a desktop's process with the
// display of its first user, and a shared desktop started with a missing
// display would fail the other GPU tests.
#include <gtest/gtest.h>

#include "tests/support/probe_process.h"

namespace {

TEST(GpuWithoutDisplay, FactoryFailureIsDxgiError) {
  for (const wchar_t* arguments : {L"--load gentle", L"", L"--load sensors"}) {
    SCOPED_TRACE(testing::Message() << "arguments: " << arguments);
    ProbeProcess probe;
    ASSERT_TRUE(probe.Start(arguments));
    EXPECT_EQ(probe.WaitForExit(60000), 4u);
    const std::vector<EventLine> lines = probe.Lines();
    ASSERT_EQ(lines.size(), 1u) << (lines.empty() ? "" : lines.back().text);
    EXPECT_EQ(lines[0].text, "{\"event\":\"error\",\"what\":\"dxgi\"}");
  }
}

}  // namespace

// Both kernel tracing modes run for real under the system we are tested on,
// started the way the host starts them. Where the system refuses a consumer
// (Wine: OpenTraceW fails with 5) the run must end at once with the access
// error line. (Wine's ControlTraceW answers 0 to everything, so whether the
// session was stopped is shown against the replay, not here.)
#include <gtest/gtest.h>

#include "tests/support/probe_process.h"

namespace {

TEST(TracingModesUnderWine, RefusedConsumerEndsWithTheAccessLine) {
  for (const wchar_t* mode : {L"latency", L"faults"}) {
    SCOPED_TRACE(testing::Message() << (mode[0] == L'l' ? "latency" : "faults"));
    ProbeProcess probe;
    ASSERT_TRUE(probe.Start(std::wstring(L"--load ") + mode + L" --minutes 1"));
    const DWORD code = probe.WaitForExit(20000);
    const std::vector<EventLine> lines = probe.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, R"({"event":"error","what":"access","code":5})");
    EXPECT_EQ(code, 4u);
    // Wine takes a few seconds to start a process on a busy machine; a run
    // that went on sampling would take its whole minute.
    EXPECT_LT(lines[0].arrival, 10.0);
  }
}

}  // namespace

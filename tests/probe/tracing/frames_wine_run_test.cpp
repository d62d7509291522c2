// The frame-time mode for real under the system we are tested on, started the
// way the host starts it. Wine starts the session and enables the providers
// but refuses the consumer with 5: the run must end at once with the trace
// error line, "trace" even for 5. (Wine's ControlTraceW answers 0 to every
// query, so the stop of the session is shown against the replay.)
#include <gtest/gtest.h>

#include <windows.h>

#include "tests/support/probe_process.h"

namespace {

TEST(FramesUnderWine, RefusedConsumerEndsWithTheTraceLine) {
  ProbeProcess probe;
  // Wine starts its desktop process for the first program that needs it, and
  // that process would inherit the worker's output pipe and keep it open:
  // bring it up from here, before any pipe exists.
  GetDesktopWindow();
  ASSERT_TRUE(probe.Start(L"--load frames --minutes 1"));
  const DWORD code = probe.WaitForExit(20000);
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, R"({"event":"error","what":"trace","code":5})");
  EXPECT_EQ(code, 4u);
  // Wine takes a few seconds to start a process on a busy machine; a run that
  // went on waiting for a game would last until it is stopped.
  EXPECT_LT(lines[0].arrival, 10.0);
}

}  // namespace

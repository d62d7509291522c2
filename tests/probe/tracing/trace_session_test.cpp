// Kernel trace control against the replay: what is started, with which
// blocks, what happens to left-over and foreign sessions, and the stop order.
#include <gtest/gtest.h>

#include <atomic>
#include <cwchar>

#include "probe/tracing/consumer_state.h"
#include "probe/tracing/process_image_name.h"
#include "probe/tracing/trace_session.h"
#include "tests/probe/tracing/trace_replay.h"

namespace {

struct Seen {
  std::atomic<int> events{0};
  std::atomic<DWORD> threadId{0};
  std::atomic<void*> context{nullptr};
};

void WINAPI CountingCallback(PEVENT_RECORD record) {
  Seen* seen = static_cast<Seen*>(record->UserContext);
  seen->threadId = GetCurrentThreadId();
  seen->context = record->UserContext;
  seen->events.fetch_add(1);
}

// Fields both start blocks share; everything not named here must be zero.
void ExpectStartBlock(const TracePropertiesBlock& block, const wchar_t* name, const GUID& guid, ULONG mode,
                      ULONG flags) {
  TracePropertiesBlock expected{};
  EVENT_TRACE_PROPERTIES& p = expected.properties;
  p.Wnode.BufferSize = 248;
  p.Wnode.Flags = 0x20000;
  p.Wnode.ClientContext = 1;
  p.Wnode.Guid = guid;
  p.BufferSize = 256;
  p.MinimumBuffers = 32;
  p.MaximumBuffers = 256;
  p.LogFileMode = mode;
  p.FlushTimer = 1;
  p.EnableFlags = flags;
  p.LoggerNameOffset = 120;
  wcscpy(expected.name, name);
  EXPECT_EQ(memcmp(&block, &expected, sizeof(block)), 0) << "start block differs";
}

void ExpectStopBlock(const TracePropertiesBlock& block, const wchar_t* name) {
  TracePropertiesBlock expected{};
  EVENT_TRACE_PROPERTIES& p = expected.properties;
  p.Wnode.BufferSize = 248;
  p.Wnode.Flags = 0x20000;
  p.Wnode.ClientContext = 1;
  p.LogFileMode = 0x100;
  p.FlushTimer = 1;
  p.BufferSize = 64;
  p.MinimumBuffers = 8;
  p.MaximumBuffers = 64;
  p.LoggerNameOffset = 120;
  wcscpy(expected.name, name);
  EXPECT_EQ(memcmp(&block, &expected, sizeof(block)), 0) << "stop block differs";
}

class TraceSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    api = replay.Table();
    session.api = &api;
  }
  TraceReplay replay;
  TraceApi api{};
  TraceSession session;
  Seen seen;
};

// The private session with its block, the enable flags given once more by
// information class 4, the consumer on a thread of its own, events with our
// context, and the stop order: stop the session, close, the consumer ends.
TEST_F(TraceSessionTest, PrivateSessionStartsDeliversAndStopsInOrder) {
  ASSERT_EQ(StartKernelTrace(session, kLatencyEnableFlags, CountingCallback, &seen), 0u);
  EXPECT_TRUE(session.privateSession);
  EXPECT_STREQ(session.sessionName, L"VantorelKernel");
  ASSERT_NE(session.consumerThread, nullptr);

  ASSERT_TRUE(replay.Deliver({MakeEvent(GUID{}, 1, 0, 4, 4, 100, {})}, 5000));
  EXPECT_EQ(seen.events.load(), 1);
  EXPECT_EQ(seen.context.load(), &seen);
  EXPECT_NE(seen.threadId.load(), GetCurrentThreadId()) << "events must arrive on the consumer thread";

  StopTraceSession(session);
  EXPECT_EQ(session.consumerThread, nullptr);
  EXPECT_EQ(session.consumerHandle, INVALID_PROCESSTRACE_HANDLE);
  EXPECT_TRUE(replay.ConsumerEnded()) << "stop returned before the consumer thread ended";
  EXPECT_TRUE(replay.Running().empty());

  const std::vector<TraceCallRecord> calls = replay.Calls();
  const std::vector<TraceCall> expected = {TraceCall::Start,        TraceCall::SetInformation, TraceCall::Open,
                                           TraceCall::ProcessBegin, TraceCall::Control,        TraceCall::Close};
  ASSERT_EQ(replay.CallKinds(false), expected);
  ExpectStartBlock(calls[0].block, L"VantorelKernel", kPrivateKernelSessionGuid, 0x02000100, 0x60);
  EXPECT_EQ(calls[0].name, L"VantorelKernel");
  const TRACEHANDLE sessionHandle = session.sessionHandle;
  EXPECT_NE(sessionHandle, 0u);

  EXPECT_EQ(calls[1].handle, sessionHandle);
  EXPECT_EQ(static_cast<int>(calls[1].infoClass), 4);
  std::vector<uint8_t> groups(32, 0);
  groups[0] = 0x60;
  EXPECT_EQ(calls[1].information, groups);

  EXPECT_EQ(calls[2].name, L"VantorelKernel");
  EXPECT_EQ(calls[2].processTraceMode, 0x10001100u);
  EXPECT_EQ(calls[2].callback, &CountingCallback);
  EXPECT_EQ(calls[3].handleCount, 1u);
  EXPECT_FALSE(calls[3].hasTimes);
  EXPECT_EQ(calls[3].threadId, seen.threadId.load());

  EXPECT_EQ(calls[4].handle, sessionHandle);
  EXPECT_EQ(calls[4].name, L"") << "the stop goes by handle";
  EXPECT_EQ(calls[4].controlCode, static_cast<ULONG>(EVENT_TRACE_CONTROL_STOP));
  ExpectStopBlock(calls[4].block, L"VantorelKernel");
  for (const TraceCallRecord& call : calls) {
    if (call.kind == TraceCall::Close) {
      EXPECT_EQ(call.handle, 0x7100u) << "closed something else than the consumer";
    }
  }
}

// A private session left over from an earlier run is stopped by name with a
// fresh start block and started once more; we keep the private session.
TEST_F(TraceSessionTest, LeftOverPrivateSessionIsRestartedOnce) {
  replay.running.insert(L"VantorelKernel");
  ASSERT_EQ(StartKernelTrace(session, kFaultsEnableFlags, CountingCallback, &seen), 0u);
  EXPECT_TRUE(session.privateSession);
  const std::vector<TraceCallRecord> calls = replay.Calls();
  ASSERT_GE(calls.size(), 4u);
  EXPECT_EQ(calls[0].kind, TraceCall::Start);
  EXPECT_EQ(calls[1].kind, TraceCall::Control);
  EXPECT_EQ(calls[1].handle, 0u);
  EXPECT_EQ(calls[1].name, L"VantorelKernel");
  EXPECT_EQ(calls[1].controlCode, static_cast<ULONG>(EVENT_TRACE_CONTROL_STOP));
  ExpectStartBlock(calls[1].block, L"VantorelKernel", kPrivateKernelSessionGuid, 0x02000100, 0x2000);
  EXPECT_EQ(calls[2].kind, TraceCall::Start);
  ExpectStartBlock(calls[2].block, L"VantorelKernel", kPrivateKernelSessionGuid, 0x02000100, 0x2000);
  EXPECT_EQ(calls[3].kind, TraceCall::SetInformation);
  StopTraceSession(session);
  EXPECT_TRUE(replay.Running().empty());
}

// When the private session cannot start, "NT Kernel Logger" takes over
// silently; TraceSetInformation belongs to the private session only.
TEST_F(TraceSessionTest, FallsBackToTheKernelLogger) {
  replay.startResults = {ERROR_NOT_SUPPORTED};
  ASSERT_EQ(StartKernelTrace(session, kLatencyEnableFlags, CountingCallback, &seen), 0u);
  EXPECT_FALSE(session.privateSession);
  EXPECT_STREQ(session.sessionName, L"NT Kernel Logger");
  const std::vector<TraceCallRecord> calls = replay.Calls();
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls[1].kind, TraceCall::Start);
  EXPECT_EQ(calls[1].name, L"NT Kernel Logger");
  ExpectStartBlock(calls[1].block, L"NT Kernel Logger", kSystemTraceControlGuid, 0x100, 0x60);
  EXPECT_EQ(calls[2].kind, TraceCall::Open) << "no TraceSetInformation for the shared logger";
  EXPECT_EQ(calls[2].name, L"NT Kernel Logger");
  ASSERT_TRUE(replay.WaitForConsumer(5000));
  StopTraceSession(session);
  ExpectStopBlock(replay.Calls()[4].block, L"NT Kernel Logger");
  EXPECT_TRUE(replay.Running().empty());
}

// Failed starts: the code the mode reports and what is left running after.
TEST(TraceSessionFailure, ReportsTheRightCodeAndLeavesNothingOfOursRunning) {
  const struct Case {
    const char* name;
    std::vector<ULONG> startResults;
    bool kernelLoggerBusy;
    bool openFails;
    DWORD openError;
    ULONG expected;
  } cases[] = {
      {"no rights for either session", {ERROR_ACCESS_DENIED, ERROR_ACCESS_DENIED}, false, false, 0, 5},
      {"another tool holds the kernel logger", {ERROR_NOT_SUPPORTED}, true, false, 0, 183},
      {"the fallback's own code counts", {ERROR_ACCESS_DENIED, ERROR_NO_SYSTEM_RESOURCES}, false, false, 0, 1450},
      {"open fails with no error", {}, false, true, 0, 31},
      {"open refused", {}, false, true, ERROR_ACCESS_DENIED, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TraceReplay replay;
    const TraceApi api = replay.Table();
    replay.startResults.assign(c.startResults.begin(), c.startResults.end());
    if (c.kernelLoggerBusy) replay.running.insert(L"NT Kernel Logger");
    replay.openFails = c.openFails;
    replay.openError = c.openError;
    TraceSession session;
    session.api = &api;
    Seen seen;
    EXPECT_EQ(StartKernelTrace(session, kLatencyEnableFlags, CountingCallback, &seen), c.expected);
    EXPECT_EQ(session.consumerThread, nullptr);
    EXPECT_EQ(session.consumerHandle, INVALID_PROCESSTRACE_HANDLE);
    std::set<std::wstring> left;
    if (c.kernelLoggerBusy) left.insert(L"NT Kernel Logger");
    EXPECT_EQ(replay.Running(), left);
    for (const TraceCallRecord& call : replay.Calls()) {
      if (call.kind == TraceCall::Control) {
        EXPECT_NE(call.name, L"NT Kernel Logger") << "stopped a foreign session";
      }
    }
  }
}

// Systems without TraceSetInformation still start the private session.
TEST(TraceSessionSetInformation, MissingFunctionIsSkipped) {
  TraceReplay replay;
  const TraceApi api = replay.Table(false);
  TraceSession session;
  session.api = &api;
  Seen seen;
  ASSERT_EQ(StartKernelTrace(session, kFaultsEnableFlags, CountingCallback, &seen), 0u);
  EXPECT_TRUE(session.privateSession);
  ASSERT_TRUE(replay.WaitForConsumer(5000));
  StopTraceSession(session);
  const std::vector<TraceCall> expected = {TraceCall::Start, TraceCall::Open, TraceCall::ProcessBegin,
                                           TraceCall::Control, TraceCall::Close};
  EXPECT_EQ(replay.CallKinds(false), expected);
  EXPECT_TRUE(replay.ConsumerEnded());
}

// A stop after a start that never got going touches nothing that is not there.
TEST(TraceSessionStop, SafeOnAnIdleRecord) {
  TraceReplay replay;
  const TraceApi api = replay.Table();
  TraceSession session;
  session.api = &api;
  StopTraceSession(session);
  const std::vector<TraceCall> expected = {TraceCall::Control};
  EXPECT_EQ(replay.CallKinds(), expected);
}

// Catches "access" for another code, or for a 5 that the frame-time mode got
// from its consumer or providers once its session ran.
TEST(TraceErrorLine, AccessOnlyForFiveReadAsMissingRights) {
  constexpr AccessDenied kNoRights = AccessDenied::kMeansNoRights;
  constexpr AccessDenied kTraceFailure = AccessDenied::kIsATraceFailure;
  const struct Case {
    ULONG code;
    AccessDenied accessDenied;
    const char* line;
  } cases[] = {
      {5, kNoRights, R"({"event":"error","what":"access","code":5})"},
      {183, kNoRights, R"({"event":"error","what":"trace","code":183})"},
      {31, kNoRights, R"({"event":"error","what":"trace","code":31})"},
      {4294967295u, kNoRights, R"({"event":"error","what":"trace","code":4294967295})"},
      {5, kTraceFailure, R"({"event":"error","what":"trace","code":5})"},
      {8, kTraceFailure, R"({"event":"error","what":"trace","code":8})"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    char text[200];
    FormatTraceError(text, sizeof(text), c.code, c.accessDenied);
    EXPECT_STREQ(text, c.line);
  }
}

int watchedFreed = 0;

struct Watched {
  ~Watched() { ++watchedFreed; }
};

void WINAPI IgnoreEvent(PEVENT_RECORD) {}

// Catches the callback's state freed while a consumer may still call back
// into it (never stopped, or abandoned by the stop after 3 s), and state kept
// after a clean stop or a run that never started tracing.
TEST(ConsumerState, FreedOnlyOnceNoConsumerCanCallBack) {
  const struct Case {
    const char* name;
    bool start;      // StartKernelTrace is called
    bool openFails;  // and fails at the consumer, after its session had started
    bool stop;
    DWORD consumerEndDelayMs;
    bool freed;
  } cases[] = {
      {"tracing never started", false, false, false, 100, true},
      {"a failed start left nothing running", true, true, false, 100, true},
      {"started and stopped", true, false, true, 100, true},
      {"the run ends without the stop", true, false, false, 100, false},
      {"the stop abandons a consumer that has not ended in 3 s", true, false, true, 3600, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TraceReplay replay;
    const TraceApi api = replay.Table();
    replay.consumerEndDelayMs = c.consumerEndDelayMs;
    replay.openFails = c.openFails;
    TraceSession session;
    session.api = &api;
    const bool running = c.start && !c.openFails;
    watchedFreed = 0;
    {
      ConsumerState<Watched> state(session);
      ASSERT_TRUE(state);
      if (c.start) {
        ASSERT_EQ(StartKernelTrace(session, kFaultsEnableFlags, IgnoreEvent, state.get()) == ERROR_SUCCESS, running);
      }
      if (running) {
        ASSERT_TRUE(replay.WaitForConsumer(5000));
      }
      if (c.stop) StopTraceSession(session);
    }
    EXPECT_EQ(watchedFreed, c.freed ? 1 : 0);
    // The replay must outlive its consumer thread.
    if (!c.stop) StopTraceSession(session);
    for (int waited = 0; running && !replay.ConsumerEnded() && waited < 100; ++waited) Sleep(50);
  }
}

TEST(ProcessImageName, LowerCaseFileNameOfTheImage) {
  const struct Case {
    const wchar_t* path;
    const wchar_t* name;
  } cases[] = {
      {L"C:\\Games\\Big Game\\GAME.EXE", L"game.exe"},
      {L"Plain.Exe", L"plain.exe"},
      {L"C:\\Folder\\", L""},
      {L"\\\\?\\C:\\x\\MiXeD.ExE", L"mixed.exe"},
  };
  for (const Case& c : cases) EXPECT_EQ(LowerFileName(c.path), c.name);

  wchar_t path[MAX_PATH];
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  EXPECT_EQ(ProcessImageName(GetCurrentProcessId()), LowerFileName(path));
  EXPECT_EQ(ProcessImageName(0xFFFFFFF0u), L"") << "a process that cannot be opened has no name";
}

}  // namespace

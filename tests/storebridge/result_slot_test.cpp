#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "storebridge/result_slot.h"
#include "tests/support/unique_handle.h"
#include "tests/support/utf8.h"

namespace {

struct Pipe {
  UniqueHandle read, write;
  Pipe() {
    HANDLE r = nullptr, w = nullptr;
    CreatePipe(&r, &w, nullptr, 1 << 16);
    read.Reset(r);
    write.Reset(w);
  }
  // Everything written so far, once the write end is closed.
  std::string Drain() {
    write.Reset();
    std::string bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(read.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
  }
};

class StoreBridgeResultSlot : public ::testing::Test {
 protected:
  void SetUp() override { InitResultSlot(slot_); }
  void TearDown() override { DeleteCriticalSection(&slot_.lock); }
  ResultSlot slot_;
};

TEST_F(StoreBridgeResultSlot, UnsetSlotPrintsUnknownWithCodeThree) {
  Pipe pipe;
  EXPECT_TRUE(PrintResult(slot_, pipe.write.Get()));
  EXPECT_EQ(pipe.Drain(), "ERROR:unknown\r\n");
  EXPECT_EQ(ResultCode(slot_), 3);
}

TEST_F(StoreBridgeResultSlot, FirstResultWinsButTheCrashAlwaysOverwrites) {
  StoreResult(slot_, L"ERROR:timeout", 6);
  StoreResult(slot_, L"UPDATE", 0);  // a late answer
  EXPECT_STREQ(slot_.text, L"ERROR:timeout");
  EXPECT_EQ(ResultCode(slot_), 6);

  StoreCrashResult(slot_, L"ERROR:crash (0xC0000005)", 3);
  EXPECT_STREQ(slot_.text, L"ERROR:crash (0xC0000005)");
  EXPECT_EQ(ResultCode(slot_), 3);
  StoreResult(slot_, L"NOUPDATE", 1);
  EXPECT_STREQ(slot_.text, L"ERROR:crash (0xC0000005)");
}

TEST_F(StoreBridgeResultSlot, PrintsOneLineOnlyOnceEvenWhenTheFirstHadNowhereToGo) {
  StoreResult(slot_, L"NOUPDATE", 1);
  Pipe pipe;
  EXPECT_TRUE(PrintResult(slot_, pipe.write.Get()));
  EXPECT_FALSE(PrintResult(slot_, pipe.write.Get()));
  EXPECT_EQ(pipe.Drain(), "NOUPDATE\r\n");

  ResultSlot other;
  InitResultSlot(other);
  StoreResult(other, L"UPDATE", 0);
  EXPECT_TRUE(PrintResult(other, INVALID_HANDLE_VALUE));
  Pipe late;
  EXPECT_FALSE(PrintResult(other, late.write.Get()));
  EXPECT_EQ(late.Drain(), "");
  DeleteCriticalSection(&other.lock);
}

// A host may wait for our exit before it reads the line; printing must not
// wait for the reader (flushing a pipe does).
TEST_F(StoreBridgeResultSlot, PrintingIntoAPipeNobodyReadsYetReturns) {
  StoreResult(slot_, L"UPDATE", 0);
  Pipe pipe;
  struct Job {
    ResultSlot* slot;
    HANDLE output;
  } job{&slot_, pipe.write.Get()};
  UniqueHandle printer(CreateThread(
      nullptr, 0,
      [](void* parameter) -> DWORD {
        Job* job = static_cast<Job*>(parameter);
        PrintResult(*job->slot, job->output);
        return 0;
      },
      &job, 0, nullptr));
  EXPECT_EQ(WaitForSingleObject(printer.Get(), 5000), static_cast<DWORD>(WAIT_OBJECT_0));
  const std::string output = pipe.Drain();  // also frees a printer that is stuck
  WaitForSingleObject(printer.Get(), INFINITE);
  EXPECT_EQ(output, "UPDATE\r\n");
}

// Catches a main thread that returns (which ends the process) while the
// watchdog is still writing the line: the host would get no line at all.
TEST_F(StoreBridgeResultSlot, MainThreadsEndWaitsForALineUnderWayElsewhere) {
  StoreResult(slot_, kResultTimeout, kExitTimeout);
  // The watchdog has taken the print and is in its WriteFile.
  EnterCriticalSection(&slot_.lock);
  slot_.written = true;
  slot_.writtenCode = slot_.code;
  InterlockedExchange(&slot_.printing, 1);
  LeaveCriticalSection(&slot_.lock);
  std::thread watchdog([this] {
    Sleep(300);
    InterlockedExchange(&slot_.printing, 0);
  });
  Pipe pipe;
  const ULONGLONG started = GetTickCount64();
  EXPECT_EQ(PrintResultForExit(slot_, pipe.write.Get()), kExitTimeout);
  const ULONGLONG waited = GetTickCount64() - started;
  watchdog.join();
  EXPECT_GE(waited, 250u);
  EXPECT_LT(waited, kPrintGraceMs);
  EXPECT_EQ(pipe.Drain(), "") << "the main thread printed a second line";

  // Nothing under way elsewhere: it prints and returns at once.
  ResultSlot fresh;
  InitResultSlot(fresh);
  StoreResult(fresh, L"NOUPDATE", 1);
  Pipe other;
  const ULONGLONG alone = GetTickCount64();
  EXPECT_EQ(PrintResultForExit(fresh, other.write.Get()), 1);
  EXPECT_LT(GetTickCount64() - alone, 250u);
  EXPECT_EQ(other.Drain(), "NOUPDATE\r\n");
  DeleteCriticalSection(&fresh.lock);
}

// Catches a line and an exit code taken apart: the main thread prints the
// unknown result, the watchdog stores its time-out after that, and the
// program would end with code 6 under the line "ERROR:unknown".
TEST_F(StoreBridgeResultSlot, ExitCodeIsTheOneOfThePrintedLine) {
  Pipe pipe;
  EXPECT_TRUE(PrintResult(slot_, pipe.write.Get()));
  StoreResult(slot_, kResultTimeout, kExitTimeout);
  EXPECT_EQ(ExitCodeOfResult(slot_), kExitFailure);
  EXPECT_EQ(PrintResultForExit(slot_, pipe.write.Get()), kExitFailure);
  EXPECT_EQ(pipe.Drain(), "ERROR:unknown\r\n");

  // Nothing printed yet: the stored code is the one.
  ResultSlot fresh;
  InitResultSlot(fresh);
  StoreResult(fresh, kResultTimeout, kExitTimeout);
  EXPECT_EQ(ExitCodeOfResult(fresh), kExitTimeout);
  DeleteCriticalSection(&fresh.lock);
}

// Catches a grace that never ends, or one counted in calls rather than time:
// a write that stays blocked keeps the main thread 2 s, not longer, and the
// code it returns is still the one of that line.
TEST_F(StoreBridgeResultSlot, ALineThatNeverLandsIsGivenTwoSecondsOfTime) {
  StoreResult(slot_, kResultNoUpdate, kExitNoUpdate);
  EnterCriticalSection(&slot_.lock);
  slot_.written = true;
  slot_.writtenCode = slot_.code;
  InterlockedExchange(&slot_.printing, 1);  // and it never comes back
  LeaveCriticalSection(&slot_.lock);
  Pipe pipe;
  const ULONGLONG started = GetTickCount64();
  EXPECT_EQ(PrintResultForExit(slot_, pipe.write.Get()), kExitNoUpdate);
  const ULONGLONG waited = GetTickCount64() - started;
  EXPECT_GE(waited, kPrintGraceMs - 20);  // the tick count moves in steps of up to 16 ms
  EXPECT_LT(waited, kPrintGraceMs + 500);
  EXPECT_EQ(pipe.Drain(), "");
}

TEST_F(StoreBridgeResultSlot, ThreadsRacingToAnswerLeaveExactlyOneLineThatMatchesTheCode) {
  Pipe pipe;
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] {
      const std::wstring text = L"ANSWER" + std::to_wstring(i);
      StoreResult(slot_, text.c_str(), 10 + i);
      PrintResult(slot_, pipe.write.Get());
    });
  }
  for (auto& thread : threads) thread.join();
  const std::string output = pipe.Drain();
  EXPECT_EQ(output, "ANSWER" + std::to_string(ResultCode(slot_) - 10) + "\r\n");
}

TEST(StoreBridgeResultLine, IsUtf8WithCrLfAndKeepsTheLongestText) {
  struct Case {
    const char* name;
    std::wstring text;
    std::string expected;
  };
  const std::wstring longest(kResultTextChars - 1, L'\u20AC');  // three bytes each
  const Case cases[] = {
      {"ascii", L"UPDATE", "UPDATE\r\n"},
      {"accents and a pair", L"ERROR:Zugriff verweigert \u00FC \U0001F600 (0x80070005)",
       "ERROR:Zugriff verweigert \xC3\xBC \xF0\x9F\x98\x80 (0x80070005)\r\n"},
      {"empty", L"", "\r\n"},
      {"2047 three-byte characters", longest, ToUtf8(longest) + "\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char line[kResultLineBytes];
    const size_t bytes = EncodeResultLine(c.text.c_str(), line, sizeof(line));
    EXPECT_EQ(std::string(line, bytes), c.expected);
  }
}

TEST_F(StoreBridgeResultSlot, LongTextIsCutAt2047CharactersNeverInsideASurrogatePair) {
  std::wstring text(kResultTextChars + 100, L'a');
  StoreResult(slot_, text.c_str(), 3);
  EXPECT_EQ(wcslen(slot_.text), kResultTextChars - 1);

  ResultSlot paired;
  InitResultSlot(paired);
  std::wstring pairs(kResultTextChars - 2, L'a');
  pairs += L"\U0001F600\U0001F600";  // the first pair straddles the limit
  StoreResult(paired, pairs.c_str(), 3);
  const std::wstring kept = paired.text;
  EXPECT_EQ(kept, std::wstring(kResultTextChars - 2, L'a'));
  DeleteCriticalSection(&paired.lock);
}

}  // namespace

// VantorelStoreBridge.exe end to end, started as the host starts it: pipes on
// its standard handles, no console.
#include <gtest/gtest.h>

#include <roapi.h>
#include <wrl/client.h>

#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "storebridge/error_text.h"
#include "storebridge/store_interfaces.h"
#include "tests/support/probe_process.h"
#include "tests/support/utf8.h"
#include "tests/support/whole_file.h"

namespace {

struct BridgeRun {
  DWORD exitCode = STILL_ACTIVE;
  std::vector<EventLine> lines;
  double seconds = 0;
};

BridgeRun RunBridge(const std::wstring& arguments, bool withStdout = true,
                    const std::vector<std::pair<std::wstring, std::wstring>>& environment = {}) {
  BridgeRun run;
  ProbeProcess process;
  process.StderrToNul();
  if (!withStdout) process.WithoutStdout();
  for (const auto& [name, value] : environment) process.SetEnvironment(name, value);
  if (!process.Start(arguments, StdinKind::Pipe, L"", L"VantorelStoreBridge.exe")) {
    ADD_FAILURE() << "could not start VantorelStoreBridge.exe";
    return run;
  }
  run.exitCode = process.WaitForExit(60000);
  run.seconds = process.Elapsed();
  run.lines = process.Lines();
  return run;
}

// Exactly one line, ended by CR LF (the reader splits at LF and keeps the CR).
std::string OnlyLine(const BridgeRun& run) {
  if (run.lines.size() != 1) {
    ADD_FAILURE() << run.lines.size() << " lines instead of one";
    return {};
  }
  const std::string& text = run.lines[0].text;
  EXPECT_TRUE(!text.empty() && text.back() == '\r') << "line not ended by CR LF: " << text;
  EXPECT_EQ(text.find('\r'), text.size() - 1) << text;
  return text.substr(0, text.size() - 1);
}

TEST(StoreBridgeRun, ArgumentsAreJudgedBeforeTheStoreIsAsked) {
  struct Case {
    const wchar_t* arguments;
    const char* line;  // nullptr: accepted, so the Store was asked
  };
  const Case cases[] = {
      {L"", "ERROR:usage"},
      {L"updates", "ERROR:usage"},
      {L"updates \"\"", "ERROR:usage"},
      {L"updates \"   \"", "ERROR:usage"},
      {L"updatesx Vantorel.App", "ERROR:badmode"},
      {L"list \"\"", "ERROR:badmode"},
      {L"\"updates       x\" Vantorel.App", "ERROR:badmode"},
      {L"\"  Updates  \" Vantorel.App", nullptr},
      {L"\"updates        x\" Vantorel.App", nullptr},
      {L"UPDATES Vantorel.App --more args", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.arguments));
    const BridgeRun run = RunBridge(c.arguments);
    const std::string line = OnlyLine(run);
    if (c.line) {
      EXPECT_EQ(line, c.line);
      EXPECT_EQ(run.exitCode, 2u);
    } else {
      EXPECT_NE(line.rfind("ERROR:usage", 0), 0u) << line;
      EXPECT_NE(line.rfind("ERROR:badmode", 0), 0u) << line;
      EXPECT_NE(run.exitCode, 2u);
    }
  }
}

TEST(StoreBridgeRun, WithoutStandardOutputTheExitCodeStillCarriesTheOutcome) {
  struct Case {
    const wchar_t* arguments;
    DWORD exitCode;
  };
  const Case cases[] = {
      {L"", 2},
      {L"nope x", 2},
      {L"updates Vantorel.App", 3},  // no Store under Wine
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.arguments));
    const BridgeRun run = RunBridge(c.arguments, false);
    EXPECT_TRUE(run.lines.empty());
    if (c.exitCode == 3) {
      EXPECT_NE(run.exitCode, 2u);
      EXPECT_NE(run.exitCode, STILL_ACTIVE);
    } else {
      EXPECT_EQ(run.exitCode, c.exitCode);
    }
  }
}

// What the Store activation gives in this test's own process, the way the
// bridge asks for it.
HRESULT StoreActivationResult() {
  const HRESULT initialised = RoInitialize(RO_INIT_SINGLETHREADED);
  HSTRING name = nullptr;
  HRESULT hr = WindowsCreateString(StoreAbi::kStoreContextClass, StoreAbi::kStoreContextClassChars, &name);
  if (SUCCEEDED(hr)) {
    Microsoft::WRL::ComPtr<IUnknown> factory;
    hr = RoGetActivationFactory(name, StoreAbi::kIidStoreContextStatics,
                                reinterpret_cast<void**>(factory.GetAddressOf()));
    WindowsDeleteString(name);
  }
  if (SUCCEEDED(initialised)) RoUninitialize();
  return hr;
}

TEST(StoreBridgeRun, WithoutAStoreTheFailingCallsHresultAndSystemTextAreReported) {
  const HRESULT activation = StoreActivationResult();
  const BridgeRun run = RunBridge(L"updates 9NBLGGH4NNS1");
  const std::string line = OnlyLine(run);
  std::smatch parts;
  ASSERT_TRUE(std::regex_match(line, parts, std::regex(R"(ERROR:(\S.*\S) \(0x([0-9A-F]{8})\))"))) << line;
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_LT(run.seconds, 20.0);
  if (FAILED(activation)) {
    // Where even the activation fails (Wine), that call's HRESULT and message are the answer.
    char hex[16];
    snprintf(hex, sizeof(hex), "%08X", static_cast<unsigned>(activation));
    EXPECT_EQ(parts[2].str(), hex);
    wchar_t message[kSystemMessageChars];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        static_cast<DWORD>(activation), 0, message, kSystemMessageChars, nullptr);
    const std::wstring expected = length ? OneLineMessage(std::wstring(message, length)) : kNoSystemMessage;
    EXPECT_EQ(parts[1].str(), ToUtf8(expected));
  }
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  return std::wstring(folder) + name;
}

// The program as the host starts it, against the stand-in Store of the test
// prefix (tools/store_standin), which answers as VANTOREL_STORE_STANDIN says
// and records what it was shown.
BridgeRun RunAgainstStore(const wchar_t* answer, std::string& record) {
  // One file per test process: CTest runs this program's tests side by side.
  const std::wstring recordName = L"vantorel-store-record-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  const std::wstring recordFile = TempFile(recordName.c_str());
  DeleteFileW(recordFile.c_str());
  BridgeRun run = RunBridge(L"updates Vantorel.App", true,
                            {{L"VANTOREL_STORE_STANDIN", answer}, {L"VANTOREL_STORE_STANDIN_RECORD", recordFile}});
  record.clear();
  ReadWholeFile(recordFile, record);
  DeleteFileW(recordFile.c_str());
  return run;
}

// Catches a program that asks the Store from a multithreaded apartment, hands
// it an owner window that is hidden or took the focus, or leaves a crash
// inside a Store call to the system (no answer line, a random exit code).
TEST(StoreBridgeRun, AnswersOfAStoreThatAnswers) {
  const struct Case {
    const wchar_t* answer;
    const char* line;
    DWORD exitCode;
    const char* record;
  } cases[] = {
      {L"update", "UPDATE", 0, "apartment sta\nowner visible=1 foreground=0\n"},
      {L"noupdate", "NOUPDATE", 1, "apartment sta\nowner visible=1 foreground=0\n"},
      {L"crash", "ERROR:crash (0xC0000005)", 3, "apartment sta\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.answer));
    std::string record;
    const BridgeRun run = RunAgainstStore(c.answer, record);
    EXPECT_EQ(OnlyLine(run), c.line);
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(record, c.record);
  }
}

// Catches a program whose own watchdog is missing or late: a Store call that
// never returns is cut 30 s after the check began (25 s for the Store and 5 s
// of grace) with the time-out answer, whatever the host waits.
TEST(StoreBridgeRun, HungStoreCallIsCutByTheProgramsOwnWatchdog) {
  std::string record;
  const BridgeRun run = RunAgainstStore(L"hang", record);
  EXPECT_EQ(OnlyLine(run), "ERROR:timeout");
  EXPECT_EQ(run.exitCode, 6u);
  EXPECT_GE(run.seconds, 29.5);
  EXPECT_LT(run.seconds, 45.0);
  EXPECT_EQ(record, "apartment sta\n");
}

}  // namespace

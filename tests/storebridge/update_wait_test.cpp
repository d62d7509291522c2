#include <gtest/gtest.h>

#include <string>

#include "storebridge/result_slot.h"
#include "storebridge/update_wait.h"
#include "tests/storebridge/fake_store_operation.h"
#include "tests/storebridge/quiet_desktop.h"
#include "tests/support/utf8.h"

namespace {

class StoreBridgeWait : public ::testing::Test {
 protected:
  void SetUp() override { InitResultSlot(slot_); }
  void TearDown() override { DeleteCriticalSection(&slot_.lock); }
  std::string Text() const { return ToUtf8(slot_.text); }
  ResultSlot slot_;
};

std::string HexSuffix(HRESULT hr) {
  char text[32];
  snprintf(text, sizeof(text), " (0x%08X)", static_cast<unsigned>(hr));
  return text;
}

TEST_F(StoreBridgeWait, AnswerFollowsTheOperationsOutcome) {
  struct Case {
    const char* name;
    FakeScript script;
    int listEntries;       // -1: GetResults hands out no list
    HRESULT sizeResult;
    const char* exactText; // or nullptr: "ERROR:" + message + the HRESULT below
    HRESULT errorShown;
    int code;
  };
  const auto completed = [](int polls, HRESULT results = S_OK) {
    FakeScript script;
    script.pendingPolls = polls;
    script.results = results;
    return script;
  };
  const auto ended = [](int status, HRESULT errorCode = S_OK) {
    FakeScript script;
    script.finalStatus = status;
    script.errorCode = errorCode;
    return script;
  };
  FakeScript statusFails;
  statusFails.statusResult = static_cast<HRESULT>(0x8000000E);
  FakeScript noAsyncInfo;
  noAsyncInfo.answersAsyncInfo = false;

  const Case cases[] = {
      {"three updates after a few polls", completed(3), 3, S_OK, "UPDATE", 0, 0},
      {"one update at once", completed(0), 1, S_OK, "UPDATE", 0, 0},
      {"empty list", completed(2), 0, S_OK, "NOUPDATE", 0, 1},
      {"no list at all", completed(0), -1, S_OK, "NOUPDATE", 0, 1},
      {"results cannot be fetched", completed(1, static_cast<HRESULT>(0x80072EE7)), 2, S_OK, nullptr,
       static_cast<HRESULT>(0x80072EE7), 3},
      {"list size cannot be read", completed(0), 5, static_cast<HRESULT>(0x8000000D), nullptr,
       static_cast<HRESULT>(0x8000000D), 3},
      {"error status with a failure code", ended(StoreAbi::kAsyncError, E_ACCESSDENIED), 1, S_OK, nullptr,
       E_ACCESSDENIED, 3},
      {"error status with S_OK", ended(StoreAbi::kAsyncError, S_OK), 1, S_OK, nullptr, E_FAIL, 3},
      {"error status with S_FALSE", ended(StoreAbi::kAsyncError, S_FALSE), 1, S_OK, nullptr, E_FAIL, 3},
      {"cancelled by someone else", ended(StoreAbi::kAsyncCanceled), 1, S_OK, nullptr, E_ABORT, 3},
      {"status read fails", statusFails, 1, S_OK, nullptr, static_cast<HRESULT>(0x8000000E), 3},
      {"object is no asynchronous operation", noAsyncInfo, 1, S_OK, nullptr, E_NOINTERFACE, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ResultSlot slot;
    InitResultSlot(slot);
    FakeUpdateList list(c.listEntries < 0 ? 0 : static_cast<UINT32>(c.listEntries), c.sizeResult);
    FakeScript script = c.script;
    script.list = c.listEntries < 0 ? nullptr : &list;
    FakeUpdatesOperation operation(script);
    StoreUpdateAnswer(&operation, GetTickCount64() + 10000, slot);
    const std::string text = ToUtf8(slot.text);
    if (c.exactText) {
      EXPECT_EQ(text, c.exactText);
    } else {
      EXPECT_EQ(text.rfind("ERROR:", 0), 0u) << text;
      ASSERT_GE(text.size(), 13u);
      EXPECT_EQ(text.substr(text.size() - 13), HexSuffix(c.errorShown)) << text;
    }
    EXPECT_EQ(ResultCode(slot), c.code);
    EXPECT_FALSE(operation.Cancelled());
    // Whatever the outcome, the wait gives back every reference it took.
    EXPECT_EQ(operation.References(), 1u);
    EXPECT_EQ(list.References(), 1u);
    DeleteCriticalSection(&slot.lock);
  }
}

TEST_F(StoreBridgeWait, NeverCompletingOperationTimesOutAtTheDeadlineAndIsCancelled) {
  FakeScript script;
  script.finalStatus = StoreAbi::kAsyncStarted;
  FakeUpdatesOperation operation(script);
  const ULONGLONG started = GetTickCount64();
  StoreAbi::IStorePackageUpdateList* list = reinterpret_cast<StoreAbi::IStorePackageUpdateList*>(1);
  EXPECT_EQ(WaitForUpdates(&operation, started + 500, slot_, &list), kTimeoutHresult);
  const ULONGLONG took = GetTickCount64() - started;
  EXPECT_EQ(list, nullptr);
  EXPECT_TRUE(operation.Cancelled());
  EXPECT_EQ(Text(), "ERROR:timeout");
  EXPECT_EQ(ResultCode(slot_), 6);
  EXPECT_GE(took, 450u);
  EXPECT_LT(took, 3000u);
  // It polls in short slices instead of sleeping out the whole wait.
  EXPECT_GE(operation.StatusReads(), 5);

  // A late error from the cancelled operation is turned away.
  StoreUpdateAnswer(&operation, started, slot_);
  EXPECT_EQ(Text(), "ERROR:timeout");
  EXPECT_EQ(ResultCode(slot_), 6);
  EXPECT_EQ(operation.References(), 1u);
}

// A Store operation on a single-threaded apartment completes through a
// message to this thread: a wait that does not dispatch would never see it.
TEST_F(StoreBridgeWait, ServesTheMessageQueueWhileWaiting) {
  KeepDesktopOffOurStderr();
  static bool delivered = false;
  delivered = false;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM w, LPARAM l) -> LRESULT {
    if (message == WM_APP) delivered = true;
    return DefWindowProcW(window, message, w, l);
  };
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"StoreBridgeWaitTest";
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(0, L"StoreBridgeWaitTest", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);

  FakeUpdateList list(2, S_OK);
  FakeScript script;
  script.list = &list;
  bool posted = false;
  script.ready = [&] {
    if (!posted) posted = PostMessageW(window, WM_APP, 0, 0) != FALSE;
    return delivered;
  };
  FakeUpdatesOperation operation(script);
  StoreUpdateAnswer(&operation, GetTickCount64() + 5000, slot_);
  EXPECT_TRUE(delivered);
  EXPECT_EQ(Text(), "UPDATE");
  EXPECT_EQ(ResultCode(slot_), 0);
  DestroyWindow(window);
}

}  // namespace

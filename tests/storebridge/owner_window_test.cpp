#include <gtest/gtest.h>

#include "storebridge/owner_window.h"
#include "tests/storebridge/quiet_desktop.h"

namespace {

TEST(StoreBridgeOwnerWindow, FailedCreationNeverReportsSuccess) {
  struct Case {
    DWORD lastError;
    HRESULT expected;
  };
  const Case cases[] = {
      {ERROR_NOT_ENOUGH_MEMORY, static_cast<HRESULT>(0x80070008)},
      {ERROR_CANNOT_FIND_WND_CLASS, static_cast<HRESULT>(0x8007057F)},
      {0, E_FAIL},
      {0x80040154, static_cast<HRESULT>(0x80040154)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "last error " << c.lastError);
    EXPECT_EQ(OwnerWindowError(c.lastError), c.expected);
  }
}

// Catches an owner window that is never shown (the Store then has no owner for
// its dialogs) or that is shown by activating it, which takes the focus from
// the window the user works in.
TEST(StoreBridgeOwnerWindow, IsAnInvisibleNonActivatingToolWindowFarOffScreen) {
  KeepDesktopOffOurStderr();
  // The user's window, in front and active.
  HWND user = CreateWindowExW(0, L"STATIC", L"the user's window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(user, nullptr);
  SetForegroundWindow(user);
  SetActiveWindow(user);
  const HWND activeBefore = GetActiveWindow();
  const HWND foregroundBefore = GetForegroundWindow();
  HWND window = CreateOwnerWindow(GetModuleHandleW(nullptr));
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetActiveWindow(), activeBefore);
  EXPECT_EQ(GetForegroundWindow(), foregroundBefore);
  wchar_t title[64] = {};
  GetWindowTextW(window, title, 64);
  EXPECT_STREQ(title, kOwnerWindowTitle);
  const LONG_PTR extended = GetWindowLongPtrW(window, GWL_EXSTYLE);
  EXPECT_EQ(extended & (WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW),
            WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW);
  EXPECT_TRUE(GetWindowLongPtrW(window, GWL_STYLE) & WS_POPUP);
  BYTE alpha = 255;
  DWORD flags = 0;
  ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
  EXPECT_EQ(alpha, 0);
  EXPECT_TRUE(flags & LWA_ALPHA);
  RECT rect{};
  GetWindowRect(window, &rect);
  EXPECT_EQ(rect.left, -32000);
  EXPECT_EQ(rect.right - rect.left, 1);
  EXPECT_NE(GetForegroundWindow(), window);
  DestroyWindow(window);
  DestroyWindow(user);
  // A second run in the same process finds the class registered and still gets its window.
  HWND again = CreateOwnerWindow(GetModuleHandleW(nullptr));
  EXPECT_NE(again, nullptr);
  DestroyWindow(again);
}

}  // namespace

#pragma once

#include <windows.h>

// Under Wine the first window of a session starts the desktop process and
// hands it our standard error; that process outlives us and would keep the
// test runner's output pipe open. Windows in tests are created after this.
inline void KeepDesktopOffOurStderr() {
  static HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (nul != INVALID_HANDLE_VALUE) SetStdHandle(STD_ERROR_HANDLE, nul);
}

// Test helper: a visible window of our own over the whole screen. Wine hands
// raw input to a background sink only while one of its own visible windows has
// the focus and the pointer is over it (Xvfb has no window manager, so focus
// follows the pointer). Writes {"event":"ready"} once shown; ends when its
// standard input ends or after the seconds given as its argument (default 600).
#include <windows.h>

#include <cwchar>

namespace {

DWORD mainThread = 0;

DWORD WINAPI WaitForInputEnd(void*) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE || GetFileType(input) != FILE_TYPE_PIPE) return 0;
  char chunk[64];
  DWORD read = 0;
  while (ReadFile(input, chunk, sizeof(chunk), &read, nullptr) && read > 0) {
  }
  PostThreadMessageW(mainThread, WM_QUIT, 0, 0);
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  mainThread = GetCurrentThreadId();
  const double seconds = commandLine && *commandLine ? wcstod(commandLine, nullptr) : 600.0;

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  windowClass.lpszClassName = L"VantorelInputCover";
  RegisterClassW(&windowClass);
  const HWND window = CreateWindowExW(WS_EX_TOPMOST, windowClass.lpszClassName, L"input cover", WS_POPUP | WS_VISIBLE,
                                      0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr,
                                      nullptr, instance, nullptr);
  if (!window) return 1;
  UpdateWindow(window);
  SetForegroundWindow(window);
  CloseHandle(CreateThread(nullptr, 0, WaitForInputEnd, nullptr, 0, nullptr));

  const char ready[] = "{\"event\":\"ready\"}\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), ready, sizeof(ready) - 1, &written, nullptr);

  const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0);
  for (;;) {
    const ULONGLONG now = GetTickCount64();
    if (now >= end) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return 0;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return 0;
}

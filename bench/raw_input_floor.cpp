// The floor under the input check's processor time: what any program pays the
// platform to take the same raw input with the same promptness. A hidden window
// registers mouse and keyboard as background sink, exactly as the worker does,
// and reads each report with GetRawInputData; it waits in the same 20 ms
// message wait (the worker must see the host's stop that soon) and writes one
// short line a second, but keeps no tables and measures nothing.
// bench/input-check runs it beside the worker on the same input.
//
//   raw_input_floor.exe SECONDS
// Writes {"event":"start"} once the registration holds, then once a second
// {"t":…,"reports":N} with the reports read in that second.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

constexpr wchar_t kWindowClass[] = L"VantorelInputFloor";
constexpr DWORD kWaitMs = 20;
constexpr UINT kRawInputBytes = 48;  // the worker's read buffer

unsigned long reports = 0;

void WriteLine(const char* text, int length) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
}

LRESULT CALLBACK FloorWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INPUT) {
    alignas(8) BYTE buffer[kRawInputBytes];
    UINT size = sizeof(buffer);
    if (GetRawInputData(reinterpret_cast<HRAWINPUT>(lParam), RID_INPUT, buffer, &size, sizeof(RAWINPUTHEADER)) !=
        static_cast<UINT>(-1)) {
      ++reports;
    }
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterRawInput(HWND target, DWORD flags) {
  const RAWINPUTDEVICE devices[2] = {{0x01, 0x02, flags, target}, {0x01, 0x06, flags, target}};
  return RegisterRawInputDevices(devices, 2, sizeof(RAWINPUTDEVICE)) != FALSE;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  const double seconds = commandLine != nullptr && *commandLine != L'\0' ? wcstod(commandLine, nullptr) : 10.0;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = FloorWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);
  const HWND window =
      CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
  if (window == nullptr || !RegisterRawInput(window, RIDEV_INPUTSINK)) {
    char line[80];
    WriteLine(line, snprintf(line, sizeof(line), "{\"event\":\"error\",\"code\":%lu}\n", GetLastError()));
    return 4;
  }
  const char start[] = "{\"event\":\"start\"}\n";
  WriteLine(start, sizeof(start) - 1);

  const DWORD begin = GetTickCount();
  const DWORD duration = static_cast<DWORD>(seconds * 1000.0);
  DWORD nextLine = 1000;
  for (;;) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kWaitMs, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    const DWORD elapsed = GetTickCount() - begin;
    if (elapsed >= nextLine) {
      nextLine += 1000;
      char line[80];
      WriteLine(line, snprintf(line, sizeof(line), "{\"t\":%.2f,\"reports\":%lu}\n", elapsed / 1000.0, reports));
      reports = 0;
    }
    if (elapsed >= duration) break;
  }
  RegisterRawInput(nullptr, RIDEV_REMOVE);
  DestroyWindow(window);
  return 0;
}

#include "probe/input/input_check.h"

#include <windows.h>

#include <cstdio>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/stop_control.h"
#include "probe/input/product_string.h"
#include "probe/input/raw_input_report.h"
#include "probe/input/sample_clock.h"
#include "probe/input/sample_line.h"

namespace {

constexpr wchar_t kWindowClass[] = L"VantorelInputCheck";
constexpr DWORD kWaitMs = 20;  // how soon a stop request is seen

static_assert(sizeof(RAWINPUTHEADER) == 24, "header size given to GetRawInputData");

struct EndOfRun {
  const char* reason;
  int code;
};
constexpr EndOfRun kTimeRanOut{"time", kExitDone};
constexpr EndOfRun kStopped{"stopped", kExitStopped};

// Everything the window procedure updates; it runs on the mode's own thread.
struct InputCheckRun {
  int64_t frequency = 1;
  InputTables tables;
};

void TakeRawInput(InputCheckRun& run, HRAWINPUT handle) {
  // The counter first: an interval measures the input's arrival at this thread.
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  uint8_t buffer[kRawInputBytes];
  UINT size = sizeof(buffer);
  const UINT copied = GetRawInputData(handle, RID_INPUT, buffer, &size, sizeof(RAWINPUTHEADER));
  if (copied == static_cast<UINT>(-1)) return;
  // Only the bytes the call copied are read: the rest of the buffer is stale.
  const RawReport report = ReadRawInputReport(buffer, copied < sizeof(buffer) ? copied : sizeof(buffer), now.QuadPart);
  if (report.kind == RawReportKind::kMouse) {
    CountMouseEvent(run.tables.pointers, report.mouse, run.frequency, ReadProductString);
  } else if (report.kind == RawReportKind::kKeyboard) {
    CountKeyEvent(run.tables.keyboard, report.key, run.frequency, ReadProductString);
  }
}

// NOLINTBEGIN(performance-no-int-to-ptr): a window procedure gets its pointers as integers, as Win32 hands them over
LRESULT CALLBACK InputWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    // The run comes from our own CreateWindowExW, which calls us directly on
    // this thread before anyone knows the window. Any process of the desktop
    // can send the window a WM_NCCREATE of its own later, with creation data
    // that points anywhere in ours: such a message changes nothing.
    if (InSendMessage() || GetWindowLongPtrW(window, GWLP_USERDATA) != 0) return FALSE;
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  } else if (message == WM_INPUT) {
    auto* run = reinterpret_cast<InputCheckRun*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (run) TakeRawInput(*run, reinterpret_cast<HRAWINPUT>(lParam));
  }
  // WM_INPUT too: DefWindowProcW releases the report.
  return DefWindowProcW(window, message, wParam, lParam);
}
// NOLINTEND(performance-no-int-to-ptr)

// Mouse and keyboard in one registration, delivered to the hidden window while
// other windows have the focus.
bool RegisterRawInput(HWND target, DWORD flags) {
  const RAWINPUTDEVICE devices[2] = {{0x01, 0x02, flags, target}, {0x01, 0x06, flags, target}};
  return RegisterRawInputDevices(devices, 2, sizeof(RAWINPUTDEVICE)) != FALSE;
}

int FailToStart(DWORD code) {
  char line[80];
  snprintf(line, sizeof(line), "{\"event\":\"error\",\"what\":\"input\",\"code\":%lu}",
           static_cast<unsigned long>(code));
  WriteEventLine(line);
  return kExitFailed;
}

void DispatchQueuedMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

int RunInputCheck(const Options& options) {
  InputCheckRun run;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  run.frequency = frequency.QuadPart;
  StartStdinWatcher();

  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = InputWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassW(&windowClass);
  // Never shown: it only receives the raw input. The last error is cleared
  // before each call whose failure we report, so an older code never passes for
  // its cause (Wine without a display fails CreateWindowExW without setting one).
  SetLastError(ERROR_SUCCESS);
  const HWND window =
      CreateWindowExW(WS_EX_TOOLWINDOW, kWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, instance, &run);
  if (!window) return FailToStart(GetLastError());
  SetLastError(ERROR_SUCCESS);
  if (!RegisterRawInput(window, RIDEV_INPUTSINK)) return FailToStart(GetLastError());

  WriteLiteralLine("{\"event\":\"start\",\"input\":true}");
  SampleClock clock = StartSampleClock(GetTickCount(), options.minutes);
  EndOfRun end = kStopped;
  char line[kInputLineBytes];
  while (!StopRaised()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kWaitMs, QS_ALLINPUT);
    DispatchQueuedMessages();
    const uint32_t now = GetTickCount();
    if (SampleDue(clock, now)) {
      AdvanceSample(clock);
      LARGE_INTEGER counter;
      QueryPerformanceCounter(&counter);
      const SampleTime sampleTime{SecondsSinceStart(clock, now), counter.QuadPart, run.frequency};
      WriteEventLine(line, BuildSampleLine(run.tables, sampleTime, line, sizeof(line)));
      if (RunTimeUp(clock, now)) {
        end = kTimeRanOut;
        break;
      }
    }
  }

  RegisterRawInput(nullptr, RIDEV_REMOVE);
  DestroyWindow(window);
  WriteEndLine(end.reason);
  return end.code;
}

#include "storebridge/owner_window.h"

namespace {

LRESULT CALLBACK OwnerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateOwnerWindow(HINSTANCE instance) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = OwnerWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kOwnerWindowClass;
  // A class left registered by an earlier call is just as good.
  RegisterClassExW(&windowClass);
  HWND window = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW, kOwnerWindowClass,
                                kOwnerWindowTitle, WS_POPUP, -32000, -32000, 1, 1, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return nullptr;
  SetLayeredWindowAttributes(window, 0, 0, LWA_ALPHA);
  ShowWindow(window, SW_SHOWNOACTIVATE);
  return window;
}

HRESULT OwnerWindowError(DWORD lastError) {
  // A failure that left no error code is still a failure, never S_OK.
  if (lastError == 0) return E_FAIL;
  // Values that read as negative are HRESULTs already.
  if (static_cast<LONG>(lastError) < 0) return static_cast<HRESULT>(lastError);
  return static_cast<HRESULT>(0x80070000u | (lastError & 0xFFFFu));
}

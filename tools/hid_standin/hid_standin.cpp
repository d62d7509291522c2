// Test stand-in for hid.dll: HidD_GetProductString names every device with a
// fixed text (hid_standin_names.h), so the input check's end-to-end tests know
// which copy of the DLL the worker loaded and what its "dev" values must hold.
// With VANTOREL_HID_PRODUCT=longest in the worker's environment it fills the
// whole buffer it is given with kLongestProductChar and no terminator, as a
// device does whose string is exactly that long.
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "tools/hid_standin/hid_standin_names.h"

extern "C" BOOLEAN WINAPI HidD_GetProductString(HANDLE device, PVOID buffer, ULONG bufferBytes) {
#ifdef PLANTED
  const wchar_t* name = kPlantedProductName;
#else
  const wchar_t* name = kStandinProductName;
#endif
  if (device == nullptr || device == INVALID_HANDLE_VALUE || buffer == nullptr) return FALSE;
  wchar_t mode[16] = {};
  if (GetEnvironmentVariableW(L"VANTOREL_HID_PRODUCT", mode, 16) > 0 && wcscmp(mode, L"longest") == 0) {
    wchar_t* text = static_cast<wchar_t*>(buffer);
    for (ULONG i = 0; i < bufferBytes / sizeof(wchar_t); ++i) text[i] = kLongestProductChar;
    return TRUE;
  }
  const size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
  if (bytes > bufferBytes) return FALSE;
  memcpy(buffer, name, bytes);
  return TRUE;
}

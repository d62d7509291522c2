// Test stand-in for hid.dll: HidD_GetProductString names every device with a
// fixed text (hid_standin_names.h), so the input check's end-to-end tests know
// which copy of the DLL the worker loaded and what its "dev" values must hold.
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
  const size_t bytes = (wcslen(name) + 1) * sizeof(wchar_t);
  if (bytes > bufferBytes) return FALSE;
  memcpy(buffer, name, bytes);
  return TRUE;
}

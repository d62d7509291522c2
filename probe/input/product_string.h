#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// The product string of a raw-input device (HidD_GetProductString on its
// device path); empty when any step fails. Loads hid.dll on first use.
std::wstring ReadProductString(uintptr_t device);

constexpr UINT kDevicePathChars = 1024;  // the device path's buffer, terminator included
constexpr ULONG kProductChars = 128;     // the product string's buffer, terminator included

using GetProductStringFn = BOOLEAN(WINAPI*)(HANDLE device, PVOID buffer, ULONG bufferBytes);

// The platform calls the read makes, the real ones by default; tests hand in
// devices that answer as they please.
struct ProductStringCalls {
  UINT(WINAPI* deviceInfo)(HANDLE device, UINT command, LPVOID data, PUINT size) = GetRawInputDeviceInfoW;
  HANDLE(WINAPI* openDevice)(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                             DWORD disposition, DWORD flags, HANDLE tmpl) = CreateFileW;
  BOOL(WINAPI* closeDevice)(HANDLE device) = CloseHandle;
  GetProductStringFn (*productString)() = nullptr;  // null: hid.dll's, loaded once
};

std::wstring ReadProductStringWith(uintptr_t device, const ProductStringCalls& calls);

#include "probe/input/product_string.h"

#include "common/system/system_library.h"

namespace {

// hid.dll is no known DLL: from the worker's own folder a planted copy would
// load in its place, so it comes from the system directory only. Loaded once
// per process and never unloaded.
GetProductStringFn ProductStringEntry() {
  static const GetProductStringFn entry = [] {
    HMODULE hid = LoadSystemLibrary(L"hid.dll");
    return hid ? LookUpEntry<GetProductStringFn>(hid, "HidD_GetProductString") : nullptr;
  }();
  return entry;
}

}  // namespace

std::wstring ReadProductString(uintptr_t device) { return ReadProductStringWith(device, ProductStringCalls{}); }

std::wstring ReadProductStringWith(uintptr_t device, const ProductStringCalls& calls) {
  wchar_t path[kDevicePathChars] = {};
  UINT size = kDevicePathChars - 1;  // room for the terminator whatever comes back
  // NOLINTNEXTLINE(performance-no-int-to-ptr): the device handle is kept as a number for the tables of tests; this gives back the HANDLE it was
  const UINT copied = calls.deviceInfo(reinterpret_cast<HANDLE>(device), RIDI_DEVICENAME, path, &size);
  if (copied == 0 || copied == static_cast<UINT>(-1)) return {};

  const GetProductStringFn getProductString = calls.productString ? calls.productString() : ProductStringEntry();
  if (!getProductString) return {};
  HANDLE file = calls.openDevice(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  // One character short of the buffer, so the text always ends in a NUL.
  wchar_t product[kProductChars] = {};
  const BOOLEAN read = getProductString(file, product, (kProductChars - 1) * sizeof(wchar_t));
  calls.closeDevice(file);
  return read ? std::wstring(product) : std::wstring();
}

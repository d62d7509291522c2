#include "probe/gpu/graphics_libraries.h"

#include "common/system/system_library.h"

namespace {

using CreateFactory1Function = HRESULT(WINAPI*)(REFIID, void**);

// One look-up per process; the libraries stay loaded until it ends.
struct GraphicsEntries {
  PFN_D3D11_CREATE_DEVICE createDevice = nullptr;
  CreateFactory1Function createFactory1 = nullptr;
  DWORD createDeviceError = ERROR_SUCCESS;
  DWORD createFactory1Error = ERROR_SUCCESS;
};

template <typename Function>
Function LookUp(const wchar_t* library, const char* entry, DWORD& error) {
  const HMODULE module = LoadSystemLibrary(library);
  const Function function = module != nullptr ? LookUpEntry<Function>(module, entry) : nullptr;
  error = function != nullptr ? ERROR_SUCCESS : GetLastError();
  if (function == nullptr && error == ERROR_SUCCESS) error = ERROR_PROC_NOT_FOUND;
  return function;
}

const GraphicsEntries& Entries() {
  static const GraphicsEntries entries = [] {
    GraphicsEntries found;
    found.createDevice = LookUp<PFN_D3D11_CREATE_DEVICE>(L"d3d11.dll", "D3D11CreateDevice", found.createDeviceError);
    found.createFactory1 = LookUp<CreateFactory1Function>(L"dxgi.dll", "CreateDXGIFactory1", found.createFactory1Error);
    return found;
  }();
  return entries;
}

}  // namespace

HRESULT WINAPI CreateSystemD3D11Device(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software, UINT flags,
                                const D3D_FEATURE_LEVEL* featureLevels, UINT featureLevelCount, UINT sdkVersion,
                                ID3D11Device** device, D3D_FEATURE_LEVEL* obtainedLevel,
                                ID3D11DeviceContext** immediateContext) {
  const GraphicsEntries& entries = Entries();
  if (entries.createDevice == nullptr) return HRESULT_FROM_WIN32(entries.createDeviceError);
  return entries.createDevice(adapter, driverType, software, flags, featureLevels, featureLevelCount, sdkVersion,
                              device, obtainedLevel, immediateContext);
}

HRESULT CreateSystemDxgiFactory1(REFIID riid, void** factory) {
  const GraphicsEntries& entries = Entries();
  if (entries.createFactory1 == nullptr) return HRESULT_FROM_WIN32(entries.createFactory1Error);
  return entries.createFactory1(riid, factory);
}

#pragma once

#include <d3d11.h>
#include <dxgi.h>

// d3d11.dll and dxgi.dll are not known DLLs: named in our import table, the
// loader would look for them beside the worker first. These take them from the
// system directory only, on first use. Each returns what its namesake returns;
// a library or entry that cannot be found gives HRESULT_FROM_WIN32 of the
// loader's error, so every caller keeps its one failure path.
HRESULT WINAPI CreateSystemD3D11Device(IDXGIAdapter* adapter, D3D_DRIVER_TYPE driverType, HMODULE software, UINT flags,
                                const D3D_FEATURE_LEVEL* featureLevels, UINT featureLevelCount, UINT sdkVersion,
                                ID3D11Device** device, D3D_FEATURE_LEVEL* obtainedLevel,
                                ID3D11DeviceContext** immediateContext);
HRESULT CreateSystemDxgiFactory1(REFIID riid, void** factory);

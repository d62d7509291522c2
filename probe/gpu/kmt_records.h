#pragma once

// Kernel graphics records exchanged with gdi32's D3DKMT entry points. MinGW-w64
// ships no d3dkmthk.h, so the records the sensors use are declared here with
// the platform's layout (the sizes are part of the contract with the driver).

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace kmt {

using D3DKMT_HANDLE = UINT;
using NTSTATUS = LONG;

struct D3DKMT_OPENADAPTERFROMLUID {
  LUID AdapterLuid;
  D3DKMT_HANDLE hAdapter;
};

struct D3DKMT_CLOSEADAPTER {
  D3DKMT_HANDLE hAdapter;
};

enum KMTQUERYADAPTERINFOTYPE : int {
  KMTQAITYPE_NODEPERFDATA = 61,
  KMTQAITYPE_ADAPTERPERFDATA = 62,
  KMTQAITYPE_ADAPTERPERFDATA_CAPS = 63,
};

struct D3DKMT_QUERYADAPTERINFO {
  D3DKMT_HANDLE hAdapter;
  KMTQUERYADAPTERINFOTYPE Type;
  void* pPrivateDriverData;
  UINT PrivateDriverDataSize;
};

struct D3DKMT_ADAPTER_PERFDATACAPS {
  UINT32 PhysicalAdapterIndex;
  ULONGLONG MaxMemoryBandwidth;
  ULONGLONG MaxPCIEBandwidth;
  ULONG MaxFanRPM;
  ULONG TemperatureMax;      // tenths of a degree Celsius
  ULONG TemperatureWarning;  // tenths of a degree Celsius
};
static_assert(sizeof(D3DKMT_ADAPTER_PERFDATACAPS) == 40);

struct D3DKMT_ADAPTER_PERFDATA {
  UINT32 PhysicalAdapterIndex;
  ULONGLONG MemoryFrequency;  // hertz
  ULONGLONG MaxMemoryFrequency;
  ULONGLONG MaxMemoryFrequencyOC;
  ULONGLONG MemoryBandwidth;
  ULONGLONG PCIEBandwidth;
  ULONG FanRPM;
  ULONG Power;        // tenths of a percent; watts on AMD drivers
  ULONG Temperature;  // tenths of a degree Celsius
  UCHAR PowerStateOverride;
};
static_assert(sizeof(D3DKMT_ADAPTER_PERFDATA) == 64);
static_assert(offsetof(D3DKMT_ADAPTER_PERFDATA, FanRPM) == 48);
static_assert(offsetof(D3DKMT_ADAPTER_PERFDATA, Temperature) == 56);

struct D3DKMT_NODE_PERFDATA {
  UINT32 NodeOrdinal;
  UINT32 PhysicalAdapterIndex;
  ULONGLONG Frequency;  // hertz
  ULONGLONG MaxFrequency;
  ULONGLONG MaxFrequencyOC;
  ULONG Voltage;
  ULONG VoltageMax;
  ULONG VoltageMaxOC;
  ULONGLONG MaxTransitionLatency;
};
static_assert(sizeof(D3DKMT_NODE_PERFDATA) == 56);

using OpenAdapterFromLuidFn = NTSTATUS(APIENTRY*)(D3DKMT_OPENADAPTERFROMLUID*);
using CloseAdapterFn = NTSTATUS(APIENTRY*)(const D3DKMT_CLOSEADAPTER*);
using QueryAdapterInfoFn = NTSTATUS(APIENTRY*)(const D3DKMT_QUERYADAPTERINFO*);

}  // namespace kmt

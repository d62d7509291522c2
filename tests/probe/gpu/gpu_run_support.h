#pragma once

// Shared by the GPU end-to-end tests: what the adapter looks like from here,
// and the checks every run's lines must pass.

#include <dxgi.h>
#include <gtest/gtest.h>
#include <wrl/client.h>

#include <string>
#include <vector>

#include "tests/support/probe_process.h"
#include "tests/support/utf8.h"

// The automatically chosen adapter as this process sees it (UTF-8 name), or false.
inline bool AutomaticAdapter(std::string* name, uint64_t* videoMemory, uint32_t* vendor) {
  Microsoft::WRL::ComPtr<IDXGIFactory1> factory;
  if (FAILED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.GetAddressOf())))) {
    return false;
  }
  bool found = false;
  DXGI_ADAPTER_DESC1 best{};
  Microsoft::WRL::ComPtr<IDXGIAdapter1> adapter;
  for (UINT i = 0; SUCCEEDED(factory->EnumAdapters1(i, &adapter)); ++i) {
    DXGI_ADAPTER_DESC1 desc{};
    adapter->GetDesc1(&desc);
    if (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) continue;
    if (!found || desc.DedicatedVideoMemory > best.DedicatedVideoMemory) best = desc;
    found = true;
  }
  if (!found) return false;
  *name = ToUtf8(best.Description);
  *videoMemory = best.DedicatedVideoMemory;
  *vendor = best.VendorId;
  return true;
}

inline void ExpectAllLinesAreJson(const std::vector<EventLine>& lines) {
  for (const EventLine& line : lines) EXPECT_TRUE(line.json.is_object()) << "not a JSON object: " << line.text;
}

inline bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

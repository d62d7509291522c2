#include "probe/tracing/driver_list.h"

#include <psapi.h>

#include <algorithm>

DriverList MakeDriverList(std::vector<DriverEntry> drivers) {
  DriverList list;
  drivers.erase(std::remove_if(drivers.begin(), drivers.end(), [](const DriverEntry& d) { return d.base == 0; }),
                drivers.end());
  std::sort(drivers.begin(), drivers.end(), [](const DriverEntry& a, const DriverEntry& b) { return a.base < b.base; });
  if (drivers.size() > kMaxDrivers) {
    list.limit = drivers[kMaxDrivers].base;
    drivers.resize(kMaxDrivers);
  }
  list.entries = std::move(drivers);
  list.bases.reserve(list.entries.size());
  for (const DriverEntry& d : list.entries) list.bases.push_back(d.base);
  return list;
}

namespace {

std::wstring TextOrEmpty(const wchar_t* buffer, DWORD copied, size_t capacity) {
  if (copied == 0) return {};
  return std::wstring(buffer, std::min<size_t>(copied, capacity - 1));
}

}  // namespace

DriverSource RealDriverSource() {
  return DriverSource{K32EnumDeviceDrivers, K32GetDeviceDriverBaseNameW, K32GetDeviceDriverFileNameW};
}

DriverList BuildDriverList() { return BuildDriverList(RealDriverSource()); }

DriverList BuildDriverList(const DriverSource& source) {
  // A machine with more drivers than the first array holds gets a larger one,
  // so that nothing past the array is read and no driver goes missing.
  std::vector<LPVOID> addresses(kMaxDrivers, nullptr);
  DWORD needed = 0;
  for (int attempt = 0; attempt < 4; ++attempt) {
    const DWORD bytes = static_cast<DWORD>(addresses.size() * sizeof(LPVOID));
    if (!source.enumerate(addresses.data(), bytes, &needed)) return {};
    if (needed <= bytes) break;
    addresses.assign(needed / sizeof(LPVOID) + 64, nullptr);
    needed = 0;
  }
  const size_t count = std::min<size_t>(needed / sizeof(LPVOID), addresses.size());

  std::vector<DriverEntry> drivers;
  drivers.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    if (addresses[i] == nullptr) continue;
    wchar_t name[kDriverNameChars] = {};
    wchar_t path[kDriverPathChars] = {};
    const DWORD nameLength = source.baseName(addresses[i], name, kDriverNameChars - 1);
    const DWORD pathLength = source.fileName(addresses[i], path, kDriverPathChars - 1);
    drivers.push_back({reinterpret_cast<uint64_t>(addresses[i]), TextOrEmpty(name, nameLength, kDriverNameChars),
                       TextOrEmpty(path, pathLength, kDriverPathChars)});
  }
  return MakeDriverList(std::move(drivers));
}

#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

constexpr size_t kMaxDrivers = 4096;
constexpr size_t kDriverNameChars = 260;  // 259 and the terminator
constexpr size_t kDriverPathChars = 600;  // 599 and the terminator

struct DriverEntry {
  uint64_t base = 0;
  std::wstring name;
  std::wstring path;
};

// Loaded kernel drivers, ascending by base address, read-only once tracing
// runs. limit is the base of the first driver left out when the system has
// more than kMaxDrivers: code at or above it belongs to none of ours.
struct DriverList {
  std::vector<DriverEntry> entries;
  std::vector<uint64_t> bases;  // entries[i].base, kept apart for the bisection
  uint64_t limit = UINT64_MAX;
};

// Sorts, keeps the kMaxDrivers lowest and fills bases and limit. Zero
// addresses (what the system reports without rights) are dropped.
DriverList MakeDriverList(std::vector<DriverEntry> drivers);

// The system's list: every loaded driver with its base name and file path.
DriverList BuildDriverList();

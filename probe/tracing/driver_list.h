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

// The system calls the list is read through: K32EnumDeviceDrivers and the two
// name calls of psapi. A test hands in its own machine's drivers.
struct DriverSource {
  BOOL(WINAPI* enumerate)(LPVOID* addresses, DWORD bytes, LPDWORD needed);
  DWORD(WINAPI* baseName)(LPVOID address, LPWSTR name, DWORD chars);
  DWORD(WINAPI* fileName)(LPVOID address, LPWSTR path, DWORD chars);
};

DriverSource RealDriverSource();

// Every loaded driver with its base name and file path.
DriverList BuildDriverList(const DriverSource& source);
// The system's list.
DriverList BuildDriverList();

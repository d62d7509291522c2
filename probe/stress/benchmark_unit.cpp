#include "probe/stress/benchmark_unit.h"

#include <cstring>

double UpdatesPerSecondMillions(int64_t updates, double seconds) {
  return seconds > 0 ? static_cast<double>(updates) / seconds / 1e6 : 0.0;
}

double CopyGigabytesPerSecond(int64_t copies, uint64_t regionBytes, double seconds) {
  return seconds > 0 ? static_cast<double>(copies) * static_cast<double>(regionBytes) * 2.0 / seconds / 1e9 : 0.0;
}

double PerSecond(double items, double seconds) { return seconds > 0 ? items / seconds : 0.0; }

void FillDriveBuffer(uint8_t* buffer, size_t bytes, int repetition) {
  for (size_t i = 0; i < bytes; ++i) {
    buffer[i] = static_cast<uint8_t>(static_cast<unsigned>(repetition) - 125u * static_cast<unsigned>(i));
  }
}

uint64_t RandomReadSeed(int repetition) { return static_cast<uint64_t>(repetition) ^ 0x9E3779B97F4A7C15ull; }

uint64_t XorshiftNext(uint64_t x) {
  x ^= x << 13;
  x ^= x >> 7;
  x ^= x << 17;
  return x;
}

uint64_t RandomReadOffset(uint64_t x) { return (x % 65536) * kRandomReadBytes; }

namespace {

// Appends text to the terminated string of length in buffer, cut to capacity.
void AppendCut(wchar_t* buffer, size_t capacity, size_t& length, const wchar_t* text) {
  while (*text != 0 && length + 1 < capacity) buffer[length++] = *text++;
  buffer[length] = 0;
}

}  // namespace

void DriveTestName(wchar_t* name, size_t capacity, unsigned long processId) {
  if (capacity == 0) return;
  wchar_t digits[24];  // room for a 64-bit unsigned long too (the native build)
  int n = 0;
  do {
    digits[n++] = static_cast<wchar_t>(L'0' + processId % 10);
    processId /= 10;
  } while (processId != 0);
  wchar_t number[24];
  for (int i = 0; i < n; ++i) number[i] = digits[n - 1 - i];
  number[n] = 0;
  size_t length = 0;
  name[0] = 0;
  AppendCut(name, capacity, length, L"vantorel-bench-");
  AppendCut(name, capacity, length, number);
  AppendCut(name, capacity, length, L".tmp");
}

void DriveTestPath(wchar_t* path, size_t capacity, const wchar_t* dir, unsigned long processId) {
  if (capacity == 0) return;
  wchar_t name[kDriveNameCapacity];
  DriveTestName(name, kDriveNameCapacity, processId);
  size_t length = 0;
  path[0] = 0;
  AppendCut(path, capacity, length, dir);
  AppendCut(path, capacity, length, L"\\");
  AppendCut(path, capacity, length, name);
}

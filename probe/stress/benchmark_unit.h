#pragma once

#include <cstddef>
#include <cstdint>

#include "probe/stress/copy_forms.h"

// The benchmark's arithmetic, kept free of threads and Windows so the tests
// and the native comparison program run exactly what the worker runs.

constexpr int kBenchRepetitions = 3;
constexpr int32_t kBenchBatchIterations = 65536;
constexpr int64_t kBenchBatchUpdates = int64_t{65536} * 8;  // one per accumulator update
constexpr uint64_t kCopyRegionBytes = 256ull * 1024 * 1024;
constexpr size_t kDriveBufferBytes = size_t{1024} * 1024;
constexpr int kDriveBuffersPerFile = 256;  // a 256 MiB file
constexpr uint32_t kRandomReadBytes = 4096;
constexpr int kDrivePathCapacity = 700;  // characters including the terminator
constexpr int kDriveNameCapacity = 40;   // "vantorel-bench-<pid>.tmp" with any 64-bit pid

// Millions of accumulator updates per second; 0 for an empty interval.
double UpdatesPerSecondMillions(int64_t updates, double seconds);

// 10^9 bytes per second for copies of one region: each copy reads and writes it.
double CopyGigabytesPerSecond(int64_t copies, uint64_t regionBytes, double seconds);

// Items (MiB buffers or 4 KiB reads) per second; 0 for an empty interval.
double PerSecond(double items, double seconds);

// Drive buffer of repetition k: byte i = (k - 125 * i) mod 256.
void FillDriveBuffer(uint8_t* buffer, size_t bytes, int repetition);

// The random reads of repetition k start from k XOR the golden ratio constant.
uint64_t RandomReadSeed(int repetition);
uint64_t XorshiftNext(uint64_t x);  // x ^= x << 13; x ^= x >> 7; x ^= x << 17
// A 4 KiB-aligned offset inside the 256 MiB file.
uint64_t RandomReadOffset(uint64_t x);

// "vantorel-bench-<pid>.tmp", cut to fit capacity and always terminated.
void DriveTestName(wchar_t* name, size_t capacity, unsigned long processId);
// "<dir>\vantorel-bench-<pid>.tmp", the same way: where the drive test's file lies.
void DriveTestPath(wchar_t* path, size_t capacity, const wchar_t* dir, unsigned long processId);

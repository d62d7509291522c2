#pragma once

#include <cstddef>
#include <cstdint>

#include "probe/stress/processor_features.h"

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

// "<dir>\vantorel-bench-<pid>.tmp", cut to fit capacity and always terminated.
void DriveTestPath(wchar_t* path, size_t capacity, const wchar_t* dir, unsigned long processId);

// The ways the "mem" step can copy: 16-byte streaming stores, which skip
// reading the destination into the caches, or the processor's own string copy
// (rep movsb), which does the same on processors that report it fast (ERMS)
// and measures faster there.
enum class CopyForm { kStreaming, kStringMove };
CopyForm ChooseCopyForm(const ProcessorFeatures& features);
CopyForm MachineCopyForm();  // chosen on first use
const char* CopyFormName(CopyForm form);  // "streaming", "rep_movsb"

// Copies bytes (a multiple of 64, both regions 16-byte aligned) from source to
// destination in the given form, or in the machine's. Regions far larger than
// the caches go around them, so the copy moves data at the memory's speed.
void CopyRegion(CopyForm form, void* destination, const void* source, size_t bytes);
void CopyRegion(void* destination, const void* source, size_t bytes);

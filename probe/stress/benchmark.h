#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "probe/core/options.h"
#include "probe/core/stop_control.h"
#include "probe/stress/drive_file.h"

// One processor measurement with threadCount workers: millions of updates per second.
double MeasureProcessorRun(uint32_t threadCount);

// The "mem" step: its step line, three timed copies, its result line.
void RunMemoryCopyStep();

// The file calls of the drive test, so a test can make one fail after the file
// exists. create makes the file name inside the folder the test holds open.
struct DriveCalls {
  std::function<HANDLE(HANDLE folder, const wchar_t* name)> create = CreateDriveFile;
  std::function<BOOL(HANDLE file, const void* bytes, DWORD count, DWORD* written)> write =
      [](HANDLE file, const void* bytes, DWORD count, DWORD* written) {
        return WriteFile(file, bytes, count, written, nullptr);
      };
  std::function<BOOL(HANDLE file, void* bytes, DWORD count, DWORD* read)> read =
      [](HANDLE file, void* bytes, DWORD count, DWORD* got) { return ReadFile(file, bytes, count, got, nullptr); };
};

// What the benchmark takes from the machine. A run uses these defaults; tests
// replace the slow processor runs and fail drive calls on purpose.
struct BenchmarkEnvironment {
  std::function<double(uint32_t threadCount)> processorRun = MeasureProcessorRun;
  std::function<void()> memoryStep = RunMemoryCopyStep;
  DriveCalls drive;
  std::function<void()> startStdinWatcher = StartStdinWatcher;
};

// The "bench" load: processor (one thread, all threads), memory copy and, with
// --dir, drive speed, each measured three times. Exit 0 when every step ran
// (a failed drive test included), 1 when the host stopped us. Never fails to start.
int RunBenchmark(const Options& options, const BenchmarkEnvironment& env = {});

// Waits until every one of count threads has returned or timeoutMs has passed
// in all, whatever count is (a single wait takes at most 64 handles). Returns
// true when all returned.
bool WaitForAllThreads(const HANDLE* handles, DWORD count, DWORD timeoutMs);

#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "probe/core/options.h"
#include "probe/core/run_clock.h"
#include "probe/core/stop_control.h"
#include "probe/stress/pattern_kernel.h"

// Sizes the block from the available memory (three quarters less 256 MiB),
// raises the working set and commits it, halving down to 256 MiB. Sets bytes
// to the size obtained; null (bytes 0) when there is none.
void* ObtainTestBlock(uint64_t availPhys, uint64_t* bytes);

// What the memory test takes from the machine. A run uses these defaults;
// tests supply a memory figure, a small block and a scripted clock so every
// end of the run can be reached in this process without committing gigabytes.
struct MemoryTestEnvironment {
  std::function<MEMORYSTATUSEX()> memoryStatus = [] {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
    return status;
  };
  std::function<void*(uint64_t availPhys, uint64_t* bytes)> obtainBlock = ObtainTestBlock;
  std::function<void(void* block)> releaseBlock = [](void* block) { VirtualFree(block, 0, MEM_RELEASE); };
  std::function<uint32_t()> processors = [] {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return static_cast<uint32_t>(info.dwNumberOfProcessors);
  };
  // Seconds since the time base; read for every sample line and the end line.
  std::function<double(const RunClock& clock)> secondsSince = [](const RunClock& clock) {
    return SecondsSince(clock);
  };
  std::function<void()> startStdinWatcher = StartStdinWatcher;
};

// The "ram" load: writes and verifies a pattern over one large block until the
// time is up (exit 0) or the host stops us (exit 1); exit 4 with the "memory"
// error line when no block of at least 256 MiB can be had.
int RunMemoryTest(const Options& options, const MemoryTestEnvironment& env = {});

// One phase (write or verify) of one pass over the block, as the controlling
// thread runs it. Exposed so tests can run it on a small block and with
// workers that fail to start.
struct PhaseSetup {
  uint64_t* block;
  uint64_t words;
  uint32_t threads;  // 1 to 64
  int32_t pass;
  bool verify;
  PatternStores stores = PatternStores::kPlain;  // how the write phase stores
};

// The size of the largest cache of the deepest level the system reports; 0
// when it reports none.
uint64_t LastLevelCacheBytes();

// Creates a worker thread suspended; null when it cannot be created.
using CreateWorkerFn = HANDLE (*)(LPTHREAD_START_ROUTINE routine, void* job);

// Runs one phase and returns only when every created worker has returned.
// afterWait runs after every return of the wait (the sample line and the time
// check). Returns false when no worker could be created at all, in which case
// nothing of the block was touched.
bool RunMemoryPhase(const PhaseSetup& setup, CreateWorkerFn createWorker, void (*afterWait)(void*),
                    void* context);

// Words found wrong since the process started; bytes handled in this phase.
int64_t MemoryErrorCount();
int64_t MemoryPhaseProgress();

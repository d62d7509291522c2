#pragma once

#include <windows.h>

#include <cstdint>

#include "probe/core/options.h"

// The "ram" load: writes and verifies a pattern over one large block until the
// time is up (exit 0) or the host stops us (exit 1); exit 4 with the "memory"
// error line when no block of at least 256 MiB can be had.
int RunMemoryTest(const Options& options);

// One phase (write or verify) of one pass over the block, as the controlling
// thread runs it. Exposed so tests can run it on a small block and with
// workers that fail to start.
struct PhaseSetup {
  uint64_t* block;
  uint64_t words;
  uint32_t threads;  // 1 to 64
  int32_t pass;
  bool verify;
};

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

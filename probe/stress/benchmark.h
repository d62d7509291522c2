#pragma once

#include <windows.h>

#include "probe/core/options.h"

// The "bench" load: processor (one thread, all threads), memory copy and, with
// --dir, drive speed, each measured three times. Exit 0 when every step ran
// (a failed drive test included), 1 when the host stopped us. Never fails to start.
int RunBenchmark(const Options& options);

// Waits until every one of count threads has returned or timeoutMs has passed
// in all, whatever count is (a single wait takes at most 64 handles). Returns
// true when all returned.
bool WaitForAllThreads(const HANDLE* handles, DWORD count, DWORD timeoutMs);

#pragma once

#include <windows.h>

#include "storebridge/result_slot.h"

inline constexpr ULONGLONG kWatchdogGraceMs = 5000;
inline constexpr DWORD kWatchdogNapMs = 1000;

struct WatchdogSettings {
  ResultSlot* slot = nullptr;
  ULONGLONG deadline = 0;  // GetTickCount64 value the wait gives up at
  ULONGLONG graceMs = kWatchdogGraceMs;
};

// How long the watchdog sleeps next; 0 once the end has come.
DWORD WatchdogNapAt(ULONGLONG now, ULONGLONG end);

// Starts a thread that, graceMs after the deadline, stores "ERROR:timeout"
// (unless a result is stored), prints the result and ends the process with
// its code, wherever the main thread hangs. settings must live until the
// process ends. False when the thread could not be started.
bool StartWatchdog(const WatchdogSettings* settings);

#pragma once

#include <windows.h>

#include "storebridge/result_slot.h"

inline constexpr ULONGLONG kStoreWaitMs = 25000;

// Tests the arguments, then asks the Store whether an update of the installed
// application waits, storing the answer in slot. Starts the watchdog.
void RunUpdateCheck(ResultSlot& slot, int argc, const wchar_t* const* argv);

// On this thread: the Windows Runtime initialised, the owner window, the
// Store asked, and everything undone again.
void RunStoreCheck(ResultSlot& slot, ULONGLONG deadline);

// The Windows Runtime part: the store context handed the owner window, the
// update request and its wait until deadline. Stores its answer or error.
void AskStoreForUpdates(ResultSlot& slot, HWND owner, ULONGLONG deadline);

// The whole program: returns the exit code.
int StoreBridgeEntry();

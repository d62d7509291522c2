#pragma once

#include <windows.h>

#include "storebridge/result_slot.h"

inline constexpr size_t kCrashTextChars = 64;

// "ERROR:crash (0xXXXXXXXX)" for the exception; code 0 without a record.
void CrashText(const EXCEPTION_POINTERS* exception, wchar_t (&text)[kCrashTextChars]);

// Makes an unhandled exception on any thread store its crash text with code 3
// over any earlier result, print (unless printed) and end the process. Replaces
// the filter the C runtime installed before us.
void InstallCrashHandler(ResultSlot& slot);

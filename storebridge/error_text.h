#pragma once

#include <windows.h>

#include <string>

#include "storebridge/result_slot.h"

inline constexpr size_t kSystemMessageChars = 1024;
inline constexpr size_t kErrorTextChars = 1200;  // "message (0x........)" plus its terminator
inline constexpr wchar_t kNoSystemMessage[] = L"Exception from HRESULT";

// A system message made fit for one line: CR and LF become blanks, blanks at
// both ends go.
std::wstring OneLineMessage(const std::wstring& message);

// "<system message> (0xXXXXXXXX)"; "Exception from HRESULT" when the system has no text.
std::wstring ErrorTextFor(HRESULT hr);

// "ERROR:" + ErrorTextFor(hr) with code 3, unless a result is stored already.
void StoreErrorResult(ResultSlot& slot, HRESULT hr);

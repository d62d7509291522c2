#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "common/host/quote_argument.h"

// How vantorel-cli reads its own command line and builds the host's.

// "help", "-h", "--help", "/?", "-?" or "/h", ignoring the case of ASCII letters.
bool IsHelpWord(std::wstring_view argument);

// What the user typed after the program name, untouched, from the raw command line.
std::wstring_view CommandTail(std::wstring_view commandLine);

// "VantorelCli-<pid>-<32 hex digits>" from the process id and 16 random bytes.
std::wstring FormatPipeName(DWORD processId, const unsigned char (&random)[16]);

// The host's parameters: "--cli <pipe> --cwd <directory> <tail>".
std::wstring LaunchParameters(std::wstring_view pipeName, std::wstring_view directory, std::wstring_view tail);

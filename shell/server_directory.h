#pragma once

#include <windows.h>

#include "common/host/host_executable.h"

// The library's own module handle, stored once when the library is attached
// and only read afterwards.
void SetServerModule(HMODULE module);
HMODULE ServerModule();

// A path below the server's directory, built on the caller's stack: the
// directory with its final backslash, then whatever is appended, always within
// kHostPathUnits units, terminator included.
struct ServerPath {
  wchar_t text[kHostPathUnits];
};

// Keeps moduleName up to and including its last backslash (ModuleDirectory of a
// Library). False when the name is empty, was cut (it filled the whole buffer)
// or has no backslash.
bool CutToDirectory(const wchar_t* moduleName, DWORD length, ServerPath& path);

// The directory of the server module.
bool ServerDirectory(ServerPath& path);

// Appends text, or leaves path as it was and fails when it would not fit.
bool AppendToServerPath(ServerPath& path, const wchar_t* text);

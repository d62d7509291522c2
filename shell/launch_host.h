#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <string_view>

// Hands a tool and a path to the host: "--file <verb> "<path>"". The path is
// enclosed so that the host's CommandLineToArgvW reads it back exactly, also
// when it ends in backslashes (each is doubled before the closing quote).
std::wstring FileParameters(int toolId, std::wstring_view path);

// What Explorer is told about a launch: S_OK, else the error of the failed
// call as an HRESULT. A failure without an error code is still a failure.
HRESULT LaunchResult(BOOL launched, DWORD error);

// Starts the host (the per-user alias, else "Vantorel.exe" beside the server)
// and returns once it runs; nothing waits for the tool. E_INVALIDARG for a
// path that is not accepted, E_FAIL when no host path can be built.
HRESULT LaunchHostForPath(int toolId, const wchar_t* path) noexcept;

// The same through the given launch call in place of ShellExecuteExW, so a
// test sees exactly what the system is asked to start.
using ShellExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW* launch);
HRESULT LaunchHostForPath(int toolId, const wchar_t* path, ShellExecuteFunction execute) noexcept;

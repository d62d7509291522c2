#pragma once

#include <windows.h>

#include <string>

// The lower-cased file name of a process's image ("game.exe"), or "" when the
// process cannot be opened or queried. Used to name processes in event lines.
std::wstring ProcessImageName(DWORD processId);

// The file name part of a full image path, lower-cased with towlower.
std::wstring LowerFileName(const wchar_t* path);

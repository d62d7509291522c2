#pragma once

// Starting a Unix program from a test under Wine (a shell script, xdotool).

#include <windows.h>

#include <string>

// Starts command, a Unix program by its Z: path with its arguments; false when
// Wine could not start it. Wine hands back no process handle for a Unix program
// and a stale thread handle, which may be one of ours (a test's captured
// output): neither is closed, and the program cannot be waited for.
inline bool StartUnixProgram(std::wstring command) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return false;
  }
  if (info.hProcess) {
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
  }
  return true;
}

#pragma once

// Symbolic links on the Unix side of the Wine prefix. Wine follows them as
// Windows follows a symbolic link or a junction, so a test plants one where an
// attacker would plant a link. Wine's CreateSymbolicLinkW does nothing, so the
// link is made by ln, which Wine starts as the Unix program it is.

#include <windows.h>

#include <string>

#include "tests/support/unix_program.h"
#include "tests/support/whole_file.h"

// The Unix path of a Windows path in the prefix (its last part need not
// exist); empty when there is none.
inline std::string UnixPathOf(const std::wstring& windowsPath) {
  using Entry = char*(CDECL*)(const wchar_t*);
  const auto entry = reinterpret_cast<Entry>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (entry == nullptr) return {};
  char* unixPath = entry(windowsPath.c_str());
  if (unixPath == nullptr) return {};
  std::string path = unixPath;
  HeapFree(GetProcessHeap(), 0, unixPath);
  return path;
}

// Runs a /bin/sh script to its end; false when it failed or took too long.
// Wine hands back no process handle to wait for, so the script reports its
// end through a file.
inline bool RunUnixShell(const std::string& commands, DWORD timeoutMs = 20000) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring base = std::wstring(temp) + L"vantorel-sh-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring script = base + L".sh", status = base + L".status";
  DeleteFileW(status.c_str());
  const std::string unixStatus = UnixPathOf(status);
  const std::string unixScript = UnixPathOf(script);
  if (unixStatus.empty() || unixScript.empty()) return false;
  if (!WriteWholeFile(script, commands + "\necho $? >'" + unixStatus + ".tmp'\nmv '" + unixStatus + ".tmp' '" +
                                  unixStatus + "'\n")) {
    return false;
  }
  if (!StartUnixProgram(L"Z:\\bin\\sh \"" + std::wstring(unixScript.begin(), unixScript.end()) + L"\"")) return false;
  bool ok = false;
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    std::string code;
    if (ReadWholeFile(status, code)) {
      ok = code.rfind("0", 0) == 0;
      break;
    }
    Sleep(20);
  }
  DeleteFileW(script.c_str());
  DeleteFileW(status.c_str());
  return ok;
}

// Makes link a symbolic link to target (which need not exist).
inline bool PlantUnixLink(const std::wstring& link, const std::wstring& target) {
  const std::string unixLink = UnixPathOf(link), unixTarget = UnixPathOf(target);
  if (unixLink.empty() || unixTarget.empty()) return false;
  return RunUnixShell("ln -s -- '" + unixTarget + "' '" + unixLink + "'");
}

// Whether link is a symbolic link, whatever it points at. Wine lists no
// link whose target is missing, so only the Unix side can tell.
inline bool IsUnixLink(const std::wstring& link) {
  const std::string unixLink = UnixPathOf(link);
  return !unixLink.empty() && RunUnixShell("test -L '" + unixLink + "'");
}

// Removes link if it is one, never what it points at.
inline bool RemoveUnixLink(const std::wstring& link) {
  const std::string unixLink = UnixPathOf(link);
  return !unixLink.empty() && RunUnixShell("if [ -L '" + unixLink + "' ]; then rm -f -- '" + unixLink + "'; fi");
}

#pragma once

// The names in a folder, for tests that check what a run left behind.

#include <windows.h>

#include <string>
#include <vector>

// Every name in folder but "." and ".."; empty when it cannot be listed.
inline std::vector<std::wstring> NamesInFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

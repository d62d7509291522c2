#include "common/host/host_executable.h"

#include <vector>

std::wstring_view ModuleDirectory(std::wstring_view modulePath, CallerKind kind) {
  if (kind == CallerKind::Library && modulePath.size() > kHostPathUnits - 1) return {};
  const size_t cut = kind == CallerKind::Program ? modulePath.find_last_of(L"\\/") : modulePath.find_last_of(L'\\');
  if (cut == std::wstring_view::npos) return {};
  return modulePath.substr(0, cut + 1);
}

std::wstring HostBesideModule(std::wstring_view modulePath, CallerKind kind) {
  const std::wstring_view directory = ModuleDirectory(modulePath, kind);
  if (directory.empty()) return L"";
  std::wstring host(directory);
  host += kHostFileName;
  if (kind == CallerKind::Library && host.size() > kHostPathUnits - 1) return L"";
  return host;
}

namespace {

std::wstring ModulePath(HMODULE module, DWORD capacity) {
  std::vector<wchar_t> buffer(capacity + 1, L'\0');
  const DWORD length = GetModuleFileNameW(module, buffer.data(), capacity);
  // A full buffer means the path was cut; a cut path must not lead to a wrong directory.
  if (length == 0 || length >= capacity) return L"";
  return std::wstring(buffer.data(), length);
}

// A drive path ("C:\..." or "C:/...") or one that begins with two backslashes
// (a share or a "\\?\" path). Anything else is found relative to a directory
// or drive the user happens to stand in: an unset LOCALAPPDATA leaves its name
// in the text, and that relative path must never start a program.
bool IsFullyQualified(const wchar_t* path) {
  const bool letter = (path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z');
  if (letter && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
  return path[0] == L'\\' && path[1] == L'\\';
}

}  // namespace

std::wstring FindHostExecutable(CallerKind kind, HMODULE module) {
  wchar_t alias[kHostPathUnits] = {};
  const DWORD expanded = ExpandEnvironmentStringsW(kHostAliasPath, alias, kHostPathUnits);
  const DWORD attributes = expanded >= 1 && expanded <= kHostPathUnits && IsFullyQualified(alias)
                               ? GetFileAttributesW(alias)
                               : INVALID_FILE_ATTRIBUTES;
  // A folder of that name is no program to start.
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return alias;
  }
  const DWORD capacity = kind == CallerKind::Program ? 32767 : kHostPathUnits;
  return HostBesideModule(ModulePath(module, capacity), kind);
}

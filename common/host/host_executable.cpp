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

}  // namespace

std::wstring FindHostExecutable(CallerKind kind, HMODULE module) {
  wchar_t alias[kHostPathUnits] = {};
  const DWORD expanded = ExpandEnvironmentStringsW(kHostAliasPath, alias, kHostPathUnits);
  if (expanded >= 1 && expanded <= kHostPathUnits && GetFileAttributesW(alias) != INVALID_FILE_ATTRIBUTES) {
    return alias;
  }
  const DWORD capacity = kind == CallerKind::Program ? 32767 : kHostPathUnits;
  return HostBesideModule(ModulePath(module, capacity), kind);
}

#include "shell/server_directory.h"

#include <strsafe.h>

#include <string_view>

namespace {

// Written once by the attach notification, before any other call can come in.
HMODULE serverModule = nullptr;

}  // namespace

void SetServerModule(HMODULE module) { serverModule = module; }

HMODULE ServerModule() { return serverModule; }

bool CutToDirectory(const wchar_t* moduleName, DWORD length, ServerPath& path) {
  path.text[0] = L'\0';
  // The host beside the server is found by the same cut.
  const std::wstring_view directory = ModuleDirectory(std::wstring_view(moduleName, length), CallerKind::Library);
  if (directory.empty()) return false;
  directory.copy(path.text, directory.size());
  path.text[directory.size()] = L'\0';
  return true;
}

bool ServerDirectory(ServerPath& path) {
  wchar_t name[kHostPathUnits] = {};
  const DWORD length = GetModuleFileNameW(serverModule, name, kHostPathUnits);
  return CutToDirectory(name, length, path);
}

bool AppendToServerPath(ServerPath& path, const wchar_t* text) {
  size_t length = 0;
  if (FAILED(StringCchLengthW(path.text, kHostPathUnits, &length))) return false;
  if (FAILED(StringCchCatW(path.text, kHostPathUnits, text))) {
    path.text[length] = L'\0';  // a failed append leaves a cut copy behind
    return false;
  }
  return true;
}

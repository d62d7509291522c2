#include "probe/tracing/process_image_name.h"

#include <cwctype>

std::wstring LowerFileName(const wchar_t* path) {
  const wchar_t* name = path;
  for (const wchar_t* p = path; *p != L'\0'; ++p) {
    if (*p == L'\\') name = p + 1;
  }
  std::wstring lower(name);
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  return lower;
}

std::wstring ProcessImageName(DWORD processId) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  if (process == nullptr) return {};
  wchar_t path[520];
  DWORD length = 520;
  const BOOL ok = QueryFullProcessImageNameW(process, 0, path, &length);
  CloseHandle(process);
  if (!ok) return {};
  path[length < 520 ? length : 519] = L'\0';
  return LowerFileName(path);
}

#include "shell/launch_host.h"

#include <new>

#include "common/host/host_executable.h"
#include "common/host/quote_argument.h"
#include "shell/accepted_path.h"
#include "shell/server_directory.h"
#include "shell/tool_table.h"

std::wstring FileParameters(int toolId, std::wstring_view path) {
  std::wstring parameters = L"--file ";
  parameters += kToolVerbs[toolId];
  parameters += L' ';
  parameters += EncloseArgument(path);
  return parameters;
}

HRESULT LaunchResult(BOOL launched, DWORD error) {
  if (launched) return S_OK;
  if (error == ERROR_SUCCESS) return E_FAIL;
  return HRESULT_FROM_WIN32(error);
}

HRESULT LaunchHostForPath(int toolId, const wchar_t* path) noexcept {
  return LaunchHostForPath(toolId, path, ShellExecuteExW);
}

HRESULT LaunchHostForPath(int toolId, const wchar_t* path, ShellExecuteFunction execute) noexcept {
  if (toolId < 0 || toolId >= kToolCount || !IsAcceptedPath(path)) return E_INVALIDARG;
  try {
    const std::wstring host = FindHostExecutable(CallerKind::Library, ServerModule());
    if (host.empty()) return E_FAIL;
    const std::wstring parameters = FileParameters(toolId, path);

    SHELLEXECUTEINFOW launch = {};
    launch.cbSize = sizeof(launch);
    // NOASYNC: Explorer may end the calling thread right after we return.
    launch.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    launch.lpFile = host.c_str();
    launch.lpParameters = parameters.c_str();
    launch.nShow = SW_SHOWNORMAL;
    const BOOL launched = execute(&launch);
    return LaunchResult(launched, launched ? ERROR_SUCCESS : GetLastError());
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

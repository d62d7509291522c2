#include "shell/command.h"

#include <shlwapi.h>

IFACEMETHODIMP Command::GetToolTip(IShellItemArray*, LPWSTR* ppszInfotip) {
  if (ppszInfotip != nullptr) *ppszInfotip = nullptr;
  return E_NOTIMPL;
}

IFACEMETHODIMP Command::GetCanonicalName(GUID* pguidCommandName) {
  if (pguidCommandName == nullptr) return E_POINTER;
  *pguidCommandName = GUID_NULL;
  return S_OK;
}

HRESULT CopyForExplorer(const wchar_t* text, LPWSTR* out) {
  *out = nullptr;
  return SHStrDupW(text, out);
}

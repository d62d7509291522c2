#include "shell/command.h"

#include <shlwapi.h>

#include "shell/server_counts.h"

Command::Command() { ObjectCreated(); }

Command::~Command() { ObjectDestroyed(); }

IFACEMETHODIMP Command::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IExplorerCommand)) {
    *ppvObject = static_cast<IExplorerCommand*>(this);
    AddRef();
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

IFACEMETHODIMP_(ULONG) Command::AddRef() { return static_cast<ULONG>(references_.fetch_add(1) + 1); }

IFACEMETHODIMP_(ULONG) Command::Release() {
  const LONG left = references_.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

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

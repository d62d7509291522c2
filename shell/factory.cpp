#include "shell/factory.h"

#include <new>

#include "shell/root_command.h"
#include "shell/server_counts.h"

Factory Factory::instance;

IFACEMETHODIMP Factory::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *ppvObject = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

IFACEMETHODIMP_(ULONG) Factory::AddRef() { return 2; }

IFACEMETHODIMP_(ULONG) Factory::Release() { return 1; }

IFACEMETHODIMP Factory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  *ppvObject = nullptr;
  if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
  RootCommand* root = new (std::nothrow) RootCommand();
  if (root == nullptr) return E_OUTOFMEMORY;
  // An interface it does not answer leaves no reference, and the release destroys it.
  const HRESULT result = root->QueryInterface(riid, ppvObject);
  root->Release();
  return result;
}

IFACEMETHODIMP Factory::LockServer(BOOL fLock) {
  ServerLocked(fLock != FALSE);
  return S_OK;
}

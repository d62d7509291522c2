#pragma once

#include <windows.h>
#include <unknwn.h>

// Makes the top-level command. There is one static instance that lives as
// long as the library; its reference count is a constant.
class Factory final : public IClassFactory {
 public:
  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
  IFACEMETHODIMP_(ULONG) AddRef() override;
  IFACEMETHODIMP_(ULONG) Release() override;

  IFACEMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppvObject) override;
  IFACEMETHODIMP LockServer(BOOL fLock) override;

  static Factory instance;
};

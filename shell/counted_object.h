#pragma once

#include <windows.h>
#include <unknwn.h>

#include <atomic>

#include "shell/server_counts.h"

// The IUnknown of every object the server hands to Explorer but the factory:
// a reference count that starts at 1, changes atomically and destroys the
// object at 0, and the server's object count for as long as the object lives.
// QueryInterface answers IUnknown and Interface, the one interface the class
// implements, and nothing else.
template <class Interface>
class CountedObject : public Interface {
 public:
  CountedObject(const CountedObject&) = delete;
  CountedObject& operator=(const CountedObject&) = delete;

  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override {
    if (ppvObject == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, __uuidof(Interface))) {
      *ppvObject = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
  }

  IFACEMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(references_.fetch_add(1) + 1); }

  IFACEMETHODIMP_(ULONG) Release() override {
    const LONG left = references_.fetch_sub(1) - 1;
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
  }

 protected:
  CountedObject() { ObjectCreated(); }
  virtual ~CountedObject() { ObjectDestroyed(); }

 private:
  std::atomic<LONG> references_{1};
};

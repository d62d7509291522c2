#pragma once

// A stand-in for the Store's update query: the object the Windows Runtime
// hands back answers both the operation and IAsyncInfo, and so does this one.

#include <windows.h>

#include <atomic>
#include <functional>

#include "storebridge/store_interfaces.h"

class FakeUpdateList : public StoreAbi::IStorePackageUpdateList {
 public:
  FakeUpdateList(UINT32 entries, HRESULT sizeResult) : entries_(entries), sizeResult_(sizeResult) {}
  ULONG References() const { return references_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable)) {
      *object = static_cast<IInspectable*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetAt(UINT32, StoreAbi::IStorePackageUpdate**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) override {
    if (FAILED(sizeResult_)) return sizeResult_;
    *size = entries_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE IndexOf(StoreAbi::IStorePackageUpdate*, UINT32*, BOOLEAN*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetMany(UINT32, UINT32, StoreAbi::IStorePackageUpdate**, UINT32*) override {
    return E_NOTIMPL;
  }

 private:
  std::atomic<ULONG> references_{1};
  UINT32 entries_;
  HRESULT sizeResult_;
};

struct FakeScript {
  int pendingPolls = 0;                    // status reads that answer Started first
  int finalStatus = StoreAbi::kAsyncCompleted;  // then this; Started means never done
  HRESULT statusResult = S_OK;             // get_Status fails with this when it fails
  HRESULT errorCode = S_OK;                // what get_ErrorCode reports
  HRESULT results = S_OK;                  // what GetResults returns
  FakeUpdateList* list = nullptr;          // what GetResults hands out; may be null
  bool answersAsyncInfo = true;
  std::function<bool()> ready;             // when set, the operation is pending until it says true
};

class FakeUpdatesOperation : public StoreAbi::IStorePackageUpdatesOperation, public StoreAsyncInfo {
 public:
  explicit FakeUpdatesOperation(FakeScript script) : script_(std::move(script)) {}
  ULONG References() const { return references_; }
  bool Cancelled() const { return cancelled_; }
  int StatusReads() const { return statusReads_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable)) {
      *object = static_cast<StoreAbi::IStorePackageUpdatesOperation*>(this);
    } else if (iid == StoreAbi::kIidAsyncInfo && script_.answersAsyncInfo) {
      *object = static_cast<StoreAsyncInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override { return --references_; }
  HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel*) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE put_Completed(IUnknown*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE get_Completed(IUnknown**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetResults(StoreAbi::IStorePackageUpdateList** results) override {
    *results = nullptr;
    if (FAILED(script_.results)) return script_.results;
    if (script_.list) {
      script_.list->AddRef();
      *results = script_.list;
    }
    return script_.results;
  }

  HRESULT STDMETHODCALLTYPE get_Id(UINT32* id) override {
    *id = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_Status(StoreAsyncStatus* status) override {
    ++statusReads_;
    if (FAILED(script_.statusResult)) return script_.statusResult;
    int now = script_.finalStatus;
    if (cancelled_) {
      now = StoreAbi::kAsyncCanceled;
    } else if (statusReads_ <= script_.pendingPolls || (script_.ready && !script_.ready())) {
      now = StoreAbi::kAsyncStarted;
    }
    *status = static_cast<StoreAsyncStatus>(now);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_ErrorCode(HRESULT* code) override {
    *code = script_.errorCode;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Cancel() override {
    cancelled_ = true;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Close() override { return S_OK; }

 private:
  std::atomic<ULONG> references_{1};
  FakeScript script_;
  bool cancelled_ = false;
  int statusReads_ = 0;
};

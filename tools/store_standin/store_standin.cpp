// Test stand-in for the Microsoft Store's Windows.Services.Store.StoreContext
// class, registered in a test prefix by tools/install-store-standin, so that
// VantorelStoreBridge.exe runs its real path (its apartment, its owner window,
// its watchdog and crash handler) against a Store that answers as a test asks.
//
// The activating process's environment chooses the answer:
//   VANTOREL_STORE_STANDIN         unset: activation fails with REGDB_E_CLASSNOTREG,
//                                  as on a machine without the Store
//                                  update / noupdate: the query completes with one entry / none
//                                  hang: GetDefault never returns
//                                  crash: GetDefault dies of an access violation
//   VANTOREL_STORE_STANDIN_RECORD  a file that receives, one per line, what the
//                                  caller showed the Store: "apartment sta|mta|none"
//                                  when the context is asked for, and
//                                  "owner visible=0|1 foreground=0|1" when it is handed the window.
#include <windows.h>

#include <activation.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "storebridge/store_interfaces.h"
#include "tests/storebridge/fake_store_operation.h"

namespace {

std::wstring Mode() {
  wchar_t mode[32] = {};
  const DWORD length = GetEnvironmentVariableW(L"VANTOREL_STORE_STANDIN", mode, 32);
  return length > 0 && length < 32 ? std::wstring(mode, length) : std::wstring();
}

void Record(const char* line) {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"VANTOREL_STORE_STANDIN_RECORD", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(strlen(line)), &written, nullptr);
  WriteFile(file, "\n", 1, &written, nullptr);
  CloseHandle(file);
}

void RecordApartment() {
  APTTYPE type{};
  APTTYPEQUALIFIER qualifier{};
  if (FAILED(CoGetApartmentType(&type, &qualifier))) {
    Record("apartment none");
  } else if (type == APTTYPE_STA || type == APTTYPE_MAINSTA) {
    Record("apartment sta");
  } else {
    Record("apartment mta");
  }
}

// A real access violation, a write into reserved memory.
void AccessViolation() {
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  *static_cast<volatile int*>(reserved) = 1;
}

class StoreContext final : public StoreAbi::IStoreContext, public IInitializeWithWindow {
 public:
  explicit StoreContext(UINT32 entries) : entries_(entries) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable)) {
      *object = static_cast<StoreAbi::IStoreContext*>(this);
    } else if (iid == StoreAbi::kIidInitializeWithWindow) {
      *object = static_cast<IInitializeWithWindow*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  // Left to process exit, as every object of the stand-in.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel*) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE Initialize(HWND owner) override {
    char line[64];
    snprintf(line, sizeof(line), "owner visible=%d foreground=%d", IsWindowVisible(owner) ? 1 : 0,
             GetForegroundWindow() == owner ? 1 : 0);
    Record(line);
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_User(IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE add_OfflineLicensesChanged(IUnknown*, INT64*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE remove_OfflineLicensesChanged(INT64) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCustomerPurchaseIdAsync(HSTRING, HSTRING, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetCustomerCollectionsIdAsync(HSTRING, HSTRING, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetAppLicenseAsync(IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStoreProductForCurrentAppAsync(IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetStoreProductsAsync(IInspectable*, IInspectable*, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetAssociatedStoreProductsAsync(IInspectable*, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetAssociatedStoreProductsWithPagingAsync(IInspectable*, UINT32, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetUserCollectionAsync(IInspectable*, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetUserCollectionWithPagingAsync(IInspectable*, UINT32, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE ReportConsumableFulfillmentAsync(HSTRING, UINT32, GUID, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetConsumableBalanceRemainingAsync(HSTRING, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE AcquireStoreLicenseForOptionalPackageAsync(IInspectable*, IInspectable**) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE RequestPurchaseAsync(HSTRING, IInspectable**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RequestPurchaseWithPurchasePropertiesAsync(HSTRING, IInspectable*,
                                                                       IInspectable**) override {
    return E_NOTIMPL;
  }
  // Pending for a few reads of its status, so the bridge's wait serves its queue, then done.
  HRESULT STDMETHODCALLTYPE GetAppAndOptionalStorePackageUpdatesAsync(
      StoreAbi::IStorePackageUpdatesOperation** operation) override {
    FakeScript script;
    script.pendingPolls = 3;
    script.list = new FakeUpdateList(entries_, S_OK);
    *operation = new FakeUpdatesOperation(script);
    return S_OK;
  }

 private:
  UINT32 entries_;
};

class StoreContextFactory final : public IActivationFactory, public StoreAbi::IStoreContextStatics {
 public:
  explicit StoreContextFactory(std::wstring mode) : mode_(std::move(mode)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (iid == __uuidof(IUnknown) || iid == __uuidof(IInspectable) || iid == __uuidof(IActivationFactory)) {
      *object = static_cast<IActivationFactory*>(this);
    } else if (iid == StoreAbi::kIidStoreContextStatics) {
      *object = static_cast<StoreAbi::IStoreContextStatics*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetIids(ULONG*, IID**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRuntimeClassName(HSTRING*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTrustLevel(TrustLevel*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ActivateInstance(IInspectable** instance) override {
    *instance = nullptr;
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE GetDefault(StoreAbi::IStoreContext** context) override {
    RecordApartment();
    if (mode_ == L"hang") Sleep(INFINITE);
    if (mode_ == L"crash") AccessViolation();
    *context = new StoreContext(mode_ == L"update" ? 1 : 0);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetForUser(IInspectable*, StoreAbi::IStoreContext** context) override {
    *context = nullptr;
    return E_NOTIMPL;
  }

 private:
  std::wstring mode_;
};

}  // namespace

extern "C" HRESULT WINAPI DllGetActivationFactory(HSTRING, IActivationFactory** factory) {
  const std::wstring mode = Mode();
  if (mode.empty()) {
    *factory = nullptr;
    return REGDB_E_CLASSNOTREG;
  }
  *factory = new StoreContextFactory(mode);
  return S_OK;
}

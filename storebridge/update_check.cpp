#include "storebridge/update_check.h"

#include <roapi.h>
#include <shellapi.h>
#include <wrl/client.h>

#include "storebridge/arguments.h"
#include "storebridge/crash_handler.h"
#include "storebridge/error_text.h"
#include "storebridge/owner_window.h"
#include "storebridge/store_interfaces.h"
#include "storebridge/update_wait.h"
#include "storebridge/watchdog.h"

using Microsoft::WRL::ComPtr;

namespace {

// The desktop has no core window, so the Store needs a window to own its dialogs.
HRESULT HandOwnerWindow(StoreAbi::IStoreContext* context, HWND owner) {
  ComPtr<IInitializeWithWindow> initialize;
  HRESULT hr = context->QueryInterface(StoreAbi::kIidInitializeWithWindow,
                                       reinterpret_cast<void**>(initialize.GetAddressOf()));
  if (FAILED(hr)) return hr;
  if (!initialize) return E_NOINTERFACE;
  return initialize->Initialize(owner);
}

void RequestUpdates(ResultSlot& slot, StoreAbi::IStoreContext* context, ULONGLONG deadline) {
  ComPtr<StoreAbi::IStorePackageUpdatesOperation> operation;
  HRESULT hr = context->GetAppAndOptionalStorePackageUpdatesAsync(operation.GetAddressOf());
  if (SUCCEEDED(hr) && !operation) hr = E_POINTER;
  if (FAILED(hr)) {
    StoreErrorResult(slot, hr);
    return;
  }
  StoreUpdateAnswer(operation.Get(), deadline, slot);
}

}  // namespace

void AskStoreForUpdates(ResultSlot& slot, HWND owner, ULONGLONG deadline) {
  HSTRING className = nullptr;
  HRESULT hr = WindowsCreateString(StoreAbi::kStoreContextClass, StoreAbi::kStoreContextClassChars, &className);
  ComPtr<StoreAbi::IStoreContextStatics> statics;
  ComPtr<StoreAbi::IStoreContext> context;
  if (SUCCEEDED(hr)) {
    hr = RoGetActivationFactory(className, StoreAbi::kIidStoreContextStatics,
                                reinterpret_cast<void**>(statics.GetAddressOf()));
    if (SUCCEEDED(hr) && !statics) hr = E_NOINTERFACE;
  }
  if (SUCCEEDED(hr)) {
    hr = statics->GetDefault(context.GetAddressOf());
    if (SUCCEEDED(hr) && !context) hr = E_POINTER;
  }
  if (SUCCEEDED(hr)) hr = HandOwnerWindow(context.Get(), owner);
  if (SUCCEEDED(hr)) {
    RequestUpdates(slot, context.Get(), deadline);
  } else {
    StoreErrorResult(slot, hr);
  }
  WindowsDeleteString(className);
  context.Reset();
  statics.Reset();
}

void RunUpdateCheck(ResultSlot& slot, int argc, const wchar_t* const* argv) {
  switch (CheckArguments(argc, argv)) {
    case ArgumentCheck::Usage:
      StoreResult(slot, kResultUsage, kExitUsage);
      return;
    case ArgumentCheck::BadMode:
      StoreResult(slot, kResultBadMode, kExitUsage);
      return;
    case ArgumentCheck::Accepted:
      break;
  }
  // Written once, before the watchdog reads it.
  static WatchdogSettings watchdog;
  watchdog.slot = &slot;
  watchdog.deadline = GetTickCount64() + kStoreWaitMs;
  // Without the watchdog the wait still gives up at the deadline.
  StartWatchdog(&watchdog);
  RunStoreCheck(slot, watchdog.deadline);
}

void RunStoreCheck(ResultSlot& slot, ULONGLONG deadline) {
  const HRESULT initialised = RoInitialize(RO_INIT_SINGLETHREADED);
  if (FAILED(initialised) && initialised != RPC_E_CHANGED_MODE) {
    StoreErrorResult(slot, initialised);
    return;
  }
  // RPC_E_CHANGED_MODE means someone else's apartment: not ours to leave.
  const bool uninitialise = SUCCEEDED(initialised);

  HWND owner = CreateOwnerWindow(GetModuleHandleW(nullptr));
  if (owner == nullptr) {
    StoreErrorResult(slot, OwnerWindowError(GetLastError()));
    if (uninitialise) RoUninitialize();
    return;
  }
  AskStoreForUpdates(slot, owner, deadline);
  DestroyWindow(owner);
  if (uninitialise) RoUninitialize();
}

int StoreBridgeEntry() {
  ResultSlot& slot = ProcessResultSlot();
  InitResultSlot(slot);
  InstallCrashHandler(slot);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) {
    StoreResult(slot, kResultUsage, kExitUsage);
  } else {
    RunUpdateCheck(slot, argc, argv);
    LocalFree(argv);
  }
  return PrintResultForExit(slot, GetStdHandle(STD_OUTPUT_HANDLE));
}

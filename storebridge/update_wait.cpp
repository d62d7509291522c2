#include "storebridge/update_wait.h"

#include <wrl/client.h>

#include "storebridge/error_text.h"

using Microsoft::WRL::ComPtr;

namespace {

// The Store call runs on this single-threaded apartment and reports back
// through its message queue, so we must keep serving it while we wait.
void ServeMessages(DWORD timeoutMs) {
  // cppcheck-suppress nullPointer ; with a count of 0 the handle array is never read
  MsgWaitForMultipleObjectsEx(0, nullptr, timeoutMs, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

HRESULT ErrorOfFailedOperation(StoreAsyncInfo* info) {
  HRESULT code = E_FAIL;
  // An error status that carries a success code (or none we can read) is
  // still a failure.
  if (FAILED(info->get_ErrorCode(&code))) return E_FAIL;
  return FAILED(code) ? code : E_FAIL;
}

}  // namespace

HRESULT WaitForUpdates(StoreAbi::IStorePackageUpdatesOperation* operation, ULONGLONG deadline, ResultSlot& slot,
                       StoreAbi::IStorePackageUpdateList** list) {
  *list = nullptr;
  ComPtr<StoreAsyncInfo> info;
  HRESULT hr = operation->QueryInterface(StoreAbi::kIidAsyncInfo, reinterpret_cast<void**>(info.GetAddressOf()));
  if (FAILED(hr)) return hr;
  if (!info) return E_NOINTERFACE;
  for (;;) {
    StoreAsyncStatus status{};
    hr = info->get_Status(&status);
    if (FAILED(hr)) return hr;
    switch (static_cast<int>(status)) {
      case StoreAbi::kAsyncCompleted:
        return operation->GetResults(list);
      case StoreAbi::kAsyncError:
        return ErrorOfFailedOperation(info.Get());
      case StoreAbi::kAsyncCanceled:
        return E_ABORT;
      default:
        break;
    }
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) {
      StoreResult(slot, kResultTimeout, kExitTimeout);
      info->Cancel();
      return kTimeoutHresult;
    }
    const ULONGLONG left = deadline - now;
    ServeMessages(left < kWaitSliceMs ? static_cast<DWORD>(left) : kWaitSliceMs);
  }
}

void StoreUpdateAnswer(StoreAbi::IStorePackageUpdatesOperation* operation, ULONGLONG deadline, ResultSlot& slot) {
  ComPtr<StoreAbi::IStorePackageUpdateList> list;
  HRESULT hr = WaitForUpdates(operation, deadline, slot, list.GetAddressOf());
  UINT32 entries = 0;
  // A list whose size cannot be read is no evidence that nothing is waiting.
  if (SUCCEEDED(hr) && list) hr = list->get_Size(&entries);
  if (FAILED(hr)) {
    StoreErrorResult(slot, hr);
  } else if (entries > 0) {
    StoreResult(slot, kResultUpdate, kExitUpdate);
  } else {
    StoreResult(slot, kResultNoUpdate, kExitNoUpdate);
  }
}

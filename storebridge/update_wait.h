#pragma once

#include <windows.h>

#include "storebridge/result_slot.h"
#include "storebridge/store_interfaces.h"

inline constexpr DWORD kWaitSliceMs = 50;
inline constexpr HRESULT kTimeoutHresult = static_cast<HRESULT>(0x800705B4);  // ERROR_TIMEOUT

// Waits on the main thread, serving its message queue, until the operation
// completes or the deadline (a GetTickCount64 value) passes. On completion the
// list comes back in *list (it may be null). At the deadline it stores
// "ERROR:timeout" with code 6, cancels the operation and returns ERROR_TIMEOUT.
HRESULT WaitForUpdates(StoreAbi::IStorePackageUpdatesOperation* operation, ULONGLONG deadline, ResultSlot& slot,
                       StoreAbi::IStorePackageUpdateList** list);

// The wait, then the answer: UPDATE when the list has entries, NOUPDATE when
// it is empty or missing, the error text of whatever failed otherwise.
void StoreUpdateAnswer(StoreAbi::IStorePackageUpdatesOperation* operation, ULONGLONG deadline, ResultSlot& slot);

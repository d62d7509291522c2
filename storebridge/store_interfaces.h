#pragma once

// The Windows Runtime interfaces of the Store that we call. MinGW-w64 ships
// IInspectable, IAsyncInfo and IInitializeWithWindow but not the Store
// namespace, and its IAsyncOperation template declares GetResults with one
// pointer too many, so the two parameterised interfaces are declared here as
// the concrete instantiations we receive. The slot order of each vtable is
// the Windows Runtime metadata's; only the slots up to the last one we call
// need to be right, later ones are left out.

#include <windows.h>

#include <inspectable.h>
#include <winstring.h>

#if defined(__MINGW32__)
#include <asyncinfo.h>
#include <shobjidl.h>
using StoreAsyncInfo = ::IAsyncInfo;
using StoreAsyncStatus = ::AsyncStatus;
#else
#include <asyncinfo.h>
#include <shobjidl_core.h>
using StoreAsyncInfo = ABI::Windows::Foundation::IAsyncInfo;
using StoreAsyncStatus = ABI::Windows::Foundation::AsyncStatus;
#endif

namespace StoreAbi {

inline constexpr wchar_t kStoreContextClass[] = L"Windows.Services.Store.StoreContext";
inline constexpr UINT32 kStoreContextClassChars = 35;

// {9C06EE5F-15C0-4E72-9330-D6191CEBD19C}
inline constexpr IID kIidStoreContextStatics = {
    0x9c06ee5f, 0x15c0, 0x4e72, {0x93, 0x30, 0xd6, 0x19, 0x1c, 0xeb, 0xd1, 0x9c}};
// {3E68D4BD-7135-4D10-8018-9FB6D9F33FA1}
inline constexpr IID kIidInitializeWithWindow = {
    0x3e68d4bd, 0x7135, 0x4d10, {0x80, 0x18, 0x9f, 0xb6, 0xd9, 0xf3, 0x3f, 0xa1}};
// {00000036-0000-0000-C000-000000000046}
inline constexpr IID kIidAsyncInfo = {
    0x00000036, 0x0000, 0x0000, {0xc0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// AsyncStatus values as the Windows Runtime defines them.
inline constexpr int kAsyncStarted = 0;
inline constexpr int kAsyncCompleted = 1;
inline constexpr int kAsyncCanceled = 2;
inline constexpr int kAsyncError = 3;

// Only counted, never called.
struct IStorePackageUpdate;

// IVectorView<StorePackageUpdate>
struct IStorePackageUpdateList : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE GetAt(UINT32 index, IStorePackageUpdate** item) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Size(UINT32* size) = 0;
  virtual HRESULT STDMETHODCALLTYPE IndexOf(IStorePackageUpdate* item, UINT32* index, BOOLEAN* found) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetMany(UINT32 start, UINT32 capacity, IStorePackageUpdate** items,
                                            UINT32* count) = 0;
};

// IAsyncOperation<IVectorView<StorePackageUpdate>>; its status and Cancel live
// on the IAsyncInfo that the same object answers.
struct IStorePackageUpdatesOperation : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE put_Completed(IUnknown* handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE get_Completed(IUnknown** handler) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetResults(IStorePackageUpdateList** results) = 0;
};

// Windows.Services.Store.IStoreContext, up to the update query.
struct IStoreContext : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE get_User(IInspectable** user) = 0;
  virtual HRESULT STDMETHODCALLTYPE add_OfflineLicensesChanged(IUnknown* handler, INT64* token) = 0;
  virtual HRESULT STDMETHODCALLTYPE remove_OfflineLicensesChanged(INT64 token) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCustomerPurchaseIdAsync(HSTRING serviceTicket, HSTRING publisherUserId,
                                                               IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetCustomerCollectionsIdAsync(HSTRING serviceTicket, HSTRING publisherUserId,
                                                                  IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAppLicenseAsync(IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStoreProductForCurrentAppAsync(IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetStoreProductsAsync(IInspectable* productKinds, IInspectable* storeIds,
                                                          IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAssociatedStoreProductsAsync(IInspectable* productKinds,
                                                                    IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAssociatedStoreProductsWithPagingAsync(IInspectable* productKinds,
                                                                              UINT32 perPage,
                                                                              IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetUserCollectionAsync(IInspectable* productKinds, IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetUserCollectionWithPagingAsync(IInspectable* productKinds, UINT32 perPage,
                                                                     IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE ReportConsumableFulfillmentAsync(HSTRING productStoreId, UINT32 quantity,
                                                                     GUID trackingId, IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetConsumableBalanceRemainingAsync(HSTRING productStoreId,
                                                                       IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE AcquireStoreLicenseForOptionalPackageAsync(IInspectable* optionalPackage,
                                                                               IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE RequestPurchaseAsync(HSTRING storeId, IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE RequestPurchaseWithPurchasePropertiesAsync(HSTRING storeId,
                                                                               IInspectable* properties,
                                                                               IInspectable** operation) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetAppAndOptionalStorePackageUpdatesAsync(
      IStorePackageUpdatesOperation** operation) = 0;
};

// Windows.Services.Store.IStoreContextStatics
struct IStoreContextStatics : IInspectable {
  virtual HRESULT STDMETHODCALLTYPE GetDefault(IStoreContext** context) = 0;
  virtual HRESULT STDMETHODCALLTYPE GetForUser(IInspectable* user, IStoreContext** context) = 0;
};

}  // namespace StoreAbi

#include "tests/shell/reported_selection.h"

#include <shlwapi.h>

#include <atomic>
#include <utility>

using Microsoft::WRL::ComPtr;

namespace {

// The IUnknown of a fake: it answers IUnknown and its one interface, and
// deletes itself with its last reference (it starts with one).
template <class Interface>
class FakeObject : public Interface {
 public:
  explicit FakeObject(const IID& interfaceId) : interfaceId_(interfaceId) {}
  virtual ~FakeObject() = default;
  FakeObject(const FakeObject&) = delete;
  FakeObject& operator=(const FakeObject&) = delete;

  IFACEMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, interfaceId_)) return E_NOINTERFACE;
    *object = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  IFACEMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  IFACEMETHODIMP_(ULONG) Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 private:
  const IID& interfaceId_;
  std::atomic<ULONG> references_{1};
};

// A file-system item that reports the attributes it is given, as the shell
// reports them: the bits asked for that it has, S_FALSE when some are missing.
class ReportedItem final : public FakeObject<IShellItem> {
 public:
  ReportedItem(std::wstring path, SFGAOF attributes)
      : FakeObject(IID_IShellItem), path_(std::move(path)), attributes_(attributes) {}
  IFACEMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void** object) override {
    if (object != nullptr) *object = nullptr;
    return E_NOTIMPL;
  }
  IFACEMETHODIMP GetParent(IShellItem** parent) override {
    if (parent != nullptr) *parent = nullptr;
    return E_NOTIMPL;
  }
  IFACEMETHODIMP GetDisplayName(SIGDN form, LPWSTR* name) override {
    *name = nullptr;
    if (form != SIGDN_FILESYSPATH) return E_NOTIMPL;
    return SHStrDupW(path_.c_str(), name);
  }
  IFACEMETHODIMP GetAttributes(SFGAOF mask, SFGAOF* attributes) override {
    *attributes = attributes_ & mask;
    return *attributes == mask ? S_OK : S_FALSE;
  }
  IFACEMETHODIMP Compare(IShellItem*, SICHINTF, int* order) override {
    *order = 1;
    return S_FALSE;
  }

 private:
  std::wstring path_;
  SFGAOF attributes_;
};

// Wine's shell makes no array without items (SHCreateShellItemArrayFromIDLists
// and SHCreateShellItemArray refuse a count of 0), which Windows hands over
// for some views; this one answers as such an array does, or holds one item.
class EmptyItemArray final : public FakeObject<IShellItemArray> {
 public:
  EmptyItemArray() : FakeObject(IID_IShellItemArray) {}
  IFACEMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void** object) override { return Refuse(object); }
  IFACEMETHODIMP GetPropertyStore(GETPROPERTYSTOREFLAGS, REFIID, void** object) override { return Refuse(object); }
  IFACEMETHODIMP GetPropertyDescriptionList(REFPROPERTYKEY, REFIID, void** object) override { return Refuse(object); }
  IFACEMETHODIMP GetAttributes(SIATTRIBFLAGS, SFGAOF, SFGAOF* attributes) override {
    if (attributes != nullptr) *attributes = 0;
    return E_NOTIMPL;
  }
  IFACEMETHODIMP GetCount(DWORD* count) override {
    *count = item_ ? 1 : 0;
    return S_OK;
  }
  IFACEMETHODIMP GetItemAt(DWORD index, IShellItem** item) override {
    *item = nullptr;
    if (!item_ || index != 0) return E_INVALIDARG;
    return item_.CopyTo(item);
  }
  void Hold(IShellItem* item) { item_ = item; }
  IFACEMETHODIMP EnumItems(IEnumShellItems** items) override { return Refuse(reinterpret_cast<void**>(items)); }

 private:
  static HRESULT Refuse(void** object) {
    if (object != nullptr) *object = nullptr;
    return E_NOTIMPL;
  }
  ComPtr<IShellItem> item_;
};

}  // namespace

ComPtr<IShellItemArray> MakeEmptySelection() {
  auto* empty = new EmptyItemArray();
  ComPtr<IShellItemArray> array(empty);
  empty->Release();
  return array;
}

ComPtr<IShellItemArray> MakeReportedSelection(const std::wstring& path, SFGAOF attributes) {
  auto* item = new ReportedItem(path, attributes);
  auto* holder = new EmptyItemArray();
  holder->Hold(item);
  item->Release();
  ComPtr<IShellItemArray> array(holder);
  holder->Release();
  return array;
}

#include "shell/selection.h"

#include "shell/accepted_path.h"

bool GetSingleSelectedItem(IShellItemArray* items, SelectedItem& selected) {
  selected = {};
  if (items == nullptr) return false;
  DWORD count = 0;
  if (FAILED(items->GetCount(&count)) || count != 1) return false;
  Microsoft::WRL::ComPtr<IShellItem> item;
  if (FAILED(items->GetItemAt(0, &item)) || !item) return false;
  // GetAttributes answers S_FALSE when a bit is missing, so the bits decide.
  SFGAOF attributes = 0;
  if (FAILED(item->GetAttributes(SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM, &attributes)) ||
      (attributes & SFGAO_FILESYSTEM) == 0) {
    return false;
  }
  wchar_t* name = nullptr;
  const HRESULT named = item->GetDisplayName(SIGDN_FILESYSPATH, &name);
  CoTaskText path(name);
  if (FAILED(named) || !path || !IsAcceptedPath(path.get())) return false;
  selected.item = std::move(item);
  selected.path = std::move(path);
  selected.attributes = attributes;
  return true;
}

bool IsPlainFolder(SFGAOF attributes) { return (attributes & (SFGAO_FOLDER | SFGAO_STREAM)) == SFGAO_FOLDER; }

#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "shell/counted_object.h"

// What the top-level entry and the submenu entries share: IExplorerCommand as
// their one interface, and no tool tips or canonical names.
class Command : public CountedObject<IExplorerCommand> {
 public:
  IFACEMETHODIMP GetToolTip(IShellItemArray* psiItemArray, LPWSTR* ppszInfotip) override;
  IFACEMETHODIMP GetCanonicalName(GUID* pguidCommandName) override;

 protected:
  ~Command() override = default;
};

// Copies text for Explorer, which frees it with CoTaskMemFree.
HRESULT CopyForExplorer(const wchar_t* text, LPWSTR* out);

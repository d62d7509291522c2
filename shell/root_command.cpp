#include "shell/root_command.h"

#include <new>

#include "shell/icon_path.h"
#include "shell/menu_settings.h"
#include "shell/selection.h"
#include "shell/sub_commands.h"

// The product name, the same in every language.
IFACEMETHODIMP RootCommand::GetTitle(IShellItemArray*, LPWSTR* ppszName) {
  if (ppszName == nullptr) return E_POINTER;
  return CopyForExplorer(L"Vantorel", ppszName);
}

IFACEMETHODIMP RootCommand::GetIcon(IShellItemArray*, LPWSTR* ppszIcon) {
  if (ppszIcon == nullptr) return E_POINTER;
  *ppszIcon = nullptr;
  ServerPath icon;
  if (!RootIconPath(icon)) return E_FAIL;
  return CopyForExplorer(icon.text, ppszIcon);
}

IFACEMETHODIMP RootCommand::GetState(IShellItemArray* psiItemArray, BOOL, EXPCMDSTATE* pCmdState) {
  if (pCmdState == nullptr) return E_POINTER;
  *pCmdState = ECS_HIDDEN;
  if (MenuSwitchedOff()) return S_OK;
  SelectedItem selected;
  if (GetSingleSelectedItem(psiItemArray, selected)) *pCmdState = ECS_ENABLED;
  return S_OK;
}

IFACEMETHODIMP RootCommand::Invoke(IShellItemArray*, IBindCtx*) { return E_NOTIMPL; }

IFACEMETHODIMP RootCommand::GetFlags(EXPCMDFLAGS* pFlags) {
  if (pFlags == nullptr) return E_POINTER;
  *pFlags = ECF_HASSUBCOMMANDS;
  return S_OK;
}

IFACEMETHODIMP RootCommand::EnumSubCommands(IEnumExplorerCommand** ppEnum) {
  if (ppEnum == nullptr) return E_POINTER;
  *ppEnum = new (std::nothrow) SubCommands();
  return *ppEnum != nullptr ? S_OK : E_OUTOFMEMORY;
}

#include "shell/sub_command.h"

#include "common/locale/select_locale_row.h"
#include "shell/icon_path.h"
#include "shell/launch_host.h"
#include "shell/menu_settings.h"
#include "shell/menu_title_table.h"
#include "shell/selection.h"
#include "shell/tool_rules.h"

IFACEMETHODIMP SubCommand::GetTitle(IShellItemArray*, LPWSTR* ppszName) {
  if (ppszName == nullptr) return E_POINTER;
  return CopyForExplorer(SelectLocaleRow(kMenuTitleTable).titles[toolId_], ppszName);
}

IFACEMETHODIMP SubCommand::GetIcon(IShellItemArray*, LPWSTR* ppszIcon) {
  if (ppszIcon == nullptr) return E_POINTER;
  *ppszIcon = nullptr;
  ServerPath icon;
  if (!ToolIconPath(toolId_, ThemeIconSuffix(), icon)) return E_FAIL;
  // Explorer shows no icon for E_NOTIMPL, rather than a broken one.
  if (GetFileAttributesW(icon.text) == INVALID_FILE_ATTRIBUTES) return E_NOTIMPL;
  return CopyForExplorer(icon.text, ppszIcon);
}

IFACEMETHODIMP SubCommand::GetState(IShellItemArray* psiItemArray, BOOL, EXPCMDSTATE* pCmdState) {
  if (pCmdState == nullptr) return E_POINTER;
  *pCmdState = ECS_HIDDEN;
  SelectedItem selected;
  if (!GetSingleSelectedItem(psiItemArray, selected)) return S_OK;
  if (ToolOffered(toolId_, IsPlainFolder(selected.attributes), selected.path.get())) *pCmdState = ECS_ENABLED;
  return S_OK;
}

IFACEMETHODIMP SubCommand::Invoke(IShellItemArray* psiItemArray, IBindCtx*) {
  SelectedItem selected;
  if (!GetSingleSelectedItem(psiItemArray, selected)) return E_INVALIDARG;
  selected.item.Reset();
  return LaunchHostForPath(toolId_, selected.path.get());
}

IFACEMETHODIMP SubCommand::GetFlags(EXPCMDFLAGS* pFlags) {
  if (pFlags == nullptr) return E_POINTER;
  *pFlags = ECF_DEFAULT;
  return S_OK;
}

IFACEMETHODIMP SubCommand::EnumSubCommands(IEnumExplorerCommand** ppEnum) {
  if (ppEnum != nullptr) *ppEnum = nullptr;
  return E_NOTIMPL;
}

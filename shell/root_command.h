#pragma once

#include "shell/command.h"

// The top-level "Vantorel" entry: it only opens the submenu of tools.
class RootCommand final : public Command {
 public:
  IFACEMETHODIMP GetTitle(IShellItemArray* psiItemArray, LPWSTR* ppszName) override;
  IFACEMETHODIMP GetIcon(IShellItemArray* psiItemArray, LPWSTR* ppszIcon) override;
  IFACEMETHODIMP GetState(IShellItemArray* psiItemArray, BOOL fOkToBeSlow, EXPCMDSTATE* pCmdState) override;
  IFACEMETHODIMP Invoke(IShellItemArray* psiItemArray, IBindCtx* pbc) override;
  IFACEMETHODIMP GetFlags(EXPCMDFLAGS* pFlags) override;
  IFACEMETHODIMP EnumSubCommands(IEnumExplorerCommand** ppEnum) override;
};

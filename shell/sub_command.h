#pragma once

#include "shell/command.h"

// One tool of the submenu. Title, icon and state are worked out anew on every
// call, so a changed language, theme or selection shows at once.
class SubCommand final : public Command {
 public:
  explicit SubCommand(int toolId) : toolId_(toolId) {}

  IFACEMETHODIMP GetTitle(IShellItemArray* psiItemArray, LPWSTR* ppszName) override;
  IFACEMETHODIMP GetIcon(IShellItemArray* psiItemArray, LPWSTR* ppszIcon) override;
  IFACEMETHODIMP GetState(IShellItemArray* psiItemArray, BOOL fOkToBeSlow, EXPCMDSTATE* pCmdState) override;
  IFACEMETHODIMP Invoke(IShellItemArray* psiItemArray, IBindCtx* pbc) override;
  IFACEMETHODIMP GetFlags(EXPCMDFLAGS* pFlags) override;
  IFACEMETHODIMP EnumSubCommands(IEnumExplorerCommand** ppEnum) override;

 private:
  const int toolId_;
};

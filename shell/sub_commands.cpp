#include "shell/sub_commands.h"

#include <new>

#include "shell/sub_command.h"
#include "shell/tool_table.h"

IFACEMETHODIMP SubCommands::Next(ULONG celt, IExplorerCommand** pUICommand, ULONG* pceltFetched) {
  if (pUICommand == nullptr) return E_POINTER;
  ULONG produced = 0;
  while (produced < celt && nextTool_ < kToolCount) {
    // Out of memory ends the batch early; what was produced is still handed over.
    SubCommand* command = new (std::nothrow) SubCommand(static_cast<int>(nextTool_));
    if (command == nullptr) break;
    pUICommand[produced++] = command;
    ++nextTool_;
  }
  if (pceltFetched != nullptr) *pceltFetched = produced;
  return produced == celt ? S_OK : S_FALSE;
}

IFACEMETHODIMP SubCommands::Skip(ULONG celt) {
  // In 64 bits, so that a huge celt cannot wrap around to a small position.
  const unsigned long long target = static_cast<unsigned long long>(nextTool_) + celt;
  nextTool_ = target < kToolCount ? static_cast<ULONG>(target) : kToolCount;
  return target <= kToolCount ? S_OK : S_FALSE;
}

IFACEMETHODIMP SubCommands::Reset() {
  nextTool_ = 0;
  return S_OK;
}

IFACEMETHODIMP SubCommands::Clone(IEnumExplorerCommand** ppenum) {
  if (ppenum != nullptr) *ppenum = nullptr;
  return E_NOTIMPL;
}

#include "shell/sub_commands.h"

#include <new>

#include "shell/menu_title_table.h"
#include "shell/server_counts.h"
#include "shell/sub_command.h"

SubCommands::SubCommands() { ObjectCreated(); }

SubCommands::~SubCommands() { ObjectDestroyed(); }

IFACEMETHODIMP SubCommands::QueryInterface(REFIID riid, void** ppvObject) {
  if (ppvObject == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IEnumExplorerCommand)) {
    *ppvObject = static_cast<IEnumExplorerCommand*>(this);
    AddRef();
    return S_OK;
  }
  *ppvObject = nullptr;
  return E_NOINTERFACE;
}

IFACEMETHODIMP_(ULONG) SubCommands::AddRef() { return static_cast<ULONG>(references_.fetch_add(1) + 1); }

IFACEMETHODIMP_(ULONG) SubCommands::Release() {
  const LONG left = references_.fetch_sub(1) - 1;
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

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

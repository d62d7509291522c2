#pragma once

#include <windows.h>
#include <shobjidl.h>

#include "shell/counted_object.h"

// The submenu: hands out one new SubCommand per tool, in tool id order.
class SubCommands final : public CountedObject<IEnumExplorerCommand> {
 public:
  IFACEMETHODIMP Next(ULONG celt, IExplorerCommand** pUICommand, ULONG* pceltFetched) override;
  IFACEMETHODIMP Skip(ULONG celt) override;
  IFACEMETHODIMP Reset() override;
  IFACEMETHODIMP Clone(IEnumExplorerCommand** ppenum) override;

 private:
  ~SubCommands() override = default;  // only Release ends it

  ULONG nextTool_ = 0;  // kToolCount: the end
};

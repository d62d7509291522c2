#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <atomic>

// The submenu: hands out one new SubCommand per tool, in tool id order.
class SubCommands final : public IEnumExplorerCommand {
 public:
  SubCommands();
  SubCommands(const SubCommands&) = delete;
  SubCommands& operator=(const SubCommands&) = delete;

  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
  IFACEMETHODIMP_(ULONG) AddRef() override;
  IFACEMETHODIMP_(ULONG) Release() override;

  IFACEMETHODIMP Next(ULONG celt, IExplorerCommand** pUICommand, ULONG* pceltFetched) override;
  IFACEMETHODIMP Skip(ULONG celt) override;
  IFACEMETHODIMP Reset() override;
  IFACEMETHODIMP Clone(IEnumExplorerCommand** ppenum) override;

 private:
  virtual ~SubCommands();

  std::atomic<LONG> references_{1};
  ULONG nextTool_ = 0;  // kToolCount: the end
};

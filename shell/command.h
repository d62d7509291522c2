#pragma once

#include <windows.h>
#include <shobjidl.h>

#include <atomic>

// What the top-level entry and the submenu entries share: the reference
// count, the interfaces they answer, and no tool tips or canonical names.
class Command : public IExplorerCommand {
 public:
  Command();
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  IFACEMETHODIMP QueryInterface(REFIID riid, void** ppvObject) override;
  IFACEMETHODIMP_(ULONG) AddRef() override;
  IFACEMETHODIMP_(ULONG) Release() override;

  IFACEMETHODIMP GetToolTip(IShellItemArray* psiItemArray, LPWSTR* ppszInfotip) override;
  IFACEMETHODIMP GetCanonicalName(GUID* pguidCommandName) override;

 protected:
  virtual ~Command();

 private:
  std::atomic<LONG> references_{1};
};

// Copies text for Explorer, which frees it with CoTaskMemFree.
HRESULT CopyForExplorer(const wchar_t* text, LPWSTR* out);

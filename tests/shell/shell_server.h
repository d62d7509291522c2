#pragma once

#include <windows.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

// VantorelShell.dll copied with the stand-in host "Vantorel.exe" into a folder
// of its own, loaded with LoadLibraryW and driven through its two exports, as
// Explorer does. Sample files and folders lie in a second folder. The per-user
// values the menu reads are cleared before and after every test.
class ShellServer : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The top-level command, made through DllGetClassObject and the factory.
  ComPtr<IExplorerCommand> CreateRoot();

  // A selection of real shell items; null when the shell cannot make one.
  static ComPtr<IShellItemArray> Selection(const std::vector<std::wstring>& paths);
  static ComPtr<IShellItemArray> EmptySelection();
  // One item at path that reports exactly these attributes, as the shell
  // reports a compressed folder (folder and stream at once) that Wine's does not.
  static ComPtr<IShellItemArray> ReportedSelection(const std::wstring& path, SFGAOF attributes);

  // "1" per visible tool id 0 to 6, as Explorer would find them.
  struct Menu {
    bool root = false;
    std::string tools;
  };
  Menu ShowMenu(IShellItemArray* items);

  // The submenu's commands in enumeration order.
  std::vector<ComPtr<IExplorerCommand>> Tools();

  static void SetUserString(const wchar_t* key, const wchar_t* name, const std::wstring& text);
  static void SetUserDword(const wchar_t* key, const wchar_t* name, DWORD value);
  static void DeleteUserValue(const wchar_t* key, const wchar_t* name);

  // The command line the stand-in host recorded, waiting up to timeoutMs for it; "" if none came.
  // RecordedShow() then gives how it was asked to show its window ("show 1" for SW_SHOWNORMAL).
  std::wstring RecordedCommandLine(DWORD timeoutMs = 30000);
  const std::string& RecordedShow() const { return recordedShow_; }
  bool HostStarted() const;

  HRESULT CanUnloadNow() { return canUnloadNow_(); }
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) { return getClassObject_(clsid, iid, object); }

  std::wstring serverDirectory_;  // with its final backslash
  std::wstring items_;            // with its final backslash
  std::wstring folder_, script_, text_, zip_, foreign_;

 private:
  using GetClassObjectFunction = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  using CanUnloadNowFunction = HRESULT(STDAPICALLTYPE*)();

  HMODULE module_ = nullptr;
  GetClassObjectFunction getClassObject_ = nullptr;
  CanUnloadNowFunction canUnloadNow_ = nullptr;
  std::wstring record_;
  std::string recordedShow_;
  bool hadTheme_ = false;
  DWORD theme_ = 0;
  bool comReady_ = false;
};

inline constexpr wchar_t kVantorelKey[] = L"SOFTWARE\\Vantorel";
inline constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";

// Text a command handed out, freed with CoTaskMemFree; "<null>" for none.
std::wstring TakeText(LPWSTR text);

// Splits a command line the way the host does.
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);

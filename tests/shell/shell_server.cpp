#include "tests/shell/shell_server.h"

#include <shellapi.h>
#include <algorithm>
#include <atomic>
#include <shlobj.h>
#include <shlwapi.h>

#include "tests/shell/reported_selection.h"
#include "tests/support/probe_process.h"
#include "tests/support/utf8.h"
#include "tests/support/whole_file.h"

namespace {

std::wstring TempDirectory(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name + L"\\";
}

void CreateFileWith(const std::wstring& path, const std::string& bytes) {
  ASSERT_TRUE(WriteWholeFile(path, bytes)) << ToUtf8(path);
}

// Removes a folder and everything in it.
void RemoveTree(const std::wstring& directory) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((directory + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(directory + name + L"\\");
      } else {
        DeleteFileW((directory + name).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(directory.c_str());
}

std::wstring FromUtf8(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), units);
  return text;
}

}  // namespace

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(commandLine.c_str(), &count);
  std::vector<std::wstring> arguments;
  if (argv == nullptr) return arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(argv[i]);
  LocalFree(argv);
  return arguments;
}

void ShellServer::SetUp() {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  comReady_ = true;

  serverDirectory_ = TempDirectory(L"vantorel-shell-server");
  RemoveTree(serverDirectory_);
  ASSERT_TRUE(CreateDirectoryW(serverDirectory_.c_str(), nullptr));
  ASSERT_TRUE(CopyFileW(BesideThisProgram(L"VantorelShell.dll").c_str(), (serverDirectory_ + L"VantorelShell.dll").c_str(), FALSE));
  ASSERT_TRUE(CopyFileW(BesideThisProgram(L"Vantorel.exe").c_str(), (serverDirectory_ + L"Vantorel.exe").c_str(), FALSE));

  items_ = TempDirectory(L"vantorel-shell-items");
  RemoveTree(items_);
  ASSERT_TRUE(CreateDirectoryW(items_.c_str(), nullptr));
  folder_ = items_ + L"Some Folder";
  ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
  script_ = items_ + L"run.PS1";
  text_ = items_ + L"notes.txt";
  zip_ = items_ + L"archive.zip";
  foreign_ = items_ + L"\u00c4rger \u65e5\u672c.ps1";
  CreateFileWith(script_, "Write-Output 1\r\n");
  CreateFileWith(text_, "notes\r\n");
  // An empty archive: just the end-of-central-directory record.
  CreateFileWith(zip_, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  CreateFileWith(foreign_, "Write-Output 2\r\n");

  record_ = TempDirectory(L"vantorel-shell-record") ;
  record_.pop_back();
  record_ += L".txt";
  DeleteFileW(record_.c_str());
  SetEnvironmentVariableW(L"VANTOREL_STANDIN_RECORD", record_.c_str());

  DeleteUserValue(kVantorelKey, L"explorer_menu");
  SetUserString(kVantorelKey, L"locale_code", L"en-US");
  DWORD size = sizeof(theme_);
  hadTheme_ = RegGetValueW(HKEY_CURRENT_USER, kPersonalizeKey, L"SystemUsesLightTheme", RRF_RT_REG_DWORD, nullptr,
                           &theme_, &size) == ERROR_SUCCESS;

  module_ = LoadLibraryW((serverDirectory_ + L"VantorelShell.dll").c_str());
  ASSERT_NE(module_, nullptr) << GetLastError();
  getClassObject_ = reinterpret_cast<GetClassObjectFunction>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
  canUnloadNow_ = reinterpret_cast<CanUnloadNowFunction>(reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
  ASSERT_NE(getClassObject_, nullptr);
  ASSERT_NE(canUnloadNow_, nullptr);
}

void ShellServer::TearDown() {
  // Every test must leave nothing alive, or Explorer could never unload us.
  if (canUnloadNow_ != nullptr) {
    EXPECT_EQ(canUnloadNow_(), S_OK) << "objects or locks left alive";
  }
  if (module_ != nullptr) FreeLibrary(module_);
  DeleteUserValue(kVantorelKey, L"explorer_menu");
  DeleteUserValue(kVantorelKey, L"locale_code");
  if (hadTheme_) {
    SetUserDword(kPersonalizeKey, L"SystemUsesLightTheme", theme_);
  } else {
    DeleteUserValue(kPersonalizeKey, L"SystemUsesLightTheme");
  }
  SetEnvironmentVariableW(L"VANTOREL_STANDIN_RECORD", nullptr);
  DeleteFileW(record_.c_str());
  RemoveTree(items_);
  RemoveTree(serverDirectory_);
  if (comReady_) CoUninitialize();
}

ComPtr<IExplorerCommand> ShellServer::CreateRoot() {
  ComPtr<IClassFactory> factory;
  ComPtr<IExplorerCommand> root;
  static const CLSID kClass = {0x57ab55cb, 0xb27d, 0x4d3b, {0x9e, 0x6e, 0x84, 0xcf, 0xc3, 0x39, 0x3b, 0x92}};
  EXPECT_EQ(getClassObject_(kClass, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())), S_OK);
  if (factory) {
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_PPV_ARGS(&root)), S_OK);
  }
  return root;
}

ComPtr<IShellItemArray> ShellServer::Selection(const std::vector<std::wstring>& paths) {
  ComPtr<IShellItemArray> array;
  if (paths.size() == 1) {
    ComPtr<IShellItem> item;
    if (FAILED(SHCreateItemFromParsingName(paths[0].c_str(), nullptr, IID_PPV_ARGS(&item)))) return nullptr;
    if (FAILED(SHCreateShellItemArrayFromShellItem(item.Get(), IID_PPV_ARGS(&array)))) return nullptr;
    return array;
  }
  std::vector<PIDLIST_ABSOLUTE> lists;
  for (const std::wstring& path : paths) {
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr))) lists.push_back(list);
  }
  if (lists.size() == paths.size()) {
    SHCreateShellItemArrayFromIDLists(static_cast<UINT>(lists.size()), const_cast<PCIDLIST_ABSOLUTE_ARRAY>(lists.data()),
                                      &array);
  }
  for (PIDLIST_ABSOLUTE list : lists) ILFree(list);
  return array;
}

ComPtr<IShellItemArray> ShellServer::EmptySelection() { return MakeEmptySelection(); }

ComPtr<IShellItemArray> ShellServer::ReportedSelection(const std::wstring& path, SFGAOF attributes) {
  return MakeReportedSelection(path, attributes);
}

ShellServer::Menu ShellServer::ShowMenu(IShellItemArray* items) {
  Menu menu;
  ComPtr<IExplorerCommand> root = CreateRoot();
  if (!root) return menu;
  EXPCMDSTATE state = ECS_DISABLED;
  EXPECT_EQ(root->GetState(items, FALSE, &state), S_OK);
  EXPECT_TRUE(state == ECS_ENABLED || state == ECS_HIDDEN) << state;
  menu.root = state == ECS_ENABLED;
  for (const ComPtr<IExplorerCommand>& tool : Tools()) {
    state = ECS_DISABLED;
    EXPECT_EQ(tool->GetState(items, TRUE, &state), S_OK);
    EXPECT_TRUE(state == ECS_ENABLED || state == ECS_HIDDEN) << state;
    menu.tools += state == ECS_ENABLED ? '1' : '0';
  }
  return menu;
}

std::vector<ComPtr<IExplorerCommand>> ShellServer::Tools() {
  std::vector<ComPtr<IExplorerCommand>> tools;
  ComPtr<IExplorerCommand> root = CreateRoot();
  ComPtr<IEnumExplorerCommand> enumerator;
  if (!root || FAILED(root->EnumSubCommands(&enumerator))) return tools;
  // Received straight into a ComPtr: MinGW's ComPtr::Attach adds a reference of its own.
  ComPtr<IExplorerCommand> command;
  while (enumerator->Next(1, &command, nullptr) == S_OK) tools.push_back(command);
  return tools;
}

void ShellServer::SetUserString(const wchar_t* key, const wchar_t* name, const std::wstring& text) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_SZ, text.c_str(),
                            static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

void ShellServer::SetUserDword(const wchar_t* key, const wchar_t* name, DWORD value) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof(value)), ERROR_SUCCESS);
}

void ShellServer::DeleteUserValue(const wchar_t* key, const wchar_t* name) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, key, name);
}

bool ShellServer::HostStarted() const { return GetFileAttributesW(record_.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ShellServer::RecordedCommandLine(DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    std::string bytes;
    // The host writes its command line, its directory and its show command, one line each.
    if (ReadWholeFile(record_, bytes) && std::count(bytes.begin(), bytes.end(), '\n') >= 3) {
      DeleteFileW(record_.c_str());
      const size_t showAt = bytes.find('\n', bytes.find('\n') + 1) + 1;
      recordedShow_ = bytes.substr(showAt, bytes.find('\n', showAt) - showAt);
      return FromUtf8(bytes.substr(0, bytes.find('\n')));
    }
    if (GetTickCount64() > deadline) return L"";
    Sleep(20);
  }
}

std::wstring TakeText(LPWSTR text) {
  if (text == nullptr) return L"<null>";
  std::wstring copy = text;
  CoTaskMemFree(text);
  return copy;
}

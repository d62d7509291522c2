// Shows, for each path on the command line, the Vantorel menu that Explorer
// would build from VantorelShell.dll: the same exports, factory and calls, on
// a real shell item. With --invoke it clicks one tool, as a user would.
//
//   shell-menu [--dll PATH] [--invoke TOOL] PATH...
//
// Several paths are also shown as one selection of all of them together.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "shell/server_class_id.h"

using Microsoft::WRL::ComPtr;

namespace {

void Print(const std::wstring& text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0, written = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleW(out, text.c_str(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), utf8.data(), bytes, nullptr, nullptr);
  WriteFile(out, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

std::wstring Hex(HRESULT result) {
  wchar_t text[16];
  swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(result));
  return text;
}

// A text the command hands out, or what it answered instead.
template <class Call>
std::wstring Text(Call call) {
  LPWSTR text = nullptr;
  const HRESULT result = call(&text);
  if (FAILED(result) || text == nullptr) return L"(none: " + Hex(result) + L")";
  std::wstring copy = text;
  CoTaskMemFree(text);
  return copy;
}

std::wstring State(IExplorerCommand* command, IShellItemArray* items) {
  EXPCMDSTATE state = ECS_HIDDEN;
  const HRESULT result = command->GetState(items, FALSE, &state);
  if (FAILED(result)) return L"error " + Hex(result);
  if (state == ECS_HIDDEN) return L"hidden";
  return state == ECS_ENABLED ? L"shown" : L"state " + std::to_wstring(state);
}

ComPtr<IShellItemArray> Selection(const std::vector<std::wstring>& paths) {
  ComPtr<IShellItemArray> array;
  if (paths.size() == 1) {
    ComPtr<IShellItem> item;
    if (SUCCEEDED(SHCreateItemFromParsingName(paths[0].c_str(), nullptr, IID_PPV_ARGS(&item)))) {
      SHCreateShellItemArrayFromShellItem(item.Get(), IID_PPV_ARGS(&array));
    }
    return array;
  }
  std::vector<PIDLIST_ABSOLUTE> lists;
  for (const std::wstring& path : paths) {
    PIDLIST_ABSOLUTE list = nullptr;
    if (SUCCEEDED(SHParseDisplayName(path.c_str(), nullptr, &list, 0, nullptr))) lists.push_back(list);
  }
  if (lists.size() == paths.size()) {
    SHCreateShellItemArrayFromIDLists(static_cast<UINT>(lists.size()),
                                      const_cast<PCIDLIST_ABSOLUTE_ARRAY>(lists.data()), &array);
  }
  for (PIDLIST_ABSOLUTE list : lists) ILFree(list);
  return array;
}

std::vector<ComPtr<IExplorerCommand>> Tools(IExplorerCommand* root) {
  std::vector<ComPtr<IExplorerCommand>> tools;
  ComPtr<IEnumExplorerCommand> enumerator;
  if (FAILED(root->EnumSubCommands(&enumerator))) return tools;
  ComPtr<IExplorerCommand> tool;
  while (enumerator->Next(1, &tool, nullptr) == S_OK) tools.push_back(tool);
  return tools;
}

void ShowMenu(IExplorerCommand* root, IShellItemArray* items, const std::wstring& heading) {
  Print(heading + L"\n");
  if (items == nullptr) Print(L"  (the shell made no item of this; Explorer would pass no selection)\n");
  Print(L"  " + Text([&](LPWSTR* t) { return root->GetTitle(items, t); }) + L"  [" + State(root, items) + L"]  icon " +
        Text([&](LPWSTR* t) { return root->GetIcon(items, t); }) + L"\n");
  int id = 0;
  for (const ComPtr<IExplorerCommand>& tool : Tools(root)) {
    Print(L"    " + std::to_wstring(id++) + L"  [" + State(tool.Get(), items) + L"]  " +
          Text([&](LPWSTR* t) { return tool->GetTitle(items, t); }) + L"\n       icon " +
          Text([&](LPWSTR* t) { return tool->GetIcon(items, t); }) + L"\n");
  }
}

std::wstring BesideThisProgram(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

int Usage() {
  Print(L"usage: shell-menu [--dll PATH] [--invoke TOOL] PATH...\n");
  return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring dll = BesideThisProgram(L"VantorelShell.dll");
  int invoke = -1;
  std::vector<std::wstring> paths;
  for (int i = 1; i < argc; ++i) {
    const std::wstring argument = argv[i];
    if (argument == L"--dll" && i + 1 < argc) {
      dll = argv[++i];
    } else if (argument == L"--invoke" && i + 1 < argc) {
      invoke = _wtoi(argv[++i]);
    } else {
      paths.push_back(argument);
    }
  }
  if (paths.empty()) return Usage();

  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  HMODULE module = LoadLibraryW(dll.c_str());
  if (module == nullptr) {
    Print(L"cannot load " + dll + L" (error " + std::to_wstring(GetLastError()) + L")\n");
    return 1;
  }
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject =
      reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  ComPtr<IClassFactory> factory;
  ComPtr<IExplorerCommand> root;
  HRESULT result = getClassObject == nullptr ? E_NOINTERFACE
                                             : getClassObject(kServerClassId, IID_IClassFactory,
                                                              reinterpret_cast<void**>(factory.GetAddressOf()));
  if (SUCCEEDED(result)) result = factory->CreateInstance(nullptr, IID_PPV_ARGS(&root));
  if (FAILED(result)) {
    Print(L"no command from " + dll + L": " + Hex(result) + L"\n");
    return 1;
  }

  for (const std::wstring& path : paths) {
    ComPtr<IShellItemArray> items = Selection({path});
    ShowMenu(root.Get(), items.Get(), path);
  }
  if (paths.size() > 1) {
    ComPtr<IShellItemArray> items = Selection(paths);
    ShowMenu(root.Get(), items.Get(), L"all " + std::to_wstring(paths.size()) + L" together");
  }

  int exitCode = 0;
  if (invoke >= 0) {
    std::vector<ComPtr<IExplorerCommand>> tools = Tools(root.Get());
    ComPtr<IShellItemArray> items = Selection({paths[0]});
    result = invoke < static_cast<int>(tools.size()) ? tools[invoke]->Invoke(items.Get(), nullptr) : E_INVALIDARG;
    Print(L"invoke tool " + std::to_wstring(invoke) + L" on " + paths[0] + L": " + Hex(result) + L"\n");
    exitCode = SUCCEEDED(result) ? 0 : 1;
  }
  root.Reset();
  factory.Reset();
  CoUninitialize();
  return exitCode;
}

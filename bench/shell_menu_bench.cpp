// One full Explorer menu build through VantorelShell.dll, in-process: the root
// command's state, title, icon and flags, the enumeration, and state, title,
// icon and flags of all seven tools. Beside it, in the same run and taking
// turns: the floor, only the platform calls such a build cannot avoid (the
// selection's shell calls, the three registry values and the icon file tests)
// made directly; and the same build over a recorded selection, an item array
// that answers from values recorded once from the real item, which leaves the
// extension's own work, the registry and the file tests. Installed icon files
// lie beside a copy of the DLL. Wine's registry lives in its server process,
// so the figures end with the time of one server round trip on this machine
// (an event's state queried) as the unit that the registry reads are made of.
//   shell_menu_bench.exe DLL HOST ROUNDS
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "common/host/host_executable.h"
#include "probe/core/run_clock.h"
#include "shell/server_class_id.h"
#include "shell/tool_table.h"
#include "tests/shell/reported_selection.h"

using Microsoft::WRL::ComPtr;

namespace {

double Now() {
  static const RunClock clock = StartRunClock();
  return SecondsSince(clock);
}

void Drop(LPWSTR text) { CoTaskMemFree(text); }

int visible = 0;  // kept so the work cannot be optimised away

void BuildMenu(IClassFactory* factory, IShellItemArray* items) {
  ComPtr<IExplorerCommand> root;
  factory->CreateInstance(nullptr, IID_PPV_ARGS(&root));
  EXPCMDSTATE state = ECS_HIDDEN;
  EXPCMDFLAGS flags = 0;
  LPWSTR text = nullptr;
  root->GetState(items, FALSE, &state);
  visible += state == ECS_ENABLED;
  root->GetTitle(items, &text), Drop(text);
  root->GetIcon(items, &text), Drop(text);
  root->GetFlags(&flags);
  ComPtr<IEnumExplorerCommand> tools;
  root->EnumSubCommands(&tools);
  IExplorerCommand* commands[7] = {};
  ULONG fetched = 0;
  tools->Next(7, commands, &fetched);
  for (ULONG i = 0; i < fetched; ++i) {
    commands[i]->GetState(items, FALSE, &state);
    visible += state == ECS_ENABLED;
    text = nullptr;
    commands[i]->GetTitle(items, &text), Drop(text);
    text = nullptr;
    commands[i]->GetIcon(items, &text), Drop(text);
    commands[i]->GetFlags(&flags);
    commands[i]->Release();
  }
}

void SelectionCalls(IShellItemArray* items) {
  DWORD count = 0;
  items->GetCount(&count);
  ComPtr<IShellItem> item;
  items->GetItemAt(0, &item);
  SFGAOF attributes = 0;
  item->GetAttributes(SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM, &attributes);
  LPWSTR path = nullptr;
  item->GetDisplayName(SIGDN_FILESYSPATH, &path);
  visible += path != nullptr;
  CoTaskMemFree(path);
}

void Floor(IShellItemArray* items, const std::wstring& assets) {
  wchar_t value[85];
  DWORD number = 0, size = 0;
  size = 16;
  RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kExplorerMenuValue, RRF_RT_REG_SZ, nullptr, value, &size);
  SelectionCalls(items);
  for (const wchar_t* verb : kToolVerbs) {
    SelectionCalls(items);
    size = sizeof(value);
    RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, kLocaleCodeValue, RRF_RT_REG_SZ, nullptr, value, &size);
    size = sizeof(number);
    RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                 L"SystemUsesLightTheme", RRF_RT_REG_DWORD, nullptr, &number, &size);
    visible += GetFileAttributesW((assets + verb + L"-light.ico").c_str()) != INVALID_FILE_ATTRIBUTES;
  }
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const int rounds = _wtoi(argv[3]);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring server = std::wstring(temp) + L"vantorel-menu-bench\\";
  const std::wstring assets = server + L"assets\\shell\\";
  CreateDirectoryW(server.c_str(), nullptr);
  CreateDirectoryW((server + L"assets").c_str(), nullptr);
  CreateDirectoryW(assets.c_str(), nullptr);
  CopyFileW(argv[1], (server + L"VantorelShell.dll").c_str(), FALSE);
  CopyFileW(argv[2], (server + kHostFileName).c_str(), FALSE);
  for (const wchar_t* verb : kToolVerbs) {
    for (const wchar_t* suffix : {L"-light.ico", L"-dark.ico"}) {
      CloseHandle(CreateFileW((assets + verb + suffix).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    }
  }
  const std::wstring script = server + L"run.ps1";
  CloseHandle(CreateFileW(script.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

  HMODULE module = LoadLibraryW((server + L"VantorelShell.dll").c_str());
  if (module == nullptr) return 3;
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  auto getClassObject =
      reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
  ComPtr<IClassFactory> factory;
  if (getClassObject == nullptr ||
      FAILED(getClassObject(kServerClassId, IID_IClassFactory, reinterpret_cast<void**>(factory.GetAddressOf())))) {
    return 3;
  }

  struct Selected {
    const wchar_t* name;
    std::wstring path;
  } selections[] = {{L"script file", script}, {L"folder", server}};
  std::printf("%-12s %14s %12s %12s %16s %10s\n", "selection", "menu build us", "floor us", "build/floor",
              "recorded sel. us", "rec./1ms");
  for (Selected& selected : selections) {
    if (selected.path.back() == L'\\') selected.path.pop_back();
    ComPtr<IShellItem> item;
    ComPtr<IShellItemArray> items;
    if (FAILED(SHCreateItemFromParsingName(selected.path.c_str(), nullptr, IID_PPV_ARGS(&item))) ||
        FAILED(SHCreateShellItemArrayFromShellItem(item.Get(), IID_PPV_ARGS(&items)))) {
      return 4;
    }
    // The item as the shell reported it, answered again without the shell.
    SFGAOF attributes = 0;
    item->GetAttributes(SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM, &attributes);
    LPWSTR path = nullptr;
    item->GetDisplayName(SIGDN_FILESYSPATH, &path);
    const ComPtr<IShellItemArray> recorded = MakeReportedSelection(path != nullptr ? path : L"", attributes);
    CoTaskMemFree(path);
    for (int i = 0; i < 20; ++i) {  // warm up
      BuildMenu(factory.Get(), items.Get());
      Floor(items.Get(), assets);
      BuildMenu(factory.Get(), recorded.Get());
    }
    std::vector<double> build, floor, replayed;
    for (int round = 0; round < rounds; ++round) {
      double started = Now();
      BuildMenu(factory.Get(), items.Get());
      build.push_back(Now() - started);
      started = Now();
      Floor(items.Get(), assets);
      floor.push_back(Now() - started);
      started = Now();
      BuildMenu(factory.Get(), recorded.Get());
      replayed.push_back(Now() - started);
    }
    const double b = Median(build) * 1e6, f = Median(floor) * 1e6, r = Median(replayed) * 1e6;
    // A time the clock did not see is said, not divided by.
    if (b <= 0 || f <= 0 || r <= 0) {
      std::fprintf(stderr, "%ls: no time measured for the %s\n", selected.name,
                   b <= 0 ? "menu build" : f <= 0 ? "floor" : "build over the recorded selection");
      return 1;
    }
    std::printf("%-12ls %14.1f %12.1f %12.2f %16.1f %10.3f\n", selected.name, b, f, b / f, r, r / 1000.0);
  }
  HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::vector<double> trips;
  for (int round = 0; round < rounds; ++round) {
    const double started = Now();
    for (int i = 0; i < 100; ++i) WaitForSingleObject(event, 0);
    trips.push_back((Now() - started) / 100);
  }
  CloseHandle(event);
  if (Median(trips) <= 0) {
    std::fprintf(stderr, "no time measured for a Wine server round trip\n");
    return 1;
  }
  std::printf("one Wine server round trip: %.1f us; %d builds per figure, medians (%d seen visible)\n",
              Median(trips) * 1e6, rounds, visible > 0 ? 1 : 0);

  factory.Reset();
  FreeLibrary(module);
  for (const wchar_t* verb : kToolVerbs) {
    for (const wchar_t* suffix : {L"-light.ico", L"-dark.ico"}) DeleteFileW((assets + verb + suffix).c_str());
  }
  DeleteFileW(script.c_str());
  DeleteFileW((server + L"VantorelShell.dll").c_str());
  DeleteFileW((server + kHostFileName).c_str());
  RemoveDirectoryW(assets.c_str());
  RemoveDirectoryW((server + L"assets").c_str());
  RemoveDirectoryW(server.c_str());
  CoUninitialize();
  return 0;
}

#include "common/host/host_executable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/probe_process.h"

namespace {

// Catches a wrong cut of the module path, or a cut at "/" where only "\" counts.
TEST(HostBesideModule, TakesTheModulesDirectory) {
  // A module path of 519 units is accepted; so is a result of 519 units, not one of 520.
  const std::wstring module519 = L"C:\\Apps\\" + std::wstring(507, L'n') + L".dll";
  const std::wstring deep503 = L"C:\\" + std::wstring(503, L'd');
  const std::wstring deep504 = deep503 + L'd';
  struct Case {
    std::wstring module;
    CallerKind kind;
    std::wstring host;
  } cases[] = {
      {L"C:\\Tools\\vantorel-cli.exe", CallerKind::Program, L"C:\\Tools\\Vantorel.exe"},
      {L"C:/Tools/sub/vantorel-cli.exe", CallerKind::Program, L"C:/Tools/sub/Vantorel.exe"},
      {L"\\\\?\\C:\\a b\\vantorel-cli.exe", CallerKind::Program, L"\\\\?\\C:\\a b\\Vantorel.exe"},
      {L"vantorel-cli.exe", CallerKind::Program, L""},
      {L"", CallerKind::Program, L""},
      {L"C:\\Apps\\VantorelShell.dll", CallerKind::Library, L"C:\\Apps\\Vantorel.exe"},
      {L"C:/Apps/VantorelShell.dll", CallerKind::Library, L""},
      {module519, CallerKind::Library, L"C:\\Apps\\Vantorel.exe"},
      {module519 + L"x", CallerKind::Library, L""},
      {deep503 + L"\\s.dll", CallerKind::Library, deep503 + L"\\Vantorel.exe"},
      {deep504 + L"\\s.dll", CallerKind::Library, L""},
      {deep504 + L"\\s.dll", CallerKind::Program, deep504 + L"\\Vantorel.exe"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.module.size() << " " << static_cast<int>(c.kind));
    EXPECT_EQ(HostBesideModule(c.module, c.kind), c.host);
  }
}

// Catches the alias being ignored when present, or taken when its file is missing.
TEST(FindHostExecutable, PrefersAnExistingPerUserAlias) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring localAppData = std::wstring(temp) + L"vantorel-alias-test";
  const std::wstring apps = localAppData + L"\\Microsoft\\WindowsApps";
  wchar_t saved[32768] = {};
  const DWORD savedLength = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, 32768);
  SetEnvironmentVariableW(L"LOCALAPPDATA", localAppData.c_str());

  EXPECT_EQ(FindHostExecutable(CallerKind::Program), BesideThisProgram(L"Vantorel.exe"));

  CreateDirectoryW(localAppData.c_str(), nullptr);
  CreateDirectoryW((localAppData + L"\\Microsoft").c_str(), nullptr);
  CreateDirectoryW(apps.c_str(), nullptr);
  const std::wstring alias = apps + L"\\vantorel.exe";
  HANDLE file = CreateFileW(alias.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  EXPECT_EQ(FindHostExecutable(CallerKind::Program), alias);
  EXPECT_EQ(FindHostExecutable(CallerKind::Library), alias);

  DeleteFileW(alias.c_str());
  RemoveDirectoryW(apps.c_str());
  RemoveDirectoryW((localAppData + L"\\Microsoft").c_str());
  RemoveDirectoryW(localAppData.c_str());
  SetEnvironmentVariableW(L"LOCALAPPDATA", savedLength > 0 ? saved : nullptr);
}

// Makes every folder of path that is missing; components stay short, the path may not.
bool MakeFolders(const std::wstring& path, std::vector<std::wstring>& made) {
  for (size_t at = path.find(L'\\', 3);; at = path.find(L'\\', at + 1)) {
    const std::wstring folder = at == std::wstring::npos ? path : path.substr(0, at);
    if (CreateDirectoryW(folder.c_str(), nullptr)) {
      made.push_back(folder);
    } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
      return false;
    }
    if (at == std::wstring::npos) return true;
  }
}

// Catches an alias path cut one unit short or one unit long: the alias is
// taken while it fits the 520-unit buffer with its terminator (519 units) and
// passed over at 520 units, where the expansion no longer fits, even though
// the file is there.
TEST(FindHostExecutable, TakesAnAliasThatFillsTheBufferExactly) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  wchar_t saved[32768] = {};
  const DWORD savedLength = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, 32768);
  const std::wstring tail = L"\\Microsoft\\WindowsApps\\vantorel.exe";
  const struct Case {
    size_t aliasUnits;
    bool taken;
  } cases[] = {{519, true}, {520, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "alias of " << c.aliasUnits << " units");
    // A LOCALAPPDATA of exactly the length that makes the alias this long.
    std::wstring localAppData = std::wstring(temp) + L"vantorel-alias-" + std::to_wstring(c.aliasUnits);
    const size_t wanted = c.aliasUnits - tail.size();
    while (wanted - localAppData.size() > 201) localAppData += L"\\" + std::wstring(200, L'p');
    ASSERT_GE(wanted - localAppData.size(), 2u);
    localAppData += L"\\" + std::wstring(wanted - localAppData.size() - 1, L'q');
    ASSERT_EQ(localAppData.size() + tail.size(), c.aliasUnits);
    const std::wstring alias = localAppData + tail;
    std::vector<std::wstring> made;
    ASSERT_TRUE(MakeFolders(alias.substr(0, alias.rfind(L'\\')), made)) << GetLastError();
    HANDLE file = CreateFileW(alias.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(file);
    SetEnvironmentVariableW(L"LOCALAPPDATA", localAppData.c_str());

    const std::wstring expected = c.taken ? alias : BesideThisProgram(L"Vantorel.exe");
    EXPECT_EQ(FindHostExecutable(CallerKind::Program), expected);
    EXPECT_EQ(FindHostExecutable(CallerKind::Library), expected);

    SetEnvironmentVariableW(L"LOCALAPPDATA", savedLength > 0 ? saved : nullptr);
    DeleteFileW(alias.c_str());
    for (auto folder = made.rbegin(); folder != made.rend(); ++folder) RemoveDirectoryW(folder->c_str());
  }
}

}  // namespace

#include "common/host/host_executable.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace

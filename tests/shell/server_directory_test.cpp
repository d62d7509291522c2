#include "shell/server_directory.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/icon_path.h"
#include "shell/launch_host.h"
#include "tests/support/probe_process.h"

namespace {

// Catches a cut module name taken for a directory, a cut at the wrong
// separator, and an icon path that silently loses its end.
TEST(ServerPath, DirectoryIsCutAfterTheLastBackslash) {
  const std::wstring name519 = L"C:\\" + std::wstring(510, L'd') + L"\\x.dll";
  struct Case {
    std::wstring name;
    DWORD length;
    bool ok;
    std::wstring directory;
  } cases[] = {
      {L"C:\\Apps\\VantorelShell.dll", 25, true, L"C:\\Apps\\"},
      {L"C:\\VantorelShell.dll", 20, true, L"C:\\"},
      {L"C:/Apps/VantorelShell.dll", 25, false, L""},
      {L"VantorelShell.dll", 17, false, L""},
      {L"", 0, false, L""},
      {name519, 519, true, name519.substr(0, 514)},
      {name519 + L"x", 520, false, L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "length " << c.length);
    ASSERT_EQ(c.name.size(), c.length);
    ServerPath path;
    EXPECT_EQ(CutToDirectory(c.name.c_str(), c.length, path), c.ok);
    EXPECT_EQ(std::wstring(path.text), c.directory);
  }
}

TEST(ServerPath, AppendsFitWithTheirTerminatorOrFailWhole) {
  ServerPath path;
  const std::wstring directory = L"C:\\" + std::wstring(500, L'd') + L"\\";  // 504 units
  ASSERT_TRUE(CutToDirectory(directory.c_str(), static_cast<DWORD>(directory.size()), path));
  EXPECT_TRUE(AppendToServerPath(path, L"0123456789"));        // 514
  EXPECT_FALSE(AppendToServerPath(path, L"0123456"));          // 521 > 519
  EXPECT_EQ(std::wstring(path.text), directory + L"0123456789");
  EXPECT_TRUE(AppendToServerPath(path, L"01234"));             // 519 and the terminator
  EXPECT_FALSE(AppendToServerPath(path, L"x"));
  EXPECT_EQ(std::wstring(path.text).size(), 519u);
}

// Catches a wrong verb, missing quotes, or trailing backslashes that escape
// the closing quote so the host would read a different path.
TEST(FileParameters, QuoteThePathAndDoubleItsTrailingBackslashes) {
  struct Case {
    int tool;
    const wchar_t* path;
    const wchar_t* parameters;
  } cases[] = {
      {0, L"C:\\Docs\\report.docx", L"--file who_uses \"C:\\Docs\\report.docx\""},
      {4, L"C:\\My Folder", L"--file repair_file_folder_permissions \"C:\\My Folder\""},
      {3, L"C:\\dir\\", L"--file unlock_file_folder \"C:\\dir\\\\\""},
      {5, L"C:\\dir\\\\", L"--file force_delete_file_folder \"C:\\dir\\\\\\\\\""},
      {6, L"C:\\a\\\\b.ps1", L"--file move_to_kestrix \"C:\\a\\\\b.ps1\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)));
    EXPECT_EQ(FileParameters(c.tool, c.path), c.parameters);
  }
}

// Catches a failed launch reported to Explorer as success because the error
// code was 0, and errors mapped outside the Win32 facility.
TEST(LaunchResult, MapsTheLastErrorToAnHresult) {
  struct Case {
    BOOL launched;
    DWORD error;
    HRESULT result;
  } cases[] = {
      {TRUE, ERROR_SUCCESS, S_OK},
      {TRUE, ERROR_FILE_NOT_FOUND, S_OK},
      {FALSE, ERROR_CANCELLED, static_cast<HRESULT>(0x800704C7)},
      {FALSE, ERROR_FILE_NOT_FOUND, static_cast<HRESULT>(0x80070002)},
      {FALSE, ERROR_SUCCESS, E_FAIL},
      {FALSE, static_cast<DWORD>(E_ACCESSDENIED), E_ACCESSDENIED},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.launched << " " << c.error);
    EXPECT_EQ(LaunchResult(c.launched, c.error), c.result);
  }
}

// What the launch asked the system to start, field by field.
struct SeenLaunch {
  int calls = 0;
  DWORD size = 0;
  ULONG mask = 0;
  HWND window = reinterpret_cast<HWND>(1);
  bool verb = true;
  std::wstring file, parameters;
  bool directory = true;
  int show = -1;
};
SeenLaunch seen;
BOOL launchAnswer = TRUE;
DWORD launchError = ERROR_SUCCESS;

BOOL WINAPI WatchLaunch(SHELLEXECUTEINFOW* launch) {
  ++seen.calls;
  seen.size = launch->cbSize;
  seen.mask = launch->fMask;
  seen.window = launch->hwnd;
  seen.verb = launch->lpVerb != nullptr;
  seen.file = launch->lpFile != nullptr ? launch->lpFile : L"<null>";
  seen.parameters = launch->lpParameters != nullptr ? launch->lpParameters : L"<null>";
  seen.directory = launch->lpDirectory != nullptr;
  seen.show = launch->nShow;
  SetLastError(launchError);
  return launchAnswer;
}

// Catches a host started hidden, without waiting for the start to finish
// (Explorer may end the thread right after), or with the system's error box
// on failure; a failed start reported as anything but its error; and a start
// attempted when no host path can be built.
TEST(LaunchHost, StartsTheHostShownAndSynchronouslyWithoutUi) {
  const struct Case {
    const char* name;
    HMODULE server;  // nullptr: this program stands for the server
    BOOL answer;
    DWORD error;
    HRESULT result;
    int calls;
  } cases[] = {
      {"started", nullptr, TRUE, ERROR_SUCCESS, S_OK, 1},
      {"consent refused", nullptr, FALSE, ERROR_CANCELLED, HRESULT_FROM_WIN32(ERROR_CANCELLED), 1},
      {"no host path", reinterpret_cast<HMODULE>(0x10), TRUE, ERROR_SUCCESS, E_FAIL, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    seen = SeenLaunch{};
    launchAnswer = c.answer;
    launchError = c.error;
    SetServerModule(c.server);
    EXPECT_EQ(LaunchHostForPath(2, L"C:\\Docs\\a b.txt", WatchLaunch), c.result);
    SetServerModule(nullptr);
    ASSERT_EQ(seen.calls, c.calls);
    if (c.calls == 0) continue;
    EXPECT_EQ(seen.size, sizeof(SHELLEXECUTEINFOW));
    EXPECT_EQ(seen.mask, static_cast<ULONG>(SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI));
    EXPECT_EQ(seen.window, nullptr);
    EXPECT_FALSE(seen.verb) << "the default verb";
    EXPECT_EQ(seen.file, BesideThisProgram(L"Vantorel.exe"));
    EXPECT_EQ(seen.parameters, L"--file file_hash \"C:\\Docs\\a b.txt\"");
    EXPECT_FALSE(seen.directory);
    EXPECT_EQ(seen.show, SW_SHOWNORMAL);
  }
}

}  // namespace

#include "shell/server_directory.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/icon_path.h"
#include "shell/launch_host.h"

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

}  // namespace

#include "shell/accepted_path.h"

#include <gtest/gtest.h>

#include <string>

#include "shell/selection.h"
#include "shell/tool_rules.h"

namespace {

// Catches an off-by-one at either length limit and any path form that would
// reach the host although it is not a plain path on a drive letter.
TEST(IsAcceptedPath, AcceptsOnlyPlainDriveLetterPaths) {
  const std::wstring longest = L"C:\\" + std::wstring(kMaxAcceptedPath - 3, L'a');
  struct Case {
    std::wstring path;
    bool accepted;
  } cases[] = {
      {L"C:\\a", true},
      {L"z:\\Some Folder\\file.txt", true},
      {L"C:\\dir\\", true},
      {L"C:\\dir\\\\\\", true},
      {L"C:\\Grüße\\日本.txt", true},
      {longest, true},
      {longest + L"a", false},
      {L"C:\\", false},
      {L"C:", false},
      {L"", false},
      {L"C:a\\b", false},
      {L"C:\\\\a", false},
      {L"\\\\server\\share\\file", false},
      {L"\\\\?\\C:\\file", false},
      {L"\\\\.\\PhysicalDrive0", false},
      {L"1:\\file", false},
      {L"\u00c4:\\file", false},
      {L"C:\\say \"hi\".txt", false},
      {L"C:\\file\"", false},
      {L"C:\\file.txt:stream", false},
      {L"C:\\dir\\a:b", false},
      {L"C::\\file", false},
      {L"C:\\:", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.path.substr(0, 40)) + " length " + std::to_string(c.path.size()));
    EXPECT_EQ(IsAcceptedPath(c.path.c_str()), c.accepted);
  }
  EXPECT_FALSE(IsAcceptedPath(nullptr));
}

// Catches a file-only tool offered for a folder, Kestrix offered for a file
// that is no script, or an extension taken from a folder name.
TEST(ToolOffered, FollowsFileOnlyAndScriptRules) {
  struct Case {
    const wchar_t* path;
    bool plainFolder;
    const char* offered;  // one digit per tool id 0 to 6
  } cases[] = {
      {L"C:\\Some Folder", true, "1001110"},
      {L"C:\\Scripts.ps1", true, "1001110"},
      {L"C:\\run.PS1", false, "1111111"},
      {L"C:\\a.bat", false, "1111111"},
      {L"C:\\a.Cmd", false, "1111111"},
      {L"C:\\a.vbs", false, "1111111"},
      {L"C:\\notes.txt", false, "1111110"},
      {L"C:\\archive.zip", false, "1111110"},
      {L"C:\\a.ps1.txt", false, "1111110"},
      {L"C:\\a.ps", false, "1111110"},
      {L"C:\\a.ps1x", false, "1111110"},
      {L"C:\\dir.ps1\\readme", false, "1111110"},
      {L"C:\\.bat", false, "1111111"},
      {L"C:\\noextension", false, "1111110"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.path)) + (c.plainFolder ? " folder" : " file"));
    std::string offered;
    for (int tool = 0; tool < 7; ++tool) offered += ToolOffered(tool, c.plainFolder, c.path) ? '1' : '0';
    EXPECT_EQ(offered, c.offered);
  }
  EXPECT_FALSE(ToolOffered(-1, false, L"C:\\a.txt"));
  EXPECT_FALSE(ToolOffered(7, false, L"C:\\a.txt"));
}

// Catches a compressed folder file (folder and stream at once, as Windows
// reports a .zip) losing the file-only tools.
TEST(IsPlainFolder, OnlyAFolderThatIsNoStream) {
  struct Case {
    SFGAOF attributes;
    bool plain;
  } cases[] = {
      {SFGAO_FILESYSTEM | SFGAO_FOLDER, true},
      {SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM, false},
      {SFGAO_FILESYSTEM | SFGAO_STREAM, false},
      {SFGAO_FILESYSTEM, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.attributes);
    EXPECT_EQ(IsPlainFolder(c.attributes), c.plain);
  }
}

}  // namespace

// A click on a tool: the stand-in host beside the server records the command
// line it was started with, and the host's own splitting must give back the
// verb and the path exactly.
#include <gtest/gtest.h>

#include "shell/launch_host.h"
#include "shell/server_directory.h"
#include "tests/shell/shell_server.h"
#include "tests/support/probe_process.h"
#include "tests/support/utf8.h"

namespace {

const wchar_t* const kVerbs[] = {L"who_uses", L"file_versions", L"file_hash", L"unlock_file_folder",
                                 L"repair_file_folder_permissions", L"force_delete_file_folder", L"move_to_kestrix"};

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

using ShellInvoke = ShellServer;

// Catches a wrong verb for a tool id, a path altered on its way (quotes,
// spaces, non-ASCII text) and a host other than the one beside the server.
TEST_F(ShellInvoke, EachToolStartsTheHostWithItsVerbAndThePath) {
  std::vector<ComPtr<IExplorerCommand>> tools = Tools();
  ASSERT_EQ(tools.size(), 7u);
  struct Case {
    int tool;
    std::wstring path;
  } cases[] = {
      {0, script_}, {1, script_}, {2, script_}, {3, script_}, {4, script_}, {5, script_}, {6, script_},
      {6, foreign_}, {3, folder_}, {0, zip_},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.tool << " " << ToUtf8(c.path));
    ComPtr<IShellItemArray> items = Selection({c.path});
    ASSERT_TRUE(items);
    ASSERT_EQ(tools[c.tool]->Invoke(items.Get(), nullptr), S_OK);
    const std::wstring commandLine = RecordedCommandLine();
    const std::vector<std::wstring> argv = SplitCommandLine(commandLine);
    ASSERT_EQ(argv.size(), 4u) << ToUtf8(commandLine);
    EXPECT_TRUE(SamePath(argv[0], serverDirectory_ + L"Vantorel.exe")) << ToUtf8(argv[0]);
    EXPECT_EQ(RecordedShow(), "show 1") << "the host's window is shown normally";
    EXPECT_EQ(argv[1], L"--file");
    EXPECT_EQ(argv[2], kVerbs[c.tool]);
    EXPECT_EQ(argv[3], c.path);
    // The host may read its raw command line too: the path stands in quotes.
    const std::wstring tail = std::wstring(L" --file ") + kVerbs[c.tool] + L" \"" + c.path + L"\"";
    EXPECT_EQ(commandLine.substr(commandLine.size() - std::min(commandLine.size(), tail.size())), tail);
  }
}

// Catches a launch for a selection the menu would never show.
TEST_F(ShellInvoke, NoSingleAcceptedItemStartsNothing) {
  std::vector<ComPtr<IExplorerCommand>> tools = Tools();
  ASSERT_EQ(tools.size(), 7u);
  ComPtr<IShellItemArray> two = Selection({text_, script_});
  ComPtr<IShellItemArray> root = Selection({L"C:\\"});
  ASSERT_TRUE(two);
  ASSERT_TRUE(root);
  EXPECT_EQ(tools[0]->Invoke(nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(tools[0]->Invoke(two.Get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(tools[3]->Invoke(root.Get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(tools[0]->Invoke(EmptySelection().Get(), nullptr), E_INVALIDARG);
  Sleep(500);
  EXPECT_FALSE(HostStarted());
}

// Catches a missing host reported as success, or the failure taken from
// anything but the launch's own error.
TEST_F(ShellInvoke, AMissingHostIsTheLaunchsErrorAsAnHresult) {
  ASSERT_TRUE(DeleteFileW((serverDirectory_ + L"Vantorel.exe").c_str()));
  std::vector<ComPtr<IExplorerCommand>> tools = Tools();
  ASSERT_EQ(tools.size(), 7u);
  ComPtr<IShellItemArray> items = Selection({text_});
  ASSERT_TRUE(items);
  const HRESULT result = tools[0]->Invoke(items.Get(), nullptr);
  EXPECT_TRUE(FAILED(result));
  EXPECT_EQ(HRESULT_FACILITY(result), FACILITY_WIN32) << std::hex << result;
  EXPECT_EQ(result, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) << std::hex << result;
}

// Catches the per-user alias ignored while a host lies beside the server.
TEST_F(ShellInvoke, TheApplicationAliasIsLaunchedWhenItExists) {
  wchar_t saved[32768] = {};
  const DWORD savedLength = GetEnvironmentVariableW(L"LOCALAPPDATA", saved, 32768);
  const std::wstring localAppData = items_ + L"LocalAppData";
  const std::wstring apps = localAppData + L"\\Microsoft\\WindowsApps";
  ASSERT_TRUE(CreateDirectoryW(localAppData.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((localAppData + L"\\Microsoft").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(apps.c_str(), nullptr));
  const std::wstring alias = apps + L"\\vantorel.exe";
  ASSERT_TRUE(CopyFileW(BesideThisProgram(L"Vantorel.exe").c_str(), alias.c_str(), FALSE));
  SetEnvironmentVariableW(L"LOCALAPPDATA", localAppData.c_str());

  std::vector<ComPtr<IExplorerCommand>> tools = Tools();
  ComPtr<IShellItemArray> items = Selection({text_});
  ASSERT_EQ(tools.size(), 7u);
  ASSERT_TRUE(items);
  const HRESULT result = tools[2]->Invoke(items.Get(), nullptr);
  const std::vector<std::wstring> argv = SplitCommandLine(RecordedCommandLine());
  SetEnvironmentVariableW(L"LOCALAPPDATA", savedLength > 0 ? saved : nullptr);

  EXPECT_EQ(result, S_OK);
  ASSERT_EQ(argv.size(), 4u);
  EXPECT_TRUE(SamePath(argv[0], alias)) << ToUtf8(argv[0]);
  EXPECT_EQ(argv[2], L"file_hash");
  EXPECT_EQ(argv[3], text_);
}

// Catches trailing backslashes that escape the closing quote: with one
// backslash added for any number of them, two or more came back wrong (or
// swallowed the quote), and paths the menu refuses must start nothing.
TEST_F(ShellInvoke, PathsEndingInBackslashesReachTheHostIntact) {
  // Called directly: the shell never hands such paths over for one item. The
  // server here is this test program, and the stand-in host lies beside it.
  SetServerModule(GetModuleHandleW(nullptr));
  for (const std::wstring& path : {items_ + L"a\\", items_ + L"a\\\\", items_ + L"a\\\\\\",
                                   items_ + L"\u00e9t\u00e9 \u65e5\\\\", items_ + L"b c"}) {
    SCOPED_TRACE(ToUtf8(path));
    ASSERT_EQ(LaunchHostForPath(4, path.c_str()), S_OK);
    const std::vector<std::wstring> argv = SplitCommandLine(RecordedCommandLine());
    ASSERT_EQ(argv.size(), 4u);
    EXPECT_TRUE(SamePath(argv[0], BesideThisProgram(L"Vantorel.exe"))) << ToUtf8(argv[0]);
    EXPECT_EQ(argv[2], L"repair_file_folder_permissions");
    EXPECT_EQ(argv[3], path);
  }
  for (const wchar_t* refused : {L"C:\\", L"\\\\server\\share\\file", L"\\\\?\\C:\\file", L"C:\\file.txt:stream",
                                 L"C:\\say \"hi\".txt"}) {
    SCOPED_TRACE(ToUtf8(refused));
    EXPECT_EQ(LaunchHostForPath(0, refused), E_INVALIDARG);
  }
  EXPECT_EQ(LaunchHostForPath(7, script_.c_str()), E_INVALIDARG);
  Sleep(500);
  EXPECT_FALSE(HostStarted());
}

}  // namespace

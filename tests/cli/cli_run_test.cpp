// vantorel-cli end to end: started with its output redirected, it launches the
// stand-in host "Vantorel.exe" that lies beside it, which follows a script.
#include <gtest/gtest.h>
#include <windows.h>
#include <sddl.h>

#include <functional>
#include <regex>
#include <set>
#include <string>
#include <thread>

#include "cli/cli_text_table.h"
#include "common/host/host_executable.h"
#include "tests/support/probe_process.h"
#include "tests/support/test_guard.h"
#include "tests/support/unique_handle.h"
#include "tests/support/utf8.h"
#include "tests/support/whole_file.h"
#include "tools/standin_host/host_messages.h"

namespace {

std::wstring TempPath(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

struct ProgramRun {
  DWORD exitCode = STILL_ACTIVE;
  std::string output;
};

// Starts program with its standard output on a pipe, the way a shell redirects
// it. alongside, when given, runs on a thread of its own with the program's
// process and main thread while the output is read.
ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments, const std::wstring& directory = L"",
                      const std::function<void(HANDLE, HANDLE)>& alongside = nullptr) {
  ProgramRun run;
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return run;
  UniqueHandle read(readEnd), write(writeEnd);
  SetHandleInformation(read.Get(), HANDLE_FLAG_INHERIT, 0);
  UniqueHandle nul(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));

  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.Get();
  startup.hStdOutput = write.Get();
  startup.hStdError = write.Get();
  std::wstring commandLine = L"\"" + program + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &process)) {
    ADD_FAILURE() << "CreateProcessW failed with " << GetLastError();
    return run;
  }
  UniqueHandle mainThread(process.hThread);
  UniqueHandle child(process.hProcess);
  write.Reset();
  std::thread beside;
  if (alongside) beside = std::thread(alongside, child.Get(), mainThread.Get());
  char chunk[65536];
  DWORD got = 0;
  {
    // Bounded by the program itself: the CLI gives the host 120 s to connect.
    WaitingFor waiting("the end of the CLI's output");
    while (ReadFile(read.Get(), chunk, sizeof(chunk), &got, nullptr) && got > 0) run.output.append(chunk, got);
  }
  if (beside.joinable()) beside.join();
  if (WaitForSingleObject(child.Get(), 60000) != WAIT_OBJECT_0) {
    ADD_FAILURE() << "the CLI did not end within 60 s of closing its output";
    TerminateProcess(child.Get(), 255);
  }
  GetExitCodeProcess(child.Get(), &run.exitCode);
  return run;
}

// What any process of the user's can do to a CLI it may open: look through the
// CLI's handles for its pipe and read the name off it. Empty when none is found.
std::wstring FindPipePath(HANDLE cli) {
  for (ULONG_PTR value = 4; value < 0x400; value += 4) {
    HANDLE copy = nullptr;
    if (!DuplicateHandle(cli, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
      continue;
    }
    UniqueHandle own(copy);
    if (GetFileType(copy) != FILE_TYPE_PIPE) continue;
    alignas(FILE_NAME_INFO) unsigned char buffer[sizeof(FILE_NAME_INFO) + 512 * sizeof(wchar_t)] = {};
    FILE_NAME_INFO* info = reinterpret_cast<FILE_NAME_INFO*>(buffer);
    if (!GetFileInformationByHandleEx(copy, FileNameInfo, info, sizeof(buffer) - sizeof(wchar_t))) continue;
    const std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
    if (name.rfind(L"\\VantorelCli-", 0) == 0) return L"\\\\.\\pipe" + name;
  }
  return L"";
}

// A client that is not the host: it opens the CLI's pipe as soon as it has
// found it, or once the host is running, and writes an output and an exit
// message of its own. To come first even on a loaded machine, it does what
// any process of the user's may do to the CLI: it holds the CLI's main thread
// between short slices while it looks for the pipe, and lets it go on once it
// has connected.
struct Rogue {
  bool afterHostStarted = false;
  bool connected = false;
  bool hostStartedWhenConnected = false;
};

void PlayRogue(HANDLE cli, HANDLE cliThread, Rogue& rogue, const std::function<bool()>& hostStarted) {
  const ULONGLONG deadline = GetTickCount64() + 30000;
  std::wstring path;
  while (GetTickCount64() < deadline && WaitForSingleObject(cli, 0) == WAIT_TIMEOUT) {
    if (!rogue.afterHostStarted) SuspendThread(cliThread);
    path = FindPipePath(cli);
    if (!path.empty()) break;
    if (!rogue.afterHostStarted) ResumeThread(cliThread);
  }
  if (path.empty()) return;
  while (rogue.afterHostStarted && !hostStarted() && GetTickCount64() < deadline) Sleep(5);
  UniqueHandle pipe(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!rogue.afterHostStarted) ResumeThread(cliThread);
  if (!pipe) return;
  rogue.hostStartedWhenConnected = hostStarted();
  rogue.connected = true;
  const std::string stream = Message('O', "rogue\n") + Message('X', "0");
  DWORD written = 0;
  WriteFile(pipe.Get(), stream.data(), static_cast<DWORD>(stream.size()), &written, nullptr);
  // Held, as a rogue keeps the single instance from the host.
  WaitForSingleObject(cli, 30000);
}

// The SID of this process's user as text ("S-1-5-21-...").
std::wstring CurrentUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
  UniqueHandle own(token);
  unsigned char buffer[256];
  DWORD size = 0;
  if (!GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &size)) return L"";
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) return L"";
  const std::wstring sid = text;
  LocalFree(text);
  return sid;
}

class CliRun : public ::testing::Test {
 protected:
  void SetUp() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kLocaleCodeValue);
    DeleteFileW(record_.c_str());
    SetEnvironmentVariableW(L"VANTOREL_STANDIN_RECORD", record_.c_str());
    SetEnvironmentVariableW(L"VANTOREL_STANDIN_SCRIPT", nullptr);
  }
  void TearDown() override {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kLocaleCodeValue);
    SetEnvironmentVariableW(L"VANTOREL_STANDIN_RECORD", nullptr);
    SetEnvironmentVariableW(L"VANTOREL_STANDIN_SCRIPT", nullptr);
    DeleteFileW(script_.c_str());
    DeleteFileW(record_.c_str());
  }

  void Script(const std::string& text) {
    ASSERT_TRUE(WriteWholeFile(script_, text));
    SetEnvironmentVariableW(L"VANTOREL_STANDIN_SCRIPT", script_.c_str());
  }
  ProgramRun Cli(const std::wstring& arguments, const std::wstring& directory = L"") {
    return RunProgram(BesideThisProgram(L"vantorel-cli.exe"), arguments, directory);
  }
  bool HostStarted() { return GetFileAttributesW(record_.c_str()) != INVALID_FILE_ATTRIBUTES; }
  void ForgetHost() { DeleteFileW(record_.c_str()); }
  std::string Recorded() {
    std::string bytes;
    ReadWholeFile(record_, bytes);
    return bytes;
  }

  static std::string Line(const wchar_t* text) { return ToUtf8(text) + "\n"; }
  const CliTextRow& english_ = kCliTextTable[0];

 private:
  std::wstring script_ = TempPath(L"vantorel-standin-script.txt");
  std::wstring record_ = TempPath(L"vantorel-standin-record.txt");
};

// Catches help words relayed to the host, or help output in the wrong form.
TEST_F(CliRun, HelpWordsPrintTheHelpAndStartNothing) {
  const std::string help = ToUtf8(english_.help) + "\n";
  for (const wchar_t* arguments : {L"", L"HELP", L"/?", L"-H", L"--help list"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(arguments)));
    const ProgramRun run = Cli(arguments);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.output, help);
    EXPECT_FALSE(HostStarted());
  }
  Script("X 0\n");
  const ProgramRun relayed = Cli(L"helpme");
  EXPECT_EQ(relayed.exitCode, 0u);
  EXPECT_EQ(relayed.output, "");
  EXPECT_TRUE(HostStarted());
}

// Catches output bytes altered on the way (encoding, BOM, split messages, status
// text leaking into a file) and the host's exit code not passed through.
TEST_F(CliRun, RelaysOutputExactlyAndPassesTheExitCodeOn) {
  const std::string expected = "first line\nzweite Zeile: gr\xc3\xbc\xc3\x9f\n\xe6\x97\xa5\xe6\x9c\xac bad:\xef\xbf\xbd\nlast";
  struct Case {
    const char* name;
    std::string script;
    DWORD exitCode;
  } cases[] = {
      {"whole messages",
       "S starting\nO first line\\n\nS halfway\tthere\nO zweite Zeile: gr\xc3\xbc\xc3\x9f\\n\nM Q skipped\n"
       "O \xe6\x97\xa5\xe6\x9c\xac bad:\\xff\\n\nO last\nX 7\n",
       7},
      {"split at every byte",
       "split 1\nO first line\\n\nS status\nO zweite Zeile: gr\xc3\xbc\xc3\x9f\\n\npause 50\n"
       "O \xe6\x97\xa5\xe6\x9c\xac bad:\\xff\\n\nO last\nX 255\n",
       255},
      {"pieces of three with pauses",
       "split 3\nO first line\\n\npause 300\nO zweite Zeile: gr\xc3\xbc\xc3\x9f\\n\nO \xe6\x97\xa5\xe6\x9c\xac "
       "bad:\\xff\\n\npause 300\nO last\nX 007\n",
       7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script(c.script);
    const ProgramRun run = Cli(L"get");
    EXPECT_EQ(run.exitCode, c.exitCode);
    EXPECT_EQ(run.output, expected);
  }
}

// Catches failures reported as success, or the wrong message for them.
TEST_F(CliRun, BrokenRunsEndWithFourAndTheirMessage) {
  struct Case {
    const char* name;
    std::string script;
    std::string output;
  } cases[] = {
      {"host closes early", "O partial\nclose\nX 0\n", "partial" + Line(english_.unfinished)},
      {"no exit message", "S busy\nO done\\n\n", "done\n" + Line(english_.unfinished)},
      {"malformed exit", "O out\nX 7a\n", "out"},
      {"exit code too large", "X 256\n", ""},
      {"empty exit", "X\n", ""},
      {"length over the limit", "O before\nlength 16777217\nX 0\n", "before" + Line(english_.unfinished)},
      {"host never connects", "noconnect\n", Line(english_.notStarted)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Script(c.script);
    const ProgramRun run = Cli(L"list");
    EXPECT_EQ(run.exitCode, 4u);
    EXPECT_EQ(run.output, c.output);
  }
}

// Catches a relay that stops at the exit message and drops what followed it in the same read.
TEST_F(CliRun, MessagesAfterTheExitInTheSameReadAreStillHandled) {
  Script("hold\nO one \nS status\nO two \nX 3\nO three\nflush\npause 200\nO too late\n");
  const ProgramRun run = Cli(L"get");
  EXPECT_EQ(run.exitCode, 3u);
  EXPECT_EQ(run.output, "one two three");
}

// Catches an exit message of 0 being mistaken for a missing one.
TEST_F(CliRun, ExitZeroWithoutOutputSucceeds) {
  Script("X 0\n");
  const ProgramRun run = Cli(L"get");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, "");
}

// Catches a host command line the host cannot parse: the pipe name, the quoted
// directory, the working directory and the user's tail exactly as typed.
TEST_F(CliRun, HostGetsPipeDirectoryAndTheUntouchedTail) {
  const std::wstring directory = TempPath(L"vantorel cli dir");
  CreateDirectoryW(directory.c_str(), nullptr);
  Script("X 0\n");
  const std::wstring tail = L"run  \"My routine\"\t--yes x\\\"y";
  const ProgramRun run = Cli(L"   " + tail, directory);
  EXPECT_EQ(run.exitCode, 0u);
  const std::string recorded = Recorded();
  const std::string host = ToUtf8(BesideThisProgram(L"Vantorel.exe"));
  // The directory and tail hold regex specials; compare them literally around the variable pipe name.
  const size_t cut = recorded.find(" --cwd ");
  ASSERT_NE(cut, std::string::npos) << recorded;
  EXPECT_TRUE(std::regex_match(recorded.substr(0, cut), std::regex("\"[^\"]+\" --cli VantorelCli-[0-9]+-[0-9a-f]{32}")))
      << recorded;
  EXPECT_EQ(recorded.substr(0, recorded.find(" --cli")), "\"" + host + "\"");
  // The host asks for administrator rights and shows nothing of its own: it is started hidden.
  EXPECT_EQ(recorded.substr(cut),
            " --cwd \"" + ToUtf8(directory) + "\" " + ToUtf8(tail) + "\n" + ToUtf8(directory) + "\nshow 0\n");
  RemoveDirectoryW(directory.c_str());
}

// Catches a missing host reported as anything but "could not be started", and
// the messages not following the user's language setting.
TEST_F(CliRun, MissingHostIsNotStartedInTheUsersLanguage) {
  const std::wstring lonely = TempPath(L"vantorel-lonely");
  CreateDirectoryW(lonely.c_str(), nullptr);
  const std::wstring cli = lonely + L"\\vantorel-cli.exe";
  ASSERT_TRUE(CopyFileW(BesideThisProgram(L"vantorel-cli.exe").c_str(), cli.c_str(), FALSE));

  ProgramRun run = RunProgram(cli, L"list");
  EXPECT_EQ(run.exitCode, 4u);
  EXPECT_EQ(run.output, Line(english_.notStarted));

  const wchar_t german[] = L"de-DE";
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kLocaleCodeValue, REG_SZ, german, sizeof(german)),
            ERROR_SUCCESS);
  run = RunProgram(cli, L"list");
  EXPECT_EQ(run.exitCode, 4u);
  EXPECT_EQ(run.output, Line(kCliTextTable[6].notStarted));
  EXPECT_FALSE(HostStarted());

  DeleteFileW(cli.c_str());
  RemoveDirectoryW(lonely.c_str());
}

// Catches a client other than the host taken for it, its output and exit code
// relayed as the host's: one that connects before the host is started, and
// one that connects from another process while the host runs. The host never
// connects here.
TEST_F(CliRun, ClientsOtherThanTheHostAreRefused) {
  struct Case {
    const char* name;
    bool afterHostStarted;
  } cases[] = {{"before the host started", false}, {"after the host started", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ForgetHost();
    Script("noconnect 5000\n");
    Rogue rogue;
    rogue.afterHostStarted = c.afterHostStarted;
    const ProgramRun run =
        RunProgram(BesideThisProgram(L"vantorel-cli.exe"), L"get", L"", [&](HANDLE cli, HANDLE cliThread) {
          PlayRogue(cli, cliThread, rogue, [this] { return HostStarted(); });
        });
    ASSERT_TRUE(rogue.connected) << "the rogue found no pipe to open";
    EXPECT_EQ(rogue.hostStartedWhenConnected, c.afterHostStarted);
    EXPECT_EQ(run.exitCode, 4u);
    EXPECT_EQ(run.output, Line(english_.notStarted));
  }
}

// Catches a pipe made with default security, which lets Everyone and
// anonymous open it, or one that shuts out its own user: the access list the
// host reads back names exactly the user, Administrators and SYSTEM, each with
// full access, and inherits nothing.
TEST_F(CliRun, PipeAdmitsOnlyTheUserAdministratorsAndSystem) {
  Script("security\nX 0\n");
  const ProgramRun run = Cli(L"get");
  EXPECT_EQ(run.exitCode, 0u);
  const std::string user = ToUtf8(CurrentUserSid());
  ASSERT_FALSE(user.empty());
  std::smatch header;
  ASSERT_TRUE(std::regex_match(run.output, header, std::regex("D:([A-Z]*)((\\([^()]*\\))*)\n"))) << run.output;
  EXPECT_NE(header[1].str().find('P'), std::string::npos) << run.output;
  std::multiset<std::string> trustees;
  const std::string entries = header[2].str();
  const std::regex entry("\\(([^;]*);([^;]*);([^;]*);([^;]*);([^;]*);([^)]*)\\)");
  for (std::sregex_iterator at(entries.begin(), entries.end(), entry), end; at != end; ++at) {
    const std::smatch& ace = *at;
    SCOPED_TRACE(ace.str());
    EXPECT_EQ(ace[1].str(), "A");
    // Full access, as given or as mapped for a file object.
    EXPECT_TRUE(ace[3].str() == "GA" || ace[3].str() == "FA") << ace[3].str();
    trustees.insert(ace[6].str());
  }
  EXPECT_EQ(trustees, (std::multiset<std::string>{user, "BA", "SY"})) << run.output;
  EXPECT_EQ(trustees.count("WD") + trustees.count("AN"), 0u);
}

// Catches bcrypt.dll taken from the CLI's own folder: a copy planted beside a
// copy of the CLI (and of the host) leaves a marker when loaded and fails every
// call. CTest has Wine prefer native bcrypt, as Windows always does.
TEST_F(CliRun, BcryptBesideTheCliIsIgnored) {
#ifdef VANTOREL_CHECKED_RUNTIME
  // The checked build's stack protector seeds its guard through
  // CryptGenRandom before main; Wine's rsaenh.dll then imports bcrypt.dll by
  // the ordinary search, folder of the program first. The shipped build has no
  // such code before main.
  GTEST_SKIP() << "the checked runtime loads bcrypt.dll before main";
#endif
  const std::wstring marker = BesideThisProgram(L"planted-system\\bcrypt.dll.loaded");
  DeleteFileW(marker.c_str());
  Script("O relayed\nX 0\n");
  const ProgramRun run = RunProgram(BesideThisProgram(L"planted-system\\vantorel-cli.exe"), L"get");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, "relayed");
  EXPECT_TRUE(HostStarted());
  EXPECT_EQ(GetFileAttributesW(marker.c_str()), INVALID_FILE_ATTRIBUTES) << "the planted bcrypt.dll was loaded";
}

}  // namespace

#include "common/host/host_executable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/server_directory.h"
#include "tests/support/hostile_input.h"
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

// A module path built piece by piece, with what each rule must cut from it:
// any separator for the program, only backslashes for the library, whose
// module path and result must both fit in 519 units.
struct GeneratedModule {
  std::wstring path;
  std::wstring programHost;
  std::wstring libraryHost;
};

GeneratedModule HostileModulePath(HostileRandom& random) {
  std::wstring path = random.Pick<const wchar_t*>({L"C:\\", L"c:\\", L"\\\\?\\C:\\", L"\\\\server\\share\\", L"",
                                                   L"C:", L"relative\\", L"\"C:\\quoted\"\\", L"C:/", L"\\"});
  // The folder part grows to a length next to a bound: MAX_PATH, the 507 units
  // that leave room for "Vantorel.exe" in 519, the 519 of the module path, the
  // 32,767 of a long path; its name follows.
  const size_t folderLength = random.OneIn(4) ? random.Below(40)
                              : random.NearBound({247, 248, 259, 260, 507, 508, 519, 520, 32755, 32767});
  while (path.size() < folderLength) {
    std::wstring piece = random.HostileText(random.Between(1, 60), 3);
    for (wchar_t& c : piece) c = c == L'\\' || c == L'/' ? L'_' : c;
    path += piece.substr(0, folderLength - path.size());
    if (path.size() < folderLength || random.OneIn(2)) path += random.OneIn(5) ? L'/' : L'\\';
  }
  std::wstring name = random.Pick<const wchar_t*>({L"vantorel-cli.exe", L"VantorelShell.dll", L"", L"x", L"a/b.dll",
                                                   L"\xd800.dll", L"\"q\".exe"});
  if (random.OneIn(4)) name += std::wstring(random.NearBound({1, 12, 260}), L'n');
  path += name;

  GeneratedModule module{path, L"", L""};
  const size_t anySeparator = path.find_last_of(L"\\/");
  if (anySeparator != std::wstring::npos) module.programHost = path.substr(0, anySeparator + 1) + L"Vantorel.exe";
  const size_t backslash = path.rfind(L'\\');
  if (backslash != std::wstring::npos && path.size() <= 519 && backslash + 1 + 12 <= 519) {
    module.libraryHost = path.substr(0, backslash + 1) + L"Vantorel.exe";
  }
  return module;
}

// Removes a folder and everything in it.
void RemoveTree(const std::wstring& directory) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = directory + L"\\" + name;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(directory.c_str());
}

// Creates every folder of path that is missing below its first `from` units
// (a folder known to exist); false when one cannot be made.
bool CreateFolders(const std::wstring& path, size_t from = 3) {
  for (size_t at = path.find_first_of(L"\\/", from); at != std::wstring::npos;
       at = path.find_first_of(L"\\/", at + 1)) {
    CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
  }
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return CreateDirectoryW(path.c_str(), nullptr) ||
         (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY));
}

const wchar_t kAliasTail[] = L"\\Microsoft\\WindowsApps\\vantorel.exe";

// Where the per-user alias would be for a LOCALAPPDATA value, and whether the
// value names a folder on its own: a drive path ("C:\..." or "C:/...") or one
// beginning with two backslashes. Relative, drive-relative and root-relative
// values, quoted ones and an unset variable name no folder of the user's.
struct GeneratedAliasFolder {
  std::wstring value;  // empty with unset: the variable is removed
  bool unset = false;
  bool fullyQualified = false;
  std::wstring alias;  // the alias path as the system finds it (for creating the file)
  size_t expandedUnits = 0;
};

GeneratedAliasFolder HostileAliasFolder(HostileRandom& random, const std::wstring& root) {
  GeneratedAliasFolder folder;
  switch (random.Below(7)) {
    case 0:
    case 1:
    case 2: {  // a folder of ours, its alias at a length next to MAX_PATH and to the 520-unit buffer
      const size_t aliasLength = random.NearBound({60, 259, 260, 518, 519, 520, 521});
      std::wstring value = root + L"a";
      const size_t tail = wcslen(kAliasTail);
      while (value.size() + tail < aliasLength) {
        const size_t room = aliasLength - tail - value.size();
        value += room > 1 ? L"\\" + std::wstring(std::min<size_t>(room - 1, 200), L'd') : L"d";
      }
      folder.fullyQualified = true;
      switch (random.Below(5)) {
        case 0: value += L'\\'; break;  // a trailing backslash doubles the next one
        case 1: value = L"\\\\?\\" + value; break;
        case 2:
          for (wchar_t& c : value) c = c == L'\\' ? L'/' : c;
          break;
        default: break;
      }
      folder.value = value;
      folder.alias = value + kAliasTail;
      break;
    }
    case 3:  // unset: the name stays in the text and the path is relative
      folder.unset = true;
      folder.alias = std::wstring(L"%LOCALAPPDATA%") + kAliasTail;
      break;
    case 4:  // relative to the working directory or its drive
      folder.value = random.Pick<const wchar_t*>({L"rel", L".", L"rel\\..\\rel2", L"C:rel",
                                                  L"\\vantorel-hostile-rooted", L"", L"%TEMP%", L" C:\\x"});
      folder.alias = folder.value + kAliasTail;
      break;
    case 5:  // quoted, or with text no file name can hold
      folder.value = random.Pick<const wchar_t*>({L"\"", L"C:\\x\xd800", L"C:\\x|y", L"C:\\x\ny"});
      if (folder.value == L"\"") folder.value = L"\"" + root + L"q\"";
      folder.alias = folder.value + kAliasTail;
      folder.fullyQualified = folder.value[0] != L'"';
      break;
    default:  // far past every buffer
      folder.value = root + std::wstring(random.NearBound({600, 32000}), L'x');
      folder.alias = folder.value + kAliasTail;
      folder.fullyQualified = true;
      break;
  }
  folder.expandedUnits = folder.alias.size();
  return folder;
}

// Module paths of every shape and LOCALAPPDATA values no careful system hands
// over, against the rules of finding the host: each module path is cut after
// its last separator (the program: either kind; the library: backslashes only,
// within 519 units both ways, in both of the library's copies of the rule),
// and the alias is taken only when its file exists, its path fits the 520-unit
// buffer and it lies in a folder named in full. Catches a cut past a bound, a
// cut path or a folder taken for the host, and a relative alias (from an unset
// or relative LOCALAPPDATA) resolved in whatever directory the user stands in.
TEST(FindHostExecutable, HostileModulePathsAndAliasFolders) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring root = std::wstring(temp) + L"vantorel-hostile-host\\";
  RemoveTree(root.substr(0, root.size() - 1));
  const std::wstring work = root + L"cwd";
  ASSERT_TRUE(CreateFolders(work));
  wchar_t savedDirectory[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, savedDirectory);
  ASSERT_TRUE(SetCurrentDirectoryW(work.c_str()));
  std::vector<wchar_t> saved(32768, L'\0');
  const DWORD savedLength = GetEnvironmentVariableW(L"LOCALAPPDATA", saved.data(), 32768);
  const std::wstring beside = BesideThisProgram(L"Vantorel.exe");

  const uint64_t seed = HostileSeed();
  const size_t kCases = HostileCaseCount(2000);
  for (size_t index = 0; index < kCases; ++index) {
    const std::string caseName = HostileCaseName(seed, index);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());  // a crash in the code under test names the case
    HostileRandom random(seed, index);

    const GeneratedModule module = HostileModulePath(random);
    SCOPED_TRACE(testing::Message() << "module path of " << module.path.size() << " units");
    EXPECT_TRUE(HostBesideModule(module.path, CallerKind::Program) == module.programHost);
    EXPECT_TRUE(HostBesideModule(module.path, CallerKind::Library) == module.libraryHost);
    ServerPath server;
    const bool served = CutToDirectory(module.path.c_str(), static_cast<DWORD>(module.path.size()), server) &&
                        AppendToServerPath(server, kHostFileName);
    EXPECT_TRUE((served ? std::wstring(server.text) : L"") == module.libraryHost) << "the server's cut differs";

    if (random.OneIn(16)) {
      const GeneratedAliasFolder folder = HostileAliasFolder(random, root);
      SCOPED_TRACE(testing::Message() << "LOCALAPPDATA " << (folder.unset ? "unset" : "") << " of "
                                      << folder.value.size() << " units, alias of " << folder.expandedUnits);
      SetEnvironmentVariableW(L"LOCALAPPDATA", folder.unset ? nullptr : folder.value.c_str());
      // The alias is made where the system finds it, relative paths included;
      // now and then a folder stands where the file should.
      const size_t cut = folder.alias.find_last_of(L"\\/");
      const bool asFolder = random.OneIn(6);
      const bool ours = folder.alias.compare(0, root.size(), root) == 0;
      bool made = CreateFolders(folder.alias.substr(0, cut), ours ? root.size() : 3);
      if (made && asFolder) {
        made = CreateDirectoryW(folder.alias.c_str(), nullptr) != FALSE;
      } else if (made) {
        HANDLE file = CreateFileW(folder.alias.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        made = file != INVALID_HANDLE_VALUE;
        if (made) CloseHandle(file);
      }
      const bool taken = made && !asFolder && folder.fullyQualified && folder.expandedUnits + 1 <= kHostPathUnits;
      const std::wstring expected = taken ? folder.alias : beside;
      EXPECT_TRUE(FindHostExecutable(CallerKind::Program) == expected)
          << (made ? "made " : "not made ") << (asFolder ? "as a folder" : "as a file");
      EXPECT_TRUE(FindHostExecutable(CallerKind::Library) == expected);

      if (asFolder) {
        RemoveDirectoryW(folder.alias.c_str());
      } else {
        DeleteFileW(folder.alias.c_str());
      }
      for (std::wstring path = folder.alias.substr(0, cut); path.size() > (ours ? root.size() : 3);) {  // inner first
        RemoveDirectoryW(path.c_str());
        const size_t up = path.find_last_of(L"\\/");
        if (up == std::wstring::npos) break;
        path.resize(up);
      }
    }
    if (HasFailure()) break;
  }
  SetEnvironmentVariableW(L"LOCALAPPDATA", savedLength > 0 ? saved.data() : nullptr);
  SetCurrentDirectoryW(savedDirectory);
  RemoveTree(root.substr(0, root.size() - 1));
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

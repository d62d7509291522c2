#include "shell/accepted_path.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "shell/launch_host.h"
#include "shell/selection.h"
#include "shell/tool_rules.h"
#include "shell/tool_table.h"
#include "tests/support/hostile_input.h"

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

// One selected item as Explorer hands it over: a file-system item whose
// display name is whatever the test says.
class NamedItem final : public IShellItem, public IShellItemArray {
 public:
  explicit NamedItem(const std::wstring& name) : name_(name) {}

  IFACEMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(riid, IID_IShellItem)) {
      *object = static_cast<IShellItem*>(this);
    } else if (IsEqualIID(riid, IID_IShellItemArray)) {
      *object = static_cast<IShellItemArray*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  // Lives on the test's stack: the counts are kept only to be checked.
  IFACEMETHODIMP_(ULONG) AddRef() override { return ++references_; }
  IFACEMETHODIMP_(ULONG) Release() override { return --references_; }
  ULONG References() const { return references_; }

  // IShellItem
  IFACEMETHODIMP BindToHandler(IBindCtx*, REFGUID, REFIID, void** object) override { return Refuse(object); }
  IFACEMETHODIMP GetParent(IShellItem** parent) override { return Refuse(reinterpret_cast<void**>(parent)); }
  IFACEMETHODIMP GetDisplayName(SIGDN, LPWSTR* name) override {
    const size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
    *name = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (*name == nullptr) return E_OUTOFMEMORY;
    memcpy(*name, name_.c_str(), bytes);
    return S_OK;
  }
  IFACEMETHODIMP GetAttributes(SFGAOF mask, SFGAOF* attributes) override {
    *attributes = SFGAO_FILESYSTEM & mask;
    return *attributes == mask ? S_OK : S_FALSE;
  }
  IFACEMETHODIMP Compare(IShellItem*, SICHINTF, int* order) override {
    *order = 1;
    return S_FALSE;
  }

  // IShellItemArray
  IFACEMETHODIMP GetPropertyStore(GETPROPERTYSTOREFLAGS, REFIID, void** object) override { return Refuse(object); }
  IFACEMETHODIMP GetPropertyDescriptionList(REFPROPERTYKEY, REFIID, void** object) override { return Refuse(object); }
  IFACEMETHODIMP GetAttributes(SIATTRIBFLAGS, SFGAOF, SFGAOF* attributes) override {
    *attributes = 0;
    return E_NOTIMPL;
  }
  IFACEMETHODIMP GetCount(DWORD* count) override {
    *count = 1;
    return S_OK;
  }
  IFACEMETHODIMP GetItemAt(DWORD index, IShellItem** item) override {
    *item = nullptr;
    if (index != 0) return E_INVALIDARG;
    *item = static_cast<IShellItem*>(this);
    AddRef();
    return S_OK;
  }
  IFACEMETHODIMP EnumItems(IEnumShellItems** items) override { return Refuse(reinterpret_cast<void**>(items)); }

 private:
  static HRESULT Refuse(void** object) {
    if (object != nullptr) *object = nullptr;
    return E_NOTIMPL;
  }
  std::wstring name_;
  ULONG references_ = 1;
};

struct GeneratedPath {
  std::wstring path;
  bool accepted;
};

// A path as Explorer (or something posing as it) may hand it over: a drive
// start or one of the starts that are no plain drive path (shares, device and
// long-path prefixes, a drive without its backslash, the characters next to
// the letter ranges), folders of hostile text, lengths next to MAX_PATH, the
// 520-unit buffers and the 32,000-unit limit, trailing backslashes, and now
// and then a quote or a stream colon.
GeneratedPath HostilePath(HostileRandom& random) {
  std::wstring path;
  bool drive = !random.OneIn(3);
  if (drive) {
    path = std::wstring(1, static_cast<wchar_t>((random.OneIn(2) ? L'A' : L'a') + random.Below(26))) + L":\\";
  } else {
    path = random.Pick<const wchar_t*>({L"\\\\server\\share\\", L"\\\\?\\C:\\", L"\\\\.\\", L"C:", L"C:/", L"1:\\",
                                        L"\u00c4:\\", L"C:\\\\", L"\\", L"", L"C", L"\\\\", L":\\", L"C;\\", L"@:\\",
                                        L"[:\\", L"`:\\", L"{:\\", L"\\??\\C:\\", L"\xd800:\\", L"C\xdc00\\"});
  }
  const size_t trailing = random.OneIn(3) ? random.Between(1, 3) : 0;
  const size_t length = random.OneIn(3) ? random.Below(40)
                                        : random.NearBound({3, 4, 5, 259, 260, 519, 520, 31999, 32000, 32001, 40000});
  bool bodyStarted = false;
  while (path.size() + trailing < length) {
    const size_t room = length - trailing - path.size();
    std::wstring piece = random.HostileText(std::min<size_t>(random.Between(1, 80), room), 3);
    for (wchar_t& c : piece) c = c == L'"' || c == L':' ? L'_' : c == L'\\' ? L'/' : c;
    path += piece;
    bodyStarted = true;
    if (path.size() + trailing + 1 < length && random.OneIn(3)) path += L'\\';
  }
  const bool backslashAfterDrive = drive && !bodyStarted && trailing > 0;
  path.append(trailing, L'\\');
  bool refused = false;
  if (random.OneIn(10) && !path.empty()) {  // a quote anywhere
    path[random.Below(path.size())] = L'"';
    refused = true;
  } else if (random.OneIn(10) && path.size() > 2) {  // a stream name (or any colon past the drive)
    path[random.Between(2, path.size() - 1)] = L':';
    refused = true;
  }
  return {path, drive && !refused && !backslashAfterDrive && path.size() >= 4 && path.size() <= 32000};
}

// Paths of every hostile shape as Explorer hands them over, against the rules
// a path must pass before it reaches the host, and the host's own reading of
// its command line: only a plain drive path of 4 to 32,000 units without a
// quote or a colon past the drive is selected (through the selection Explorer
// passes as well as on its own); its launch parameters must split back into
// exactly "--file", the verb and that path, whatever its characters and
// trailing backslashes; anything else, or a tool id out of range, is refused
// before a launch.
TEST(IsAcceptedPath, HostilePathsFromExplorer) {
  const std::wstring host = L"C:\\Program Files\\Vantorel App\\Vantorel.exe";
  const uint64_t seed = HostileSeed();
  const size_t kCases = HostileCaseCount(3000);
  for (size_t index = 0; index < kCases; ++index) {
    const std::string caseName = HostileCaseName(seed, index);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());  // a crash in the code under test names the case
    HostileRandom random(seed, index);
    const GeneratedPath generated = HostilePath(random);
    const std::wstring& path = generated.path;
    SCOPED_TRACE(testing::Message() << "path of " << path.size() << " units starting "
                                    << testing::PrintToString(path.substr(0, 12)));
    EXPECT_EQ(IsAcceptedPath(path.c_str()), generated.accepted);

    {
      NamedItem item(path);
      SelectedItem selected;
      EXPECT_EQ(GetSingleSelectedItem(&item, selected), generated.accepted);
      EXPECT_EQ(selected.path != nullptr, generated.accepted);
      if (selected.path) {
        EXPECT_TRUE(std::wstring(selected.path.get()) == path);
      }
      selected = {};
      EXPECT_EQ(item.References(), 1u) << "the item was not released";
    }

    const int tool = random.OneIn(8) ? random.Pick<int>({-1, kToolCount, INT_MIN, INT_MAX})
                                     : static_cast<int>(random.Below(kToolCount));
    if (generated.accepted && tool >= 0 && tool < kToolCount) {
      const std::wstring commandLine = L"\"" + host + L"\" " + FileParameters(tool, path);
      int count = 0;
      wchar_t** argv = CommandLineToArgvW(commandLine.c_str(), &count);
      ASSERT_NE(argv, nullptr);
      std::vector<std::wstring> arguments(argv, argv + count);
      LocalFree(argv);
      ASSERT_EQ(arguments.size(), 4u);
      EXPECT_TRUE(arguments[0] == host);
      EXPECT_TRUE(arguments[1] == L"--file");
      EXPECT_TRUE(arguments[2] == kToolVerbs[tool]);
      EXPECT_TRUE(arguments[3] == path) << "the host reads another path";
    } else {
      EXPECT_EQ(LaunchHostForPath(tool, path.c_str()), E_INVALIDARG);
    }
    if (HasFailure()) break;
  }
}

}  // namespace

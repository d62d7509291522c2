// What Explorer shows: which entries are visible for a selection and the
// per-user settings, their titles and their icons.
#include <gtest/gtest.h>

#include "common/locale/select_locale_row.h"
#include "shell/menu_title_table.h"
#include "tests/shell/shell_server.h"
#include "tests/support/hostile_registry.h"
#include "tests/support/utf8.h"

namespace {

using ShellMenu = ShellServer;

// Catches a file-only tool shown for a folder, Kestrix for a non-script, a
// compressed folder file taken for a folder, and a menu shown for anything
// but exactly one item on a drive letter.
TEST_F(ShellMenu, VisibleToolsFollowTheSelection) {
  struct Case {
    const char* name;
    ComPtr<IShellItemArray> items;
    bool root;
    const char* tools;
  } cases[] = {
      {"folder", Selection({folder_}), true, "1001110"},
      {".PS1 file", Selection({script_}), true, "1111111"},
      {"non-ASCII .ps1 file", Selection({foreign_}), true, "1111111"},
      {".txt file", Selection({text_}), true, "1111110"},
      {".zip file", Selection({zip_}), true, "1111110"},
      {".zip file reported as folder and stream", ReportedSelection(zip_, SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM),
       true, "1111110"},
      {"folder reported as folder", ReportedSelection(folder_, SFGAO_FILESYSTEM | SFGAO_FOLDER), true, "1001110"},
      {"item outside the file system", ReportedSelection(text_, SFGAO_STREAM), false, "0000000"},
      {"drive root", Selection({L"C:\\"}), false, "0000000"},
      {"two items", Selection({text_, script_}), false, "0000000"},
      {"no array", nullptr, false, "0000000"},
      {"empty array", EmptySelection(), false, "0000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (std::string(c.name) != "no array") {
      ASSERT_TRUE(c.items) << "the shell made no selection";
    }
    const Menu menu = ShowMenu(c.items.Get());
    EXPECT_EQ(menu.root, c.root);
    EXPECT_EQ(menu.tools, c.tools);
  }
}

// Catches the menu hidden by anything but the exact text "0", or shown
// although the host switched it off.
TEST_F(ShellMenu, OnlyTheExactTextZeroSwitchesTheMenuOff) {
  ComPtr<IShellItemArray> items = Selection({folder_});
  ASSERT_TRUE(items);
  struct Case {
    const wchar_t* value;  // nullptr: no value at all
    bool shown;
  } cases[] = {
      {L"0", false},      {L"00", true},       {L"1", true},         {L" 0", true},
      {L"0 ", true},      {L"", true},         {L"off", true},       {L"0000000", true},
      {L"00000000", true}, {L"0123456789abcdef", true}, {nullptr, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value == nullptr ? std::string("missing") : testing::PrintToString(std::wstring(c.value)));
    if (c.value == nullptr) {
      DeleteUserValue(kVantorelKey, L"explorer_menu");
    } else {
      SetUserString(kVantorelKey, L"explorer_menu", c.value);
    }
    EXPECT_EQ(ShowMenu(items.Get()).root, c.shown);
  }
  // A number 0 is not the text "0".
  SetUserDword(kVantorelKey, L"explorer_menu", 0);
  EXPECT_TRUE(ShowMenu(items.Get()).root);
  // Without the host's key at all the menu shows.
  ASSERT_EQ(RegDeleteTreeW(HKEY_CURRENT_USER, kVantorelKey), ERROR_SUCCESS);
  EXPECT_TRUE(ShowMenu(items.Get()).root);
}

// Catches the wrong theme variant, an icon path for a file that is not there,
// and the host's icon taken from anywhere but beside the server.
TEST_F(ShellMenu, IconsFollowTheThemeAndExistOrAreLeftOut) {
  const wchar_t* const verbs[] = {L"who_uses", L"file_versions", L"file_hash", L"unlock_file_folder",
                                  L"repair_file_folder_permissions", L"force_delete_file_folder",
                                  L"move_to_kestrix"};
  const std::wstring assets = serverDirectory_ + L"assets\\shell\\";
  ASSERT_TRUE(CreateDirectoryW((serverDirectory_ + L"assets").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW(assets.c_str(), nullptr));
  std::vector<ComPtr<IExplorerCommand>> tools = Tools();
  ASSERT_EQ(tools.size(), 7u);
  ComPtr<IExplorerCommand> root = CreateRoot();

  struct Case {
    const char* name;
    int theme;  // -1: no value
    const wchar_t* present;  // the variant whose files exist, nullptr: none
    const wchar_t* expected;  // nullptr: no icon
  } cases[] = {
      {"dark, both present", 0, L"both", L"-dark.ico"},
      {"light, both present", 1, L"both", L"-light.ico"},
      {"unset, both present", -1, L"both", L"-light.ico"},
      {"other value, both present", 2, L"both", L"-light.ico"},
      {"dark, only light present", 0, L"-light.ico", nullptr},
      {"light, only dark present", 1, L"-dark.ico", nullptr},
      {"dark, none present", 0, nullptr, nullptr},
      {"unset, none present", -1, nullptr, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.theme < 0) {
      DeleteUserValue(kPersonalizeKey, L"SystemUsesLightTheme");
    } else {
      SetUserDword(kPersonalizeKey, L"SystemUsesLightTheme", static_cast<DWORD>(c.theme));
    }
    for (const wchar_t* verb : verbs) {
      for (const wchar_t* suffix : {L"-dark.ico", L"-light.ico"}) {
        const std::wstring file = assets + verb + suffix;
        const bool wanted = c.present != nullptr && (std::wstring(c.present) == L"both" || c.present == std::wstring(suffix));
        if (wanted) {
          HANDLE made = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
          ASSERT_NE(made, INVALID_HANDLE_VALUE);
          CloseHandle(made);
        } else {
          DeleteFileW(file.c_str());
        }
      }
    }
    for (int tool = 0; tool < 7; ++tool) {
      SCOPED_TRACE(tool);
      LPWSTR icon = reinterpret_cast<LPWSTR>(0x1234);
      const HRESULT result = tools[tool]->GetIcon(nullptr, &icon);
      if (c.expected == nullptr) {
        EXPECT_EQ(result, E_NOTIMPL);
        EXPECT_EQ(TakeText(icon), L"<null>");
      } else {
        EXPECT_EQ(result, S_OK);
        EXPECT_EQ(TakeText(icon), assets + verbs[tool] + c.expected);
      }
    }
    LPWSTR icon = nullptr;
    EXPECT_EQ(root->GetIcon(nullptr, &icon), S_OK);
    EXPECT_EQ(TakeText(icon), serverDirectory_ + L"Vantorel.exe,0");
  }
}

// Catches titles cached between calls or taken from the wrong row, and the
// product name translated.
TEST_F(ShellMenu, TitlesFollowTheLanguageSettingOnEveryCall) {
  ComPtr<IExplorerCommand> root = CreateRoot();
  std::vector<ComPtr<IExplorerCommand>> tools = Tools();
  ASSERT_EQ(tools.size(), 7u);
  struct Case {
    const wchar_t* locale;
    const wchar_t* first;
    const wchar_t* last;
  } cases[] = {
      {L"en-US", L"Who Is Using This File?", L"Move to Kestrix"},
      {L"de-DE", L"Wer verwendet diese Datei?", L"In Kestrix verschieben"},
      {L"ja_JP", L"このファイルを使用しているのは？", L"Kestrix に移動"},
      {L"es-MX", L"¿Quién está usando este archivo?", L"Mover a Kestrix"},
      {L"en-US", L"Who Is Using This File?", L"Move to Kestrix"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToUtf8(c.locale));
    SetUserString(kVantorelKey, L"locale_code", c.locale);
    LPWSTR title = nullptr;
    EXPECT_EQ(tools[0]->GetTitle(nullptr, &title), S_OK);
    EXPECT_EQ(TakeText(title), c.first);
    EXPECT_EQ(tools[6]->GetTitle(nullptr, &title), S_OK);
    EXPECT_EQ(TakeText(title), c.last);
    EXPECT_EQ(root->GetTitle(nullptr, &title), S_OK);
    EXPECT_EQ(TakeText(title), L"Vantorel");
  }
}

// Catches a null out-pointer written through (a crash in Explorer) instead of refused.
TEST_F(ShellMenu, NullOutPointersAreRefused) {
  ComPtr<IExplorerCommand> root = CreateRoot();
  std::vector<ComPtr<IExplorerCommand>> tools = Tools();
  ASSERT_EQ(tools.size(), 7u);
  for (IExplorerCommand* command : {root.Get(), tools[0].Get()}) {
    EXPECT_EQ(command->GetTitle(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(command->GetIcon(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(command->GetState(nullptr, FALSE, nullptr), E_POINTER);
    EXPECT_EQ(command->GetFlags(nullptr), E_POINTER);
    EXPECT_EQ(command->GetCanonicalName(nullptr), E_POINTER);
    EXPECT_EQ(command->GetToolTip(nullptr, nullptr), E_NOTIMPL);
  }
}

// Both values the host writes, as no careful host writes them, read by the
// DLL the way Explorer drives it: "explorer_menu" of every registry type,
// without its terminator, at exactly its 16-byte buffer and past it, empty,
// with an odd byte or text after an early terminator; "locale_code" the same
// way at its 170 bytes. Only the REG_SZ text "0" may hide the menu, and a
// title must come from the row of the code as written (up to its terminator)
// or, when the value cannot be read whole, from Windows' preferred language:
// never from a cut or overrun code, never a crash.
TEST_F(ShellMenu, HostileSettingsShowOrHideTheMenuAndChooseTitles) {
  ComPtr<IShellItemArray> items = Selection({folder_});
  ASSERT_TRUE(items);
  ComPtr<IExplorerCommand> root = CreateRoot();
  std::vector<ComPtr<IExplorerCommand>> tools = Tools();
  ASSERT_TRUE(root);
  ASSERT_EQ(tools.size(), 7u);
  DeleteUserValue(kVantorelKey, L"locale_code");
  const std::wstring fallbackCode = SelectLocaleRow(kMenuTitleTable).code;  // Windows' preferred language
  auto titleOf = [](const std::wstring& code, int tool) -> std::wstring {
    return kMenuTitleTable[MatchLocaleRow(code.c_str(), kMenuTitleTable, std::size(kMenuTitleTable))].titles[tool];
  };

  const uint64_t seed = HostileSeed();
  const size_t kCases = HostileCaseCount(800);
  for (size_t index = 0; index < kCases; ++index) {
    const std::string caseName = HostileCaseName(seed, index);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());  // a crash in the code under test names the case
    HostileRandom random(seed, index);
    const RegistryValueData menu = HostileRegistryValue(random, HostileMenuText(random));
    const RegistryValueData locale = HostileRegistryValue(random, HostileLocaleText(random));
    SCOPED_TRACE(testing::Message() << "explorer_menu " << menu.form << ", type " << menu.type << ", "
                                    << menu.bytes.size() << " bytes; locale_code " << locale.form << ", type "
                                    << locale.type << ", " << locale.bytes.size() << " bytes");
    ASSERT_EQ(WriteRegistryValue(kVantorelKey, L"explorer_menu", menu), ERROR_SUCCESS);
    ASSERT_EQ(WriteRegistryValue(kVantorelKey, L"locale_code", locale), ERROR_SUCCESS);

    const ExpectedStringRead menuRead = ExpectStringRead(menu, 16);
    const bool mayHide = menuRead.outcome != ExpectedStringRead::kFails &&
                         (menuRead.text == L"0" || menuRead.otherText == L"0");
    const bool mayShow = !(menuRead.outcome == ExpectedStringRead::kText && menuRead.text == L"0");
    EXPCMDSTATE state = 12345;
    ASSERT_EQ(root->GetState(items.Get(), FALSE, &state), S_OK);
    EXPECT_TRUE((state == ECS_HIDDEN && mayHide) || (state == ECS_ENABLED && mayShow))
        << "state " << state << " for " << testing::PrintToString(menuRead.text);

    const ExpectedStringRead localeRead = ExpectStringRead(locale, sizeof(LocaleCodeBuffer));
    const int tool = static_cast<int>(random.Below(7));
    LPWSTR text = nullptr;
    ASSERT_EQ(tools[tool]->GetTitle(nullptr, &text), S_OK);
    const std::wstring title = TakeText(text);
    const bool mayTake = localeRead.outcome != ExpectedStringRead::kFails && !localeRead.text.empty();
    const bool mayIgnore = localeRead.outcome != ExpectedStringRead::kText || localeRead.text.empty();
    const bool takenTitle = title == titleOf(localeRead.text, tool) || title == titleOf(localeRead.otherText, tool);
    EXPECT_TRUE((mayTake && takenTitle) || (mayIgnore && title == titleOf(fallbackCode, tool)))
        << ToUtf8(title) << " for " << testing::PrintToString(localeRead.text);
    if (HasFailure()) break;
  }
}

}  // namespace

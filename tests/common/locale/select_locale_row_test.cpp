#include "common/locale/select_locale_row.h"

#include <gtest/gtest.h>

#include <string>

#include "cli/cli_text_table.h"
#include "common/host/host_executable.h"
#include "shell/menu_title_table.h"
#include "tests/support/hostile_registry.h"

namespace {

// What the stand-in for GetUserPreferredUILanguages reports: a list of names,
// or a failure of the size query or of the second call.
struct FakeLanguages {
  std::wstring list;  // names each ended by '\0'; the final '\0' is added
  bool sizeFails = false;
  bool fillFails = false;
};
FakeLanguages fake;

BOOL WINAPI FakePreferredLanguages(DWORD flags, PULONG count, PZZWSTR buffer, PULONG size) {
  EXPECT_EQ(flags, static_cast<DWORD>(MUI_LANGUAGE_NAME));
  if (fake.sizeFails) return FALSE;
  const std::wstring full = fake.list.empty() ? std::wstring() : fake.list + L'\0';
  const ULONG units = static_cast<ULONG>(full.size());
  *count = 0;
  for (wchar_t c : fake.list) *count += c == L'\0';
  if (buffer == nullptr) {
    *size = units;
    return TRUE;
  }
  if (fake.fillFails || *size < units) return FALSE;
  std::copy(full.begin(), full.end(), buffer);
  *size = units;
  return TRUE;
}

void SetSetting(const std::wstring& code) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kLocaleCodeValue, REG_SZ, code.c_str(),
                            static_cast<DWORD>((code.size() + 1) * sizeof(wchar_t))),
            ERROR_SUCCESS);
}

void RemoveSetting() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kSettingsKey, kLocaleCodeValue); }

class SelectLocaleRowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveSetting();
    fake = {};
  }
  void TearDown() override { RemoveSetting(); }

  // The code of the row both tables choose; they must agree, as they share one procedure.
  static std::wstring Chosen() {
    const std::wstring cli = SelectLocaleRow(kCliTextTable, &FakePreferredLanguages).code;
    const std::wstring menu = SelectLocaleRow(kMenuTitleTable, &FakePreferredLanguages).code;
    EXPECT_EQ(cli, menu);
    return cli;
  }
};

struct Case {
  const wchar_t* code;
  const wchar_t* row;
};

// The user's language, as the setting or Windows gives it, and the row it must land on.
const Case kCases[] = {
    {L"de-AT", L"de-DE"},       {L"de", L"de-DE"},          {L"de-DE", L"de-DE"},    {L"es-MX", L"es-419"},
    {L"es-US", L"es-419"},      {L"ES-co", L"es-419"},      {L"es-ES", L"es-ES"},    {L"es_es", L"es-ES"},
    {L"es", L"es-419"},         {L"es-419", L"es-419"},     {L"pt", L"pt-BR"},       {L"pt-AO", L"pt-BR"},
    {L"pt-PT", L"pt-PT"},       {L"pt_BR", L"pt-BR"},       {L"pt_pt", L"pt-PT"},    {L"zh-HK", L"zh-CN"},
    {L"zh-SG", L"zh-CN"},       {L"zh-Hant-TW", L"zh-CN"},  {L"zh-TW", L"zh-TW"},    {L"fil", L"fil-PH"},
    {L"fil-PH", L"fil-PH"},     {L"fi", L"fi-FI"},          {L"no", L"en-US"},       {L"nn-NO", L"en-US"},
    {L"xx", L"en-US"},          {L"EN-us", L"en-US"},       {L"en-GB", L"en-US"},    {L"-DE", L"en-US"},
    {L"sr-Latn-RS", L"sr-RS"},  {L"ja-JP", L"ja-JP"},       {L"ZH-tw", L"zh-TW"},    {L"nb", L"nb-NO"},
};

// Catches a wrong order of the rules or a comparison that minds case, read from the registry.
TEST_F(SelectLocaleRowTest, SettingInTheRegistryChoosesTheRow) {
  fake.list = std::wstring(L"fr-FR") + L'\0';  // must not matter while the setting is there
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.code);
    SetSetting(c.code);
    EXPECT_EQ(Chosen(), c.row);
  }
}

// Catches the same faults on the other road, Windows' preferred UI language.
TEST_F(SelectLocaleRowTest, PreferredLanguageChoosesTheRowWithoutASetting) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.code);
    fake.list = std::wstring(c.code) + L'\0' + L"fr-FR" + L'\0';
    EXPECT_EQ(Chosen(), c.row);
  }
}

// Catches an empty or oversized setting taken as a code instead of falling through.
TEST_F(SelectLocaleRowTest, UnusableSettingsLeaveTheChoiceToWindows) {
  fake.list = std::wstring(L"fr-FR") + L'\0';
  const std::wstring longest = L"de-" + std::wstring(81, L'x');  // 84 characters fit the buffer
  struct { std::wstring setting; const wchar_t* row; } cases[] = {
      {L"", L"fr-FR"},
      {longest, L"de-DE"},
      {longest + L"x", L"fr-FR"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.setting.size());
    SetSetting(c.setting);
    EXPECT_EQ(Chosen(), c.row);
  }
}

// Catches a failed language query or an empty list read as garbage instead of en-US.
TEST_F(SelectLocaleRowTest, NoLanguageAtAllChoosesEnglish) {
  struct { FakeLanguages languages; const char* name; } cases[] = {
      {{L"", false, false}, "empty list"},
      {{std::wstring(L"de-DE") + L'\0', true, false}, "size query fails"},
      {{std::wstring(L"de-DE") + L'\0', false, true}, "second call fails"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake = c.languages;
    EXPECT_STREQ(SelectLocaleRow(kCliTextTable, &FakePreferredLanguages).code, L"en-US");
  }
}

// Catches an overlong language name overrunning the 85-unit buffer instead of being cut to 84.
TEST_F(SelectLocaleRowTest, OverlongLanguageNameIsCut) {
  fake.list = L"de-" + std::wstring(200, L'y') + L'\0';
  LocaleCodeBuffer code;
  ReadLocaleCode(code, &FakePreferredLanguages);
  EXPECT_EQ(std::wstring(code), L"de-" + std::wstring(81, L'y'));
  EXPECT_STREQ(SelectLocaleRow(kCliTextTable, &FakePreferredLanguages).code, L"de-DE");
}

// Catches a broken two-call use of the real query: Wine always reports one language.
TEST_F(SelectLocaleRowTest, RealPreferredLanguagesGiveACode) {
  LocaleCodeBuffer code;
  ReadLocaleCode(code);
  EXPECT_NE(code[0], L'\0');
  EXPECT_NE(std::wstring(code).find(L'-'), std::wstring::npos) << std::wstring(code).size();
}

// Catches a table whose codes drift from the shared list, which would break ties differently.
TEST(LocaleTables, BothTablesListTheCodesInOrder) {
  for (size_t row = 0; row < kLocaleCount; ++row) {
    SCOPED_TRACE(row);
    EXPECT_STREQ(kCliTextTable[row].code, kLocaleCodes[row]);
    EXPECT_STREQ(kMenuTitleTable[row].code, kLocaleCodes[row]);
  }
}

// A setting a host may write and the row it must land on, known by how the
// text was made: a code (in any case, with "_" for "-") from a written-out
// table, a language followed by a tail that is no region of ours, text that
// starts with no letter, text far longer than any code, odd short texts.
struct LocaleSetting {
  std::wstring text;
  const wchar_t* row;  // the code of the row, when the text is read whole
};

// Codes and the rows they select, written out rather than derived.
const Case kSettingRows[] = {
    {L"en-US", L"en-US"},   {L"ar-SA", L"ar-SA"}, {L"de-DE", L"de-DE"},   {L"de-AT", L"de-DE"},   {L"de", L"de-DE"},
    {L"es-419", L"es-419"}, {L"es-ES", L"es-ES"}, {L"es-MX", L"es-419"},  {L"es", L"es-419"},      {L"fil-PH", L"fil-PH"},
    {L"fil", L"fil-PH"},    {L"fi-FI", L"fi-FI"}, {L"fr-CA", L"fr-FR"},   {L"nb-NO", L"nb-NO"},   {L"no", L"en-US"},
    {L"pt-BR", L"pt-BR"},   {L"pt-PT", L"pt-PT"}, {L"pt-AO", L"pt-BR"},   {L"sr-Latn-RS", L"sr-RS"}, {L"sr-RS", L"sr-RS"},
    {L"zh-CN", L"zh-CN"},   {L"zh-TW", L"zh-TW"}, {L"zh-Hant-TW", L"zh-CN"}, {L"zh-HK", L"zh-CN"}, {L"sw-KE", L"sw-KE"},
    {L"xx", L"en-US"},      {L"xx-YY", L"en-US"}, {L"vi-VN", L"vi-VN"},   {L"sq", L"sq-AL"},      {L"th-TH", L"th-TH"},
};

// A language and its row when a region follows that no row has.
const Case kLanguageRows[] = {
    {L"de-", L"de-DE"},   {L"es-", L"es-419"}, {L"zh-", L"zh-CN"}, {L"fil-", L"fil-PH"}, {L"pt_", L"pt-BR"},
    {L"xx-", L"en-US"},   {L"sr-", L"sr-RS"},  {L"nb_", L"nb-NO"}, {L"no-", L"en-US"},   {L"ko-", L"ko-KR"},
};

LocaleSetting HostileSetting(HostileRandom& random) {
  switch (random.Below(5)) {
    case 0: {
      const Case& c = random.PickFrom(kSettingRows);
      std::wstring code = c.code;
      for (wchar_t& u : code) {
        if (random.OneIn(3) && ((u >= L'a' && u <= L'z') || (u >= L'A' && u <= L'Z'))) u ^= 0x20;
        if (u == L'-' && random.OneIn(2)) u = L'_';
      }
      return {code, c.row};
    }
    case 1: {
      // "x" first: the tail can never spell a region that has a row of its own.
      const Case& c = random.PickFrom(kLanguageRows);
      const std::wstring head = std::wstring(c.code) + L'x';
      const size_t length = random.NearBound({4, 20, 82, 83, 84, 85});
      return {head + random.HostileText(length > head.size() ? length - head.size() : 0, 3), c.row};
    }
    case 2: {
      // No letter first: no language at all.
      std::wstring text(1, random.Pick({L'-', L'_', L'0', L'9', L' ', L'\x01', L'\xd800', L'\xdc00', L'\xfeff', L'\xe9'}));
      const size_t length = random.NearBound({0, 1, 2, 3, 83, 84});
      return {text + random.HostileText(length, random.Pick<size_t>({1, 3, 20})), L"en-US"};
    }
    case 3: {
      // Longer than any code: ignored, whatever it spells.
      const size_t length = random.Between(85, random.OneIn(10) ? 40000 : 400);
      return {random.HostileText(length), L"fr-FR"};
    }
    default: {
      static const Case kOdd[] = {
          {L"-", L"en-US"},      {L"_", L"en-US"},      {L"es", L"es-419"},     {L"es-", L"es-419"},
          {L"-DE", L"en-US"},    {L"de-", L"de-DE"},    {L"\xd800", L"en-US"},  {L"\xdc00-DE", L"en-US"},
          {L"de-\xd800", L"de-DE"}, {L"\xfeff" L"de-DE", L"en-US"}, {L"de-DE ", L"de-DE"}, {L" de-DE", L"en-US"},
          {L"de-DE\n", L"de-DE"}, {L"", L"fr-FR"},     {L"es-es ", L"es-419"}, {L"ES_", L"es-419"},
      };
      const Case& c = random.PickFrom(kOdd);
      return {c.code, c.row};
    }
  }
}

// Values of "locale_code" as no careful host writes them: REG_SZ without its
// terminator, at exactly the 170-byte buffer and just past it, with an odd
// byte, with text after an early terminator; other string types, numbers and
// binary data holding the same text; empty values; codes of every hostile kind.
// A value must be taken whole (up to its terminator) or ignored for Windows'
// preferred language: never cut, never read past the buffer. Both callers'
// tables then land on the row of the code that was read.
TEST(SelectLocaleRow, HostileSettings) {
  SavedRegistryValue saved(kSettingsKey, kLocaleCodeValue);
  fake = {};
  fake.list = std::wstring(L"fr-FR") + L'\0';
  const uint64_t seed = HostileSeed();
  const size_t kCases = HostileCaseCount(1500);
  for (size_t index = 0; index < kCases; ++index) {
    const std::string caseName = HostileCaseName(seed, index);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());  // a crash in the code under test names the case
    HostileRandom random(seed, index);
    const LocaleSetting setting = HostileSetting(random);
    const RegistryValueData value = HostileRegistryValue(random, setting.text);
    SCOPED_TRACE(testing::Message() << value.form << ", type " << value.type << ", " << value.bytes.size() << " bytes");
    ASSERT_EQ(WriteRegistryValue(kSettingsKey, kLocaleCodeValue, value), ERROR_SUCCESS);

    LocaleCodeBuffer code;
    memset(code, 0x5a, sizeof(code));
    ReadLocaleCode(code, &FakePreferredLanguages);
    const size_t length = wcsnlen(code, kLocaleCodeUnits);
    ASSERT_LT(length, kLocaleCodeUnits) << "code without its terminator";
    const std::wstring read(code, length);

    const ExpectedStringRead expected = ExpectStringRead(value, sizeof(LocaleCodeBuffer));
    const bool mayTake = expected.outcome != ExpectedStringRead::kFails;
    const bool mayIgnore = expected.outcome != ExpectedStringRead::kText || expected.text.empty();
    EXPECT_TRUE((mayTake && !read.empty() && (read == expected.text || read == expected.otherText)) ||
                (mayIgnore && read == L"fr-FR"))
        << "read " << testing::PrintToString(read) << " (" << length << " units), written "
        << testing::PrintToString(expected.text) << " (" << expected.text.size() << " units)";

    // The row of what was read: the setting's own row when it was read whole,
    // Windows' French when it was ignored. A value read with its odd byte as
    // one more unit has no written-out row and is checked above only.
    const wchar_t* row = read == setting.text ? setting.row : read == L"fr-FR" ? L"fr-FR" : nullptr;
    if (row != nullptr) {
      EXPECT_STREQ(SelectLocaleRow(kCliTextTable, &FakePreferredLanguages).code, row);
      EXPECT_STREQ(SelectLocaleRow(kMenuTitleTable, &FakePreferredLanguages).code, row);
    }
    if (HasFailure()) break;
  }
}

}  // namespace

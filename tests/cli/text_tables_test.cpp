#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/cli_text_table.h"
#include "shell/menu_title_table.h"

namespace {

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find(L'\n', start);
    lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
    if (end == std::wstring::npos) return lines;
    start = end + 1;
  }
}

struct Entry {
  const wchar_t* left;
  const wchar_t* english;
};
const Entry kCommands[] = {
    {L"vantorel-cli list", L"everything it can run, by the names to use"},
    {L"vantorel-cli run \"<routine>\"", L"run one of your saved routines"},
    {L"vantorel-cli fix [<step> ...]", L"run Fix: its three everyday steps, or the steps you name"},
    {L"vantorel-cli set <name> <state>", L"change switches and settings: on/off, or a setting's own states"},
    {L"vantorel-cli get [<name>]", L"show the switches and settings, and how each is set now"},
    {L"vantorel-cli drivers [install]", L"newer drivers from Windows Update; install installs them"},
    {L"vantorel-cli task <task> ...", L"run tasks by the names list shows"},
    {L"vantorel-cli fixfile \"<file>\"", L"run a fix file"},
};
const Entry kOptions[] = {
    {L"--dry-run", L"show what would run, in order, and run nothing"},
    {L"--yes", L"needed for tasks that change Windows, and for fix files"},
};
constexpr size_t kCommandColumn = 36;
constexpr size_t kOptionColumn = 14;

std::wstring Padded(const Entry& entry, size_t column) {
  std::wstring line = std::wstring(L"  ") + entry.left;
  line.resize(column, L' ');
  return line + entry.english;
}

// The English help, built from its parts, so the alignment rule is checked, not copied.
std::wstring EnglishHelp() {
  std::wstring help = L"Vantorel command line\n\n";
  for (const Entry& e : kCommands) help += Padded(e, kCommandColumn) + L"\n";
  help += L"\n";
  for (const Entry& e : kOptions) help += Padded(e, kOptionColumn) + L"\n";
  help += L"\nWindows asks for administrator rights, unless this terminal already has them.\n";
  help += L"Exit codes: 0 done, 1 a step did not finish cleanly, 2 not understood, 4 Vantorel could not run.";
  return help;
}

const wchar_t* const kEnglishMessages[4] = {
    L"Vantorel could not be started.", L"Nothing was run: Windows was not given administrator rights.",
    L"Vantorel stopped before it finished.", L"Stopped. The remaining steps were not run."};
const wchar_t* const kGermanMessages[4] = {
    L"Vantorel konnte nicht gestartet werden.",
    L"Nichts wurde ausgeführt: Windows wurden keine Administratorrechte erteilt.",
    L"Vantorel wurde beendet, bevor es fertig war.", L"Angehalten. Die übrigen Schritte wurden nicht ausgeführt."};

std::vector<std::wstring> Messages(const CliTextRow& row) {
  return {row.notStarted, row.noAdmin, row.unfinished, row.stopped};
}

bool EndsWithFullStop(const std::wstring& text) {
  const wchar_t last = text.empty() ? L'\0' : text.back();
  return last == L'.' || last == L'\u3002' || last == L'\u0964' || last == L'\u06D4' || last == L'\uFF0E';
}

// Checks one aligned line; returns its description.
std::wstring CheckEntry(const std::wstring& line, const Entry& entry, size_t column) {
  SCOPED_TRACE(testing::Message() << "line starting " << entry.left);
  const std::wstring prefix = std::wstring(L"  ") + entry.left;
  EXPECT_EQ(line.compare(0, prefix.size(), prefix), 0) << "left part changed";
  EXPECT_GT(line.size(), column);
  if (line.size() <= column) return L"";
  // wchar_t is a UTF-16 unit on Windows, so an index is a column in UTF-16 units.
  EXPECT_EQ(line.find_first_not_of(L' ', prefix.size()), column) << "description not at its column";
  const std::wstring description = line.substr(column);
  EXPECT_NE(description.back(), L' ');
  EXPECT_FALSE(EndsWithFullStop(description));
  return description;
}

// Catches any drift of the English texts from what users and the host's docs show.
TEST(CliTextTable, EnglishRowIsExact) {
  const CliTextRow& english = kCliTextTable[0];
  EXPECT_EQ(std::wstring(english.help), EnglishHelp());
  EXPECT_EQ(Messages(english), std::vector<std::wstring>(kEnglishMessages, kEnglishMessages + 4));
}

// Catches a German message that differs from the wording the product uses.
TEST(CliTextTable, GermanMessagesAreExact) {
  const CliTextRow& german = kCliTextTable[6];
  ASSERT_STREQ(german.code, L"de-DE");
  EXPECT_EQ(Messages(german), std::vector<std::wstring>(kGermanMessages, kGermanMessages + 4));
}

// Catches a translated row that breaks the layout, loses a fixed token or was left in English.
TEST(CliTextTable, EveryRowKeepsTheLayoutAndTheFixedTokens) {
  const std::vector<std::wstring> englishLines = SplitLines(kCliTextTable[0].help);
  for (size_t row = 0; row < kLocaleCount; ++row) {
    const CliTextRow& text = kCliTextTable[row];
    SCOPED_TRACE(testing::Message() << "row " << row);
    const std::vector<std::wstring> lines = SplitLines(text.help);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_NE(lines[0].find(L"Vantorel"), std::wstring::npos);
    EXPECT_EQ(lines[1], L"");
    EXPECT_EQ(lines[10], L"");
    EXPECT_EQ(lines[13], L"");
    std::vector<std::wstring> descriptions;
    for (size_t i = 0; i < 8; ++i) descriptions.push_back(CheckEntry(lines[2 + i], kCommands[i], kCommandColumn));
    for (size_t i = 0; i < 2; ++i) descriptions.push_back(CheckEntry(lines[11 + i], kOptions[i], kOptionColumn));

    EXPECT_NE(descriptions[3].find(L"on/off"), std::wstring::npos);
    EXPECT_NE(descriptions[5].find(L"Windows Update"), std::wstring::npos);
    EXPECT_NE(descriptions[5].find(L"install"), std::wstring::npos);
    EXPECT_NE(descriptions[6].find(L"list"), std::wstring::npos);
    EXPECT_NE(descriptions[9].find(L"Windows"), std::wstring::npos);
    EXPECT_NE(lines[14].find(L"Windows"), std::wstring::npos);

    // "<label> 0 x, 1 x, 2 x, 4 x." with the numbers as typed, in every script.
    const std::wstring& exits = lines[15];
    size_t at = exits.find(L" 0 ");
    EXPECT_NE(at, std::wstring::npos);
    for (const wchar_t* next : {L", 1 ", L", 2 ", L", 4 "}) {
      const size_t found = exits.find(next, at == std::wstring::npos ? 0 : at);
      EXPECT_NE(found, std::wstring::npos) << "missing '" << testing::PrintToString(std::wstring(next)) << "'";
      at = found;
    }
    EXPECT_NE(exits.find(L"Vantorel", at == std::wstring::npos ? 0 : at), std::wstring::npos);
    EXPECT_EQ(exits.back(), L'.');

    const std::vector<std::wstring> messages = Messages(text);
    for (size_t m = 0; m < 4; ++m) {
      EXPECT_FALSE(messages[m].empty());
      EXPECT_EQ(messages[m].find(L'\n'), std::wstring::npos);
    }
    EXPECT_NE(messages[0].find(L"Vantorel"), std::wstring::npos);
    EXPECT_NE(messages[1].find(L"Windows"), std::wstring::npos);
    EXPECT_NE(messages[2].find(L"Vantorel"), std::wstring::npos);

    if (row == 0) continue;
    EXPECT_NE(lines[0], englishLines[0]);
    EXPECT_NE(lines[14], englishLines[14]);
    EXPECT_NE(lines[15], englishLines[15]);
    for (size_t i = 0; i < descriptions.size(); ++i) {
      EXPECT_NE(descriptions[i], i < 8 ? kCommands[i].english : kOptions[i - 8].english) << "entry " << i;
    }
    for (size_t m = 0; m < 4; ++m) EXPECT_NE(messages[m], kEnglishMessages[m]) << "message " << m;
  }
}

// Catches the two Spanish rows collapsing into one: they differ in wording of the help only.
TEST(CliTextTable, SpanishRowsDifferInTheHelp) {
  ASSERT_STREQ(kCliTextTable[8].code, L"es-419");
  ASSERT_STREQ(kCliTextTable[9].code, L"es-ES");
  EXPECT_STRNE(kCliTextTable[8].help, kCliTextTable[9].help);
}

const wchar_t* const kEnglishTitles[kToolCount] = {
    L"Who Is Using This File?",     L"Get Back an Older Version",         L"Check a File's Fingerprint",
    L"Unlock File or Folder",       L"Repair File or Folder Permissions", L"Force Delete File or Folder",
    L"Move to Kestrix"};

// Catches a missing, untranslated or misplaced title, or "Kestrix" translated.
TEST(MenuTitleTable, EveryRowHasSevenTranslatedTitles) {
  for (int tool = 0; tool < kToolCount; ++tool) EXPECT_STREQ(kMenuTitleTable[0].titles[tool], kEnglishTitles[tool]);
  for (size_t row = 1; row < kLocaleCount; ++row) {
    SCOPED_TRACE(testing::Message() << "row " << row << " " << kMenuTitleTable[row].code);
    for (int tool = 0; tool < kToolCount; ++tool) {
      SCOPED_TRACE(tool);
      const std::wstring title = kMenuTitleTable[row].titles[tool];
      EXPECT_FALSE(title.empty());
      EXPECT_NE(title, kEnglishTitles[tool]);
      EXPECT_EQ(title.find(L"Kestrix") != std::wstring::npos, tool == 6);
      EXPECT_EQ(title.find_first_of(L"\r\n\t"), std::wstring::npos);
      for (int other = 0; other < tool; ++other) EXPECT_NE(title, kMenuTitleTable[row].titles[other]);
    }
  }
}

// Catches the Spanish menus drifting apart: both Spanish rows show the same menu.
TEST(MenuTitleTable, SpanishRowsAreIdentical) {
  for (int tool = 0; tool < kToolCount; ++tool) {
    EXPECT_STREQ(kMenuTitleTable[8].titles[tool], kMenuTitleTable[9].titles[tool]);
  }
}

}  // namespace

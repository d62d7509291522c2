#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Catches help words that miss a spelling or match too much (helpme is the host's).
TEST(IsHelpWord, MatchesTheHelpWordsOnly) {
  struct Case {
    const wchar_t* argument;
    bool help;
  } cases[] = {
      {L"help", true},   {L"HELP", true},  {L"-h", true},    {L"-H", true},     {L"--help", true},
      {L"--HeLp", true}, {L"/?", true},    {L"-?", true},    {L"/h", true},     {L"/H", true},
      {L"helpme", false}, {L"hel", false}, {L"", false},     {L"--h", false},   {L"list", false},
      {L"h\x0130lp", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.argument)));
    EXPECT_EQ(IsHelpWord(c.argument), c.help);
  }
}

// Catches a tail that loses the user's own quoting or spacing, or keeps part of the program name.
TEST(CommandTail, IsTheRawRestAfterTheProgramName) {
  struct Case {
    const wchar_t* line;
    const wchar_t* tail;
  } cases[] = {
      {L"", L""},
      {L"vantorel-cli", L""},
      {L"vantorel-cli list", L"list"},
      {L"vantorel-cli \t  run  \"My routine\"  --yes ", L"run  \"My routine\"  --yes "},
      {L"\"C:\\Program Files\\vantorel-cli.exe\"    fixfile \"a b.txt\"", L"fixfile \"a b.txt\""},
      {L"\"C:\\Program Files\\vantorel-cli.exe\"get", L"get"},
      {L"\"C:\\unterminated", L""},
      {L"C:\\x\\vantorel-cli.exe\tset a on", L"set a on"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.line)));
    EXPECT_EQ(std::wstring(CommandTail(c.line)), c.tail);
  }
}

// Catches a pipe name the host cannot open: wrong prefix, padding or digit case.
TEST(FormatPipeName, IsPrefixProcessIdAndLowercaseHex) {
  const unsigned char random[16] = {0x00, 0x01, 0xab, 0xff, 0x10, 0x20, 0x30, 0x40,
                                    0x50, 0x60, 0x70, 0x80, 0x90, 0xa0, 0xb0, 0x0c};
  EXPECT_EQ(FormatPipeName(4321, random), L"VantorelCli-4321-0001abff102030405060708090a0b00c");
}

// Catches the directory reaching the host unquoted (split at its spaces) or the tail altered.
TEST(LaunchParameters, QuoteTheDirectoryAndKeepTheTail) {
  EXPECT_EQ(LaunchParameters(L"VantorelCli-1-ab", L"C:\\My Dir", L"run \"x y\""),
            L"--cli VantorelCli-1-ab --cwd \"C:\\My Dir\" run \"x y\"");
  EXPECT_EQ(LaunchParameters(L"p", L"C:\\", L"get"), L"--cli p --cwd C:\\ get");
  EXPECT_EQ(LaunchParameters(L"p", L"", L"get"), L"--cli p --cwd \"\" get");
}

}  // namespace

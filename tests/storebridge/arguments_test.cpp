#include <gtest/gtest.h>

#include <vector>

#include "storebridge/arguments.h"

namespace {

TEST(StoreBridgeArguments, ModeIsJudgedOnItsFirstFifteenCharactersThenTheIdentifierMustHoldText) {
  struct Case {
    const char* name;
    std::vector<const wchar_t*> args;  // after the program name
    ArgumentCheck expected;
  };
  const Case cases[] = {
      {"nothing", {}, ArgumentCheck::Usage},
      {"mode alone", {L"updates"}, ArgumentCheck::Usage},
      {"empty identifier", {L"updates", L""}, ArgumentCheck::Usage},
      {"identifier of blanks and tabs", {L"updates", L" \t  "}, ArgumentCheck::Usage},
      {"identifier of other wide white space", {L"updates", L"\u3000\u2003"}, ArgumentCheck::Usage},
      {"plain", {L"updates", L"Vantorel.App"}, ArgumentCheck::Accepted},
      {"any letter case, blanks around", {L"  UpDaTeS\t ", L"x"}, ArgumentCheck::Accepted},
      {"leading blanks do not count against the fifteen", {L"                updates", L"x"},
       ArgumentCheck::Accepted},
      {"eight blanks push the tail past the fifteen", {L"updates        tail", L"x"}, ArgumentCheck::Accepted},
      {"seven blanks keep the tail", {L"updates       tail", L"x"}, ArgumentCheck::BadMode},
      {"letters straight after", {L"updatesx", L"x"}, ArgumentCheck::BadMode},
      {"shorter word", {L"update", L"x"}, ArgumentCheck::BadMode},
      {"empty mode", {L"", L"x"}, ArgumentCheck::BadMode},
      {"wrong mode is named before a missing identifier", {L"list", L""}, ArgumentCheck::BadMode},
      {"further arguments are ignored", {L"updates", L"x", L"--more", L""}, ArgumentCheck::Accepted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<const wchar_t*> argv{L"VantorelStoreBridge.exe"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    EXPECT_EQ(CheckArguments(static_cast<int>(argv.size()), argv.data()), c.expected);
  }
}

TEST(StoreBridgeArguments, NormalisingKeepsTheLimitAfterLeadingSpaceAndLowersOnlyWhenAsked) {
  struct Case {
    const wchar_t* text;
    size_t keep;
    bool lower;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"  AbC  ", 15, true, L"abc"},
      {L"  AbC  ", 15, false, L"AbC"},
      {L"\t\tABCDEFGHIJKLMNOPQ", 15, true, L"abcdefghijklmno"},
      {L"a b", 15, false, L"a b"},
      {L"   ", 15, false, L""},
      {L"\u00C4PFEL", 15, true, L"\u00E4pfel"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "keep " << c.keep << " of length " << wcslen(c.text));
    EXPECT_EQ(NormaliseArgument(c.text, c.keep, c.lower), c.expected);
  }
  // An identifier keeps 127 characters, the mode word 15.
  const std::wstring longIdentifier(200, L'i');
  EXPECT_EQ(NormaliseArgument(longIdentifier.c_str(), kIdentifierChars, false).size(), 127u);
}

}  // namespace

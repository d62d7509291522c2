#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/host/quote_argument.h"
#include "storebridge/arguments.h"
#include "tests/support/hostile_input.h"

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

// White space of several kinds, as the normalising counts it.
std::wstring Blanks(HostileRandom& random, size_t count) {
  std::wstring blanks;
  for (size_t i = 0; i < count; ++i) {
    blanks += random.Pick({L' ', L'\t', L'\n', L'\v', L'\f', L'\r', L'\x3000', L'\x2003'});
  }
  return blanks;
}

// Text that starts with something that is no white space.
std::wstring Word(HostileRandom& random, size_t length) {
  std::wstring word(1, random.Pick({L'x', L'U', L'-', L'"', L'\\', L'\xd800', L'\xdc00', L'\xffff', L'\x0131', L'0'}));
  std::wstring rest = random.HostileText(length, 3);
  for (wchar_t& c : rest) c = c == L'\xfeff' ? L'y' : c;  // its class differs between libraries
  return word + rest;
}

size_t Count(HostileRandom& random) {
  return random.OneIn(3) ? random.NearBound({1, 7, 8, 9, 15, 127, 128}) : random.OneIn(20) ? random.Between(1000, 32000)
                                                                                            : random.Below(4);
}

struct GeneratedMode {
  std::wstring text;
  bool updates;
};

// The mode word: "updates" in any letter case or a word close to it, with
// blanks before it (they do not count against the fifteen characters) and
// after it, and sometimes more text that counts only within the fifteen.
GeneratedMode HostileModeWord(HostileRandom& random) {
  std::wstring word = L"updates";
  bool updates = true;
  switch (random.Below(5)) {
    case 0:
    case 1:
      for (wchar_t& c : word) c = random.OneIn(2) ? static_cast<wchar_t>(c - L'a' + L'A') : c;
      break;
    case 2:
      word = random.Pick<const wchar_t*>({L"update", L"updatesx", L"\xff55pdates", L"update\x017f", L"upd\x0430tes",
                                          L"UPDATE\x015e", L"up dates", L"", L"\"updates\"", L"updates\xd800"});
      updates = false;
      break;
    case 3:
      word = Word(random, random.Below(20));
      updates = false;
      break;
    default:
      break;
  }
  std::wstring text = Blanks(random, Count(random)) + word;
  const size_t blanksAfter = Count(random);
  text += Blanks(random, blanksAfter);
  if (random.OneIn(2)) {
    // Past the fifteen characters that count only when seven blanks or more came first.
    text += Word(random, random.Below(30));
    if (updates && word.size() + blanksAfter < kModeWordChars) updates = false;
  }
  return {text, updates};
}

// The identifier: empty, white space alone (at any length), or text with blanks around it.
std::wstring HostileIdentifier(HostileRandom& random, bool& empty) {
  empty = random.OneIn(3);
  if (empty) return Blanks(random, Count(random));
  const size_t length = random.OneIn(10) ? random.Between(127, 32000) : random.Below(40);
  return Blanks(random, Count(random)) + Word(random, length) + Blanks(random, Count(random));
}

// Command lines the host never builds: no arguments, one, the two that count
// and thousands more; mode words in any case, with blanks of every kind
// around them and text past the fifteen characters that count; identifiers
// empty, of blanks alone or tens of thousands of units long; lone surrogates,
// quotes and lookalike letters. The first two arguments decide: too few is
// usage, a mode other than updates is a bad mode (even without an identifier),
// an identifier without text is usage. Every argv is also joined into a
// command line and split again as the program splits its own.
TEST(StoreBridgeArguments, HostileCommandLines) {
  const uint64_t seed = HostileSeed();
  const size_t kCases = HostileCaseCount(3000);
  for (size_t index = 0; index < kCases; ++index) {
    const std::string caseName = HostileCaseName(seed, index);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());  // a crash in the code under test names the case
    HostileRandom random(seed, index);
    std::vector<std::wstring> args{L"C:\\Program Files\\Vantorel\\VantorelStoreBridge.exe"};
    const size_t given = random.Pick<size_t>({0, 1, 2, 2, 2, 3, 4, random.Between(5, 3000)});
    const GeneratedMode mode = HostileModeWord(random);
    bool emptyIdentifier = false;
    const std::wstring identifier = HostileIdentifier(random, emptyIdentifier);
    if (given >= 1) args.push_back(mode.text);
    if (given >= 2) args.push_back(identifier);
    while (args.size() < given + 1) args.push_back(random.OneIn(2) ? L"" : Word(random, random.Below(10)));

    const ArgumentCheck expected = given < 2              ? ArgumentCheck::Usage
                                   : !mode.updates        ? ArgumentCheck::BadMode
                                   : emptyIdentifier      ? ArgumentCheck::Usage
                                                          : ArgumentCheck::Accepted;
    std::vector<const wchar_t*> argv;
    for (const std::wstring& arg : args) argv.push_back(arg.c_str());
    argv.push_back(nullptr);
    EXPECT_EQ(CheckArguments(static_cast<int>(args.size()), argv.data()), expected)
        << given << " arguments, mode " << testing::PrintToString(mode.text.substr(0, 40)) << " of "
        << mode.text.size() << " units";

    std::wstring commandLine = L"\"" + args[0] + L"\"";
    for (size_t i = 1; i < args.size(); ++i) commandLine += L" " + QuoteArgument(args[i]);
    if (commandLine.size() < 32767) {  // what a process can be started with
      int count = 0;
      wchar_t** split = CommandLineToArgvW(commandLine.c_str(), &count);
      ASSERT_NE(split, nullptr);
      EXPECT_EQ(static_cast<size_t>(count), args.size());
      EXPECT_EQ(CheckArguments(count, split), expected) << "after splitting the command line";
      LocalFree(split);
    }
    if (HasFailure()) break;
  }
  EXPECT_EQ(CheckArguments(0, nullptr), ArgumentCheck::Usage);
  EXPECT_EQ(CheckArguments(-1, nullptr), ArgumentCheck::Usage);
}

}  // namespace

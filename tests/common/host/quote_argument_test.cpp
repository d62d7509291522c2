#include "common/host/quote_argument.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::vector<std::wstring> SplitByWindows(const std::wstring& commandLine) {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(commandLine.c_str(), &count);
  std::vector<std::wstring> arguments;
  if (argv == nullptr) return arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(argv[i]);
  LocalFree(argv);
  return arguments;
}

// Catches any quoting slip the host would see as a different argument: Windows'
// own splitter must give back exactly what was quoted.
TEST(QuoteArgument, BothFormsRoundTripThroughCommandLineToArgvW) {
  const wchar_t alphabet[] = {L'a', L' ', L'\t', L'"', L'\\', L'\\', L'\x00e9', L'\n', L'\v', L'/', L'z'};
  std::mt19937 random(12345);
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::wstring> arguments(1 + random() % 4);
    for (std::wstring& argument : arguments) {
      const size_t length = random() % 9;
      for (size_t i = 0; i < length; ++i) argument += alphabet[random() % std::size(alphabet)];
    }
    std::wstring line = L"host.exe";
    std::wstring enclosed = L"host.exe";
    for (const std::wstring& argument : arguments) {
      line += L" " + QuoteArgument(argument);
      enclosed += L" " + EncloseArgument(argument);
    }
    SCOPED_TRACE(testing::PrintToString(line));
    EXPECT_EQ(SplitByWindows(line), arguments);
    EXPECT_EQ(SplitByWindows(enclosed), arguments);
  }
}

// Catches needless quoting (the host sees "C:\" as typed) and the empty argument vanishing.
TEST(QuoteArgument, QuotesOnlyWhenNeeded) {
  struct Case {
    const wchar_t* argument;
    const wchar_t* quoted;
  } cases[] = {
      {L"C:\\", L"C:\\"},
      {L"C:\\My Files\\", L"\"C:\\My Files\\\\\""},
      {L"", L"\"\""},
      {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
      {L"a\\\\\"b", L"\"a\\\\\\\\\\\"b\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.argument)));
    EXPECT_EQ(QuoteArgument(c.argument), c.quoted);
  }
}

// Catches a path's trailing backslashes escaping the closing quote, or an
// accepted path left bare where the host expects it in quotes.
TEST(EncloseArgument, AlwaysQuotesAndDoublesTrailingBackslashes) {
  struct Case {
    const wchar_t* argument;
    const wchar_t* enclosed;
  } cases[] = {
      {L"C:\\a", L"\"C:\\a\""},
      {L"C:\\a\\", L"\"C:\\a\\\\\""},
      {L"C:\\a\\\\", L"\"C:\\a\\\\\\\\\""},
      {L"C:\\a\\\\\\", L"\"C:\\a\\\\\\\\\\\\\""},
      {L"C:\\a\\\\b", L"\"C:\\a\\\\b\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.argument)));
    EXPECT_EQ(EncloseArgument(c.argument), c.enclosed);
  }
}

}  // namespace

#include "probe/core/options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  const char* name;
  std::vector<std::wstring> args;  // after the program name
  double minutes;
  int32_t load;
  double limit;
  int32_t adapter;
};

Options Parse(const std::vector<std::wstring>& args) {
  std::vector<const wchar_t*> argv{L"vantorelprobe.exe"};
  for (const std::wstring& arg : args) argv.push_back(arg.c_str());
  return ParseOptions(static_cast<int>(argv.size()), argv.data());
}

// Catches wrong defaults, wrong word matching, wrong value consumption and missing clamps.
TEST(ParseOptions, TableOfCommandLines) {
  const Case cases[] = {
      {"no arguments", {}, 15.0, kModeStandard, 87.0, -1},
      {"every word", {L"--load", L"gentle"}, 15.0, kModeGentle, 87.0, -1},
      {"memory", {L"--load", L"memory"}, 15.0, kModeMemory, 87.0, -1},
      {"cpu", {L"--load", L"cpu"}, 15.0, kModeCpu, 87.0, -1},
      {"ram", {L"--load", L"ram"}, 15.0, kModeRam, 87.0, -1},
      {"bench", {L"--load", L"bench"}, 15.0, kModeBench, 87.0, -1},
      {"frames", {L"--load", L"frames"}, 15.0, kModeFrames, 87.0, -1},
      {"sensors", {L"--load", L"sensors"}, 15.0, kModeSensors, 87.0, -1},
      {"latency", {L"--load", L"latency"}, 15.0, kModeLatency, 87.0, -1},
      {"faults", {L"--load", L"faults"}, 15.0, kModeFaults, 87.0, -1},
      {"input", {L"--load", L"input"}, 15.0, kModeInput, 87.0, -1},
      {"upper case is no match", {L"--load", L"CPU"}, 15.0, kModeStandard, 87.0, -1},
      {"prefix is no match", {L"--load", L"cpux"}, 15.0, kModeStandard, 87.0, -1},
      {"unknown word", {L"--load", L"x"}, 15.0, kModeStandard, 87.0, -1},
      {"minutes 0 clamps up", {L"--minutes", L"0"}, 0.05, kModeStandard, 87.0, -1},
      {"minutes not a number", {L"--minutes", L"abc"}, 0.05, kModeStandard, 87.0, -1},
      {"minutes 500 clamps down", {L"--minutes", L"500"}, 60.0, kModeStandard, 87.0, -1},
      {"minutes numeric prefix", {L"--minutes", L"2.5min"}, 2.5, kModeStandard, 87.0, -1},
      {"minutes exponent", {L"--minutes", L"1e1"}, 10.0, kModeStandard, 87.0, -1},
      {"minutes nan is not a number", {L"--minutes", L"nan"}, 0.05, kModeStandard, 87.0, -1},
      {"minutes inf is not a number", {L"--minutes", L"inf"}, 0.05, kModeStandard, 87.0, -1},
      {"minutes huge exponent", {L"--minutes", L"1e999"}, 60.0, kModeStandard, 87.0, -1},
      {"minutes with a very long numeric prefix", {L"--minutes", std::wstring(200, L'0') + L"2.5"}, 2.5, kModeStandard,
       87.0, -1},
      {"limit with a very long fraction", {L"--limit", L"60." + std::wstring(300, L'0') + L"1x"}, 15.0,
       kModeStandard, 60.0, -1},
      {"limit 30", {L"--limit", L"30"}, 15.0, kModeStandard, 50.0, -1},
      {"limit 120", {L"--limit", L"120"}, 15.0, kModeStandard, 95.0, -1},
      {"limit inside", {L"--limit", L"72.5"}, 15.0, kModeStandard, 72.5, -1},
      {"adapter", {L"--adapter", L"2"}, 15.0, kModeStandard, 87.0, 2},
      {"adapter negative", {L"--adapter", L"-3"}, 15.0, kModeStandard, 87.0, -3},
      {"adapter not a number", {L"--adapter", L"first"}, 15.0, kModeStandard, 87.0, 0},
      {"adapter digits prefix", {L"--adapter", L"1x"}, 15.0, kModeStandard, 87.0, 1},
      {"adapter overflow saturates", {L"--adapter", L"99999999999"}, 15.0, kModeStandard, 87.0, 2147483647},
      {"value that looks like a name is consumed",
       {L"--minutes", L"--load", L"cpu"}, 0.05, kModeStandard, 87.0, -1},
      {"name in last position ignored", {L"--minutes", L"5", L"--load"}, 5.0, kModeStandard, 87.0, -1},
      {"later pair overrides", {L"--load", L"cpu", L"--load", L"ram"}, 15.0, kModeRam, 87.0, -1},
      {"unknown argument skipped by one", {L"x", L"--load", L"bench"}, 15.0, kModeBench, 87.0, -1},
      {"options in any order",
       {L"--adapter", L"1", L"--limit", L"60", L"--minutes", L"0.5", L"--load", L"gentle"},
       0.5, kModeGentle, 60.0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Options options = Parse(c.args);
    EXPECT_DOUBLE_EQ(options.minutes, c.minutes);
    EXPECT_EQ(options.load, c.load);
    EXPECT_DOUBLE_EQ(options.limit, c.limit);
    EXPECT_EQ(options.adapter, c.adapter);
    EXPECT_EQ(options.dir[0], L'\0');
  }
}

// Catches an overrun of the 600-unit folder buffer and a wrong cut.
TEST(ParseOptions, DirKeepsFirst599Units) {
  const std::wstring longDir = L"C:\\" + std::wstring(697, L'd');
  ASSERT_EQ(longDir.size(), 700u);
  const Options options = Parse({L"--dir", longDir});
  EXPECT_EQ(std::wstring(options.dir), longDir.substr(0, 599));

  const Options shorter = Parse({L"--dir", longDir, L"--dir", L"D:\\tmp"});
  EXPECT_EQ(std::wstring(shorter.dir), L"D:\\tmp");
}

// The real process command line goes through CommandLineToArgvW.
TEST(ParseOptions, ProcessCommandLineHasNoModeArguments) {
  const Options options = ParseProcessOptions();
  EXPECT_EQ(options.load, kModeStandard);
  EXPECT_DOUBLE_EQ(options.minutes, 15.0);
}

}  // namespace

#include "probe/core/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cwchar>
#include <limits>
#include <string>
#include <vector>

#include "tests/support/hostile_input.h"

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

const wchar_t* const kOptionNames[] = {L"--minutes", L"--load", L"--limit", L"--adapter", L"--dir"};

// An argument that is no option name, however close it comes to one.
std::wstring NoiseArgument(HostileRandom& random, bool crowded) {
  switch (random.Below(4)) {
    case 0:
      return random.Pick<const wchar_t*>({L"--LOAD", L"--load ", L" --load", L"-load", L"--loa", L"--minutes=5",
                                          L"\x2014load", L"--dir\xd800", L"--\xff0dload", L"", L"q", L"-", L"--"});
    case 1: {
      const std::wstring name = random.PickFrom(kOptionNames);  // drawn before the unit, whatever the compiler
      return name + random.HostileUnit();
    }
    default:
      return random.HostileText(!crowded && random.OneIn(20) ? random.Between(1000, 5000) : random.Below(12), 2);
  }
}

// Text that cannot extend the number before it: it starts with none of
// "0-9 . e E + -", nor with a blank where no number came (a value may begin with blanks).
std::wstring Tail(HostileRandom& random, const std::wstring& number) {
  if (random.OneIn(3)) return L"";
  wchar_t first = random.Pick({L'x', L'%', L'"', L' ', L'\t', L'\xd800', L'\xdc00', L'\x0661', L'\xff11', L'/'});
  if (number.find_first_not_of(L" \t") == std::wstring::npos && (first == L' ' || first == L'\t')) first = L'x';
  return first + random.HostileText(random.Below(8), 2);
}

struct Number {
  std::wstring text;
  double value;
};

// A decimal value with its text: signs, fractions, exponents, thousands of
// digits, values past every clamp and past the range of a double, and words a
// careless reader takes for numbers (nan, inf, hex, other scripts' digits).
Number DecimalValue(HostileRandom& random, bool crowded) {
  const double infinity = std::numeric_limits<double>::infinity();
  switch (random.Below(crowded ? 3 : 4)) {
    case 0: {
      const long whole = static_cast<long>(random.Below(200));
      const long hundredths = static_cast<long>(random.Below(100));
      wchar_t text[32];
      swprintf(text, 32, L"%ld.%02ld", whole, hundredths);
      return {text, whole + hundredths / 100.0};
    }
    case 1:
      return random.Pick<Number>({{L"0", 0},          {L"-3", -3},         {L"+7", 7},       {L".5", 0.5},
                                  {L"5.", 5},         {L"1e1", 10},        {L"1E+1", 10},    {L"25e-1", 2.5},
                                  {L"1e", 1},         {L"1e+", 1},         {L" \t12", 12},   {L"-0", 0},
                                  {L"1e999", infinity}, {L"-1e999", -infinity}, {L"1e-999", 0}, {L"2.5e1", 25}});
    case 2:
      return random.Pick<Number>({{L"nan", 0}, {L"NaN", 0}, {L"inf", 0}, {L"-infinity", 0}, {L"0x1A", 0},
                                  {L"-", 0}, {L".", 0}, {L"+.e1", 0}, {L"", 0}, {L"\xff11\xff12", 0},
                                  {L"\x0663", 0}, {L"\x3000" L"12", 0}, {L"+-1", 0}, {L"e5", 0}});
    default: {
      const std::wstring zeros(random.Between(400, 1500), L'0');
      return random.Pick<Number>({{zeros + L"42", 42}, {L"42." + zeros + L"1", 42}, {L"1" + zeros, infinity},
                                  {L"-1" + zeros, -infinity}, {L"0." + zeros + L"1", 0}});
    }
  }
}

struct Integer {
  std::wstring text;
  int32_t value;
};

Integer IntegerValue(HostileRandom& random, bool crowded) {
  switch (random.Below(crowded ? 2 : 3)) {
    case 0: {
      const int32_t value = static_cast<int32_t>(static_cast<uint32_t>(random.Next()));
      return {std::to_wstring(value), value};
    }
    case 1:
      return random.Pick<Integer>({{L"2147483647", INT32_MAX}, {L"2147483648", INT32_MAX},
                                   {L"-2147483648", INT32_MIN}, {L"-2147483649", INT32_MIN},
                                   {L"99999999999999999999999", INT32_MAX}, {L"-99999999999999999999999", INT32_MIN},
                                   {L"+5", 5}, {L"-0", 0}, {L" \t-3", -3}, {L"007", 7}});
    default:
      return random.Pick<Integer>({{L"", 0}, {L"+-1", 0}, {L"first", 0}, {L"0x10", 0}, {L"\xff11", 0},
                                   {L"\x0661", 0}, {L"-", 0}, {std::wstring(5000, L'9'), INT32_MAX},
                                   {L"-" + std::wstring(5000, L'9'), INT32_MIN},
                                   {std::wstring(5000, L'0') + L"12", 12}});
  }
}

struct LoadValue {
  std::wstring text;
  int32_t mode;
};

LoadValue LoadWord(HostileRandom& random) {
  static const LoadValue kWords[] = {{L"gentle", kModeGentle}, {L"memory", kModeMemory},     {L"cpu", kModeCpu},
                                     {L"ram", kModeRam},       {L"bench", kModeBench},       {L"frames", kModeFrames},
                                     {L"sensors", kModeSensors}, {L"latency", kModeLatency}, {L"faults", kModeFaults},
                                     {L"input", kModeInput}};
  const LoadValue& word = kWords[random.Below(std::size(kWords))];
  switch (random.Below(4)) {
    case 0:
    case 1:
      return word;
    case 2: {  // one unit more, changed or missing: never a match
      std::wstring text = word.text;
      switch (random.Below(3)) {
        case 0: {
          const size_t at = random.Below(text.size() + 1);  // drawn before the unit, whatever the compiler
          text.insert(at, random.HostileUnit());
          break;
        }
        case 1: text.erase(random.Below(text.size()), 1); break;
        default: text[random.Below(text.size())] ^= 0x20; break;
      }
      return {text, kModeStandard};
    }
    default:
      return {random.OneIn(2) ? std::wstring(random.PickFrom(kOptionNames)) : random.HostileText(random.Below(40), 2),
              kModeStandard};
  }
}

double Clamped(double value, double lowest, double highest) {
  return value < lowest ? lowest : value > highest ? highest : value;
}

// Command lines the host never meant: noise around the options, values of
// every hostile kind, names near the real ones, a name left without its value,
// folders around their 599-unit cut, tens of thousands of arguments. Each line
// is built from the options it means, so what must come back is known: those
// values, clamped, and a folder cut to its first 599 units; nothing else may
// change and every value stays inside the range its start line can print.
TEST(ParseOptions, HostileCommandLines) {
  const uint64_t seed = HostileSeed();
  const size_t kCases = HostileCaseCount(3000);
  for (size_t index = 0; index < kCases; ++index) {
    const std::string caseName = HostileCaseName(seed, index);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());  // a crash in the code under test names the case
    HostileRandom random(seed, index);
    double minutes = 15.0, limit = 87.0;
    int32_t load = kModeStandard, adapter = -1;
    std::wstring dir;
    std::vector<std::wstring> args;
    // Now and then a crowd of short arguments, as long as a command line can hold.
    const bool crowded = random.OneIn(50);
    const size_t steps = crowded ? random.Between(2000, 16000) : random.Below(12);
    for (size_t step = 0; step < steps; ++step) {
      switch (random.Below(6)) {
        case 0: {
          const Number value = DecimalValue(random, crowded);
          args.insert(args.end(), {L"--minutes", value.text + Tail(random, value.text)});
          minutes = value.value;
          break;
        }
        case 1: {
          const Number value = DecimalValue(random, crowded);
          args.insert(args.end(), {L"--limit", value.text + Tail(random, value.text)});
          limit = value.value;
          break;
        }
        case 2: {
          const Integer value = IntegerValue(random, crowded);
          args.insert(args.end(), {L"--adapter", value.text + Tail(random, value.text)});
          adapter = value.value;
          break;
        }
        case 3: {
          const LoadValue value = LoadWord(random);
          args.insert(args.end(), {L"--load", value.text});
          load = value.mode;
          break;
        }
        case 4: {
          const size_t length = crowded || random.OneIn(4) ? random.Below(40)
                                                : random.NearBound({1, 260, 520, 598, 599, 600, 1200, 32767});
          const std::wstring folder = random.HostileText(length);
          args.insert(args.end(), {L"--dir", folder});
          dir = folder.substr(0, kDirCapacity - 1);
          break;
        }
        default:
          args.push_back(NoiseArgument(random, crowded));
          break;
      }
    }
    if (random.OneIn(4)) args.push_back(random.PickFrom(kOptionNames));  // a name without its value

    const Options options = Parse(args);
    EXPECT_DOUBLE_EQ(options.minutes, Clamped(minutes, 0.05, 60.0));
    EXPECT_DOUBLE_EQ(options.limit, Clamped(limit, 50.0, 95.0));
    EXPECT_EQ(options.load, load);
    EXPECT_EQ(options.adapter, adapter);
    const size_t dirLength = wcsnlen(options.dir, kDirCapacity);
    ASSERT_LT(dirLength, static_cast<size_t>(kDirCapacity)) << "folder without its terminator";
    EXPECT_TRUE(std::wstring(options.dir, dirLength) == dir)
        << "folder of " << dirLength << " units, meant " << dir.size();
    EXPECT_TRUE(std::isfinite(options.minutes) && std::isfinite(options.limit));
    if (HasFailure()) break;
  }
  // Nothing to read at all: the defaults.
  for (int argc : {0, -1}) {
    const Options options = ParseOptions(argc, nullptr);
    EXPECT_EQ(options.load, kModeStandard);
    EXPECT_DOUBLE_EQ(options.minutes, 15.0);
  }
}

}  // namespace

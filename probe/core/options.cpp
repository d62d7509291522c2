#include "probe/core/options.h"

#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string>

namespace {

struct LoadWord {
  const wchar_t* word;
  int32_t mode;
};

constexpr LoadWord kLoadWords[] = {
    {L"gentle", kModeGentle}, {L"memory", kModeMemory},   {L"cpu", kModeCpu},
    {L"ram", kModeRam},       {L"bench", kModeBench},     {L"frames", kModeFrames},
    {L"sensors", kModeSensors}, {L"latency", kModeLatency}, {L"faults", kModeFaults},
    {L"input", kModeInput},
};

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

size_t SkipDigits(const wchar_t* text, size_t i) {
  while (IsDigit(text[i])) ++i;
  return i;
}

void ClampOptions(Options& options) {
  if (options.minutes < 0.05) options.minutes = 0.05;
  if (options.minutes > 60.0) options.minutes = 60.0;
  if (options.limit < 50.0) options.limit = 50.0;
  if (options.limit > 95.0) options.limit = 95.0;
}

}  // namespace

int32_t ModeFromLoadWord(const wchar_t* word) {
  for (const LoadWord& entry : kLoadWords) {
    if (wcscmp(entry.word, word) == 0) return entry.mode;
  }
  return kModeStandard;
}

// Only plain decimal notation counts as a number: words such as "nan" or "inf"
// would otherwise slip past the clamps and leave a run without an end.
double ParseDecimalPrefix(const wchar_t* text) {
  size_t i = 0;
  while (text[i] == L' ' || text[i] == L'\t') ++i;
  const size_t start = i;
  if (text[i] == L'+' || text[i] == L'-') ++i;
  const size_t intStart = i;
  i = SkipDigits(text, i);
  size_t mantissaDigits = i - intStart;
  if (text[i] == L'.') {
    const size_t fracStart = i + 1;
    const size_t fracEnd = SkipDigits(text, fracStart);
    mantissaDigits += fracEnd - fracStart;
    i = fracEnd;
  }
  if (mantissaDigits == 0) return 0.0;
  if (text[i] == L'e' || text[i] == L'E') {
    size_t e = i + 1;
    if (text[e] == L'+' || text[e] == L'-') ++e;
    const size_t expEnd = SkipDigits(text, e);
    if (expEnd > e) i = expEnd;
  }

  // The prefix is plain ASCII by now, however long the host made it.
  std::string narrow(i - start, '\0');
  for (size_t k = 0; k < narrow.size(); ++k) narrow[k] = static_cast<char>(text[start + k]);
  return strtod(narrow.c_str(), nullptr);  // the worker never leaves the C locale
}

int32_t ParseIntegerPrefix(const wchar_t* text) {
  size_t i = 0;
  while (text[i] == L' ' || text[i] == L'\t') ++i;
  bool negative = false;
  if (text[i] == L'+' || text[i] == L'-') negative = text[i++] == L'-';
  int64_t value = 0;
  for (; IsDigit(text[i]); ++i) {
    value = value * 10 + (text[i] - L'0');
    if (value > static_cast<int64_t>(INT_MAX) + 1) value = static_cast<int64_t>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int32_t>(value);
}

Options ParseOptions(int argc, const wchar_t* const* argv) {
  Options options;
  int i = 1;
  while (i + 1 < argc) {
    const wchar_t* name = argv[i];
    const wchar_t* value = argv[i + 1];
    if (wcscmp(name, L"--minutes") == 0) {
      options.minutes = ParseDecimalPrefix(value);
    } else if (wcscmp(name, L"--load") == 0) {
      options.load = ModeFromLoadWord(value);
    } else if (wcscmp(name, L"--limit") == 0) {
      options.limit = ParseDecimalPrefix(value);
    } else if (wcscmp(name, L"--adapter") == 0) {
      options.adapter = ParseIntegerPrefix(value);
    } else if (wcscmp(name, L"--dir") == 0) {
      size_t n = 0;
      while (n < kDirCapacity - 1 && value[n] != L'\0') {
        options.dir[n] = value[n];
        ++n;
      }
      options.dir[n] = L'\0';
    } else {
      i += 1;
      continue;
    }
    i += 2;  // the value is consumed even when it looks like an option name
  }
  ClampOptions(options);
  return options;
}

Options ParseProcessOptions() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argv == nullptr) {
    Options options;
    ClampOptions(options);
    return options;
  }
  Options options = ParseOptions(argc, argv);
  LocalFree(argv);
  return options;
}

#pragma once

#include <cstdint>

// Mode numbers selected by the word after "--load".
enum Mode : int32_t {
  kModeGentle = 0,
  kModeStandard = 1,
  kModeMemory = 2,
  kModeCpu = 3,
  kModeRam = 4,
  kModeBench = 5,
  kModeFrames = 6,
  kModeSensors = 7,
  kModeLatency = 8,
  kModeFaults = 9,
  kModeInput = 10,
};

constexpr int kDirCapacity = 600;  // UTF-16 code units including the terminator

struct Options {
  double minutes = 15.0;
  int32_t load = kModeStandard;
  double limit = 87.0;
  int32_t adapter = -1;
  wchar_t dir[kDirCapacity] = {};
};

// minutes × 60000.0, truncated: the run's limit in milliseconds for the modes
// that count their time on the 32-bit tick count.
inline uint32_t TimeLimitMs(double minutes) { return static_cast<uint32_t>(minutes * 60000.0); }

// Exact, case-sensitive word match; anything else is the standard GPU stress.
int32_t ModeFromLoadWord(const wchar_t* word);

// The longest decimal floating-point prefix of text; 0.0 when there is none.
double ParseDecimalPrefix(const wchar_t* text);

// Optional sign and decimal digits; 0 when there are none. Saturates at the int32 range.
int32_t ParseIntegerPrefix(const wchar_t* text);

// Never fails: whatever cannot be read keeps its default. argv[0] is the program.
Options ParseOptions(int argc, const wchar_t* const* argv);

// CommandLineToArgvW(GetCommandLineW()) and ParseOptions; defaults if splitting fails.
Options ParseProcessOptions();

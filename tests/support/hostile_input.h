#pragma once

// Seeded generator for the hostile-input tables: every input from outside
// (command lines, the host's pipe stream, registry values, paths, kernel and
// present records, raw input and device strings) is tried with thousands of
// generated cases. One seed makes a whole run; the case index makes
// one case, so a failure names both and replays exactly:
//   VANTOREL_HOSTILE_SEED=<seed> <test program> --gtest_filter=<test>
// A failing case stops its table, so one fault is reported once.
// The generator is our own (splitmix64), not <random>'s distributions, so a seed
// gives the same cases with every compiler and standard library.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/test_guard.h"

inline constexpr uint64_t kDefaultHostileSeed = 0x5EEDC0DE2024ull;

// VANTOREL_HOSTILE_SEED when it reads whole as a number (decimal or 0x hex),
// else the fixed default.
inline uint64_t HostileSeed() {
  char text[64] = {};
  const DWORD length = GetEnvironmentVariableA("VANTOREL_HOSTILE_SEED", text, sizeof(text));
  if (length == 0 || length >= sizeof(text)) return kDefaultHostileSeed;
  char* end = nullptr;
  const unsigned long long seed = strtoull(text, &end, 0);
  return end != text && *end == '\0' ? seed : kDefaultHostileSeed;
}

// How many cases a table tries: its own count, or VANTOREL_HOSTILE_CASES for a
// longer hunt (or a quicker look) than the everyday run.
inline size_t HostileCaseCount(size_t everyday) {
  char text[32] = {};
  const DWORD length = GetEnvironmentVariableA("VANTOREL_HOSTILE_CASES", text, sizeof(text));
  if (length == 0 || length >= sizeof(text)) return everyday;
  const unsigned long long count = strtoull(text, nullptr, 10);
  return count > 0 ? static_cast<size_t>(count) : everyday;
}

class HostileRandom {
 public:
  // The generator of one case: derived from the run's seed and the case index.
  HostileRandom(uint64_t seed, uint64_t caseIndex) : state_(seed ^ (caseIndex * 0x9E3779B97F4A7C15ull)) { Next(); }

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 to count - 1 (0 when count is 0).
  size_t Below(size_t count) { return count == 0 ? 0 : static_cast<size_t>(Next() % count); }
  // lowest to highest, both included.
  size_t Between(size_t lowest, size_t highest) { return lowest + Below(highest - lowest + 1); }
  bool OneIn(size_t count) { return Below(count) == 0; }
  template <class T>
  T Pick(std::initializer_list<T> choices) {
    return choices.begin()[Below(choices.size())];
  }
  template <class T, size_t N>
  const T& PickFrom(const T (&choices)[N]) {
    return choices[Below(N)];
  }
  // A length at or next to one of the bounds: bound - 1, bound or bound + 1.
  size_t NearBound(std::initializer_list<size_t> bounds) {
    const size_t bound = Pick(bounds);
    const size_t offset = Below(3);
    return bound + offset >= 1 ? bound + offset - 1 : 0;
  }

  // 2^k - 1, 2^k or 2^k + 1 for a k below bits. Two draws, in this order: as
  // operands of one expression their order would be the compiler's choice.
  uint64_t PowerOfTwoNear(size_t bits) {
    const uint64_t power = 1ull << Below(bits);
    const uint64_t offset = Below(3);
    return power + offset - 1;
  }

  // A 64-bit pattern from where signed and unsigned arithmetic break: 0, ±1,
  // the extremes and their neighbours, powers of two and their neighbours, or
  // any value at all.
  uint64_t Edgy64() {
    switch (Below(6)) {
      case 0: {
        static constexpr uint64_t kEdges[] = {0, 1, 2, ~0ull, ~0ull - 1, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull,
                                              0x8000000000000001ull, 0x7FFFFFFFFFFFFFFEull, 0xFFFFFFFFull,
                                              0x100000000ull, 0x80000000ull, 0x7FFFFFFFull};
        return PickFrom(kEdges);
      }
      case 1:
        return PowerOfTwoNear(64);
      case 2:
        return ~PowerOfTwoNear(64) + 1;  // the negative of a power of two, ±1
      default:
        return Next();
    }
  }
  int64_t EdgyInt64() {
    const uint64_t bits = Edgy64();
    int64_t value;
    memcpy(&value, &bits, sizeof(value));
    return value;
  }
  uint32_t Edgy32() {
    switch (Below(4)) {
      case 0: {
        static constexpr uint32_t kEdges[] = {0, 1, 2, 4, 0xFFFFFFFFu, 0xFFFFFFFEu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFu,
                                              0x10000u};
        return PickFrom(kEdges);
      }
      case 1:
        return static_cast<uint32_t>(PowerOfTwoNear(32));
      default:
        return static_cast<uint32_t>(Next());
    }
  }

  // One UTF-16 unit or pair of a kind that breaks careless text handling:
  // controls, quotes and backslashes, non-ASCII, pairs, lone surrogates of
  // both halves, non-characters. Never NUL.
  std::wstring HostileUnit() {
    switch (Below(12)) {
      case 0: return std::wstring(1, static_cast<wchar_t>(Between(1, 0x1f)));
      case 1: return std::wstring(1, Pick({L'"', L'\\', L'/', L':', L'%', L'\x7f'}));
      case 2: return std::wstring(1, static_cast<wchar_t>(Between(0x80, 0x7ff)));
      case 3: return std::wstring(1, static_cast<wchar_t>(Between(0x800, 0xd7ff)));
      case 4: return std::wstring(1, static_cast<wchar_t>(Between(0xe000, 0xfffd)));
      case 5: return std::wstring(1, Pick({L'\xfffe', L'\xffff', L'\xfeff', L'\xfffd'}));
      case 6: {  // a whole pair: a character beyond the BMP
        const wchar_t pair[] = {static_cast<wchar_t>(Between(0xd800, 0xdbff)),
                                static_cast<wchar_t>(Between(0xdc00, 0xdfff))};
        return std::wstring(pair, 2);
      }
      case 7: return std::wstring(1, static_cast<wchar_t>(Between(0xd800, 0xdbff)));  // lone high
      case 8: return std::wstring(1, static_cast<wchar_t>(Between(0xdc00, 0xdfff)));  // lone low
      case 9: return std::wstring(1, Pick({L' ', L'\t', L'\x3000', L'\x2003', L'\xa0'}));
      default: return std::wstring(1, static_cast<wchar_t>(Between(0x21, 0x7e)));
    }
  }
  // length UTF-16 units (a pair may make it one longer): mostly plain, now and then hostile.
  std::wstring HostileText(size_t length, size_t hostileOneIn = 4) {
    std::wstring text;
    while (text.size() < length) {
      if (OneIn(hostileOneIn)) {
        text += HostileUnit();
      } else {
        text += static_cast<wchar_t>(Between(0x21, 0x7e));
      }
    }
    return text;
  }

  // UTF-16 text of the given length as the system might hand it over (device
  // and driver names, paths): plain letters, quotes, backslashes, control
  // characters (NUL included only when allowed), non-ASCII, whole surrogate
  // pairs and lone halves of them.
  std::wstring SystemText(size_t length, bool withNul = false) {
    std::wstring text;
    while (text.size() < length) {
      const size_t kind = Below(9);
      wchar_t c = L'a';
      if (kind == 0) {
        c = L"\"\\/"[Below(3)];
      } else if (kind == 1) {
        c = static_cast<wchar_t>(Between(withNul ? 0 : 1, 0x1F));
      } else if (kind == 2) {
        c = static_cast<wchar_t>(Between(0x80, 0xD7FF));
      } else if (kind == 3) {
        c = static_cast<wchar_t>(Between(0xD800, 0xDFFF));  // a lone half
      } else if (kind == 4 && text.size() + 1 < length) {
        text += static_cast<wchar_t>(Between(0xD800, 0xDBFF));
        c = static_cast<wchar_t>(Between(0xDC00, 0xDFFF));
      } else if (kind == 5) {
        c = static_cast<wchar_t>(Between(0xE000, 0xFFFF));
      } else {
        c = static_cast<wchar_t>(Between(0x20, 0x7E));
      }
      text += c;
    }
    return text;
  }

  // Bytes that are not well-formed UTF-8: stray continuation bytes, cut
  // sequences, overlong forms, encoded surrogates, values past U+10FFFF, FE/FF.
  std::string MalformedUtf8() {
    switch (Below(8)) {
      case 0: return std::string(1, static_cast<char>(Between(0x80, 0xbf)));
      case 1: return Pick<const char*>({"\xc3", "\xe6\x97", "\xf0\x9f\x98"});
      case 2: return Pick<const char*>({"\xc0\xaf", "\xe0\x80\xaf", "\xf0\x80\x80\xaf", "\xc1\xbf"});
      case 3: return Pick<const char*>({"\xed\xa0\x80", "\xed\xbf\xbf", "\xed\xa0\xbd\xed\xb8\x80"});
      case 4: return Pick<const char*>({"\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xf8\x88\x80\x80\x80"});
      case 5: return std::string(1, static_cast<char>(Pick({0xfe, 0xff})));
      case 6: return std::string(1, static_cast<char>(Between(0xc2, 0xf4)));  // a lead without its tail
      default: return std::string("\xe6\x97") + static_cast<char>(Between(0x00, 0x7f));  // tail cut by ASCII
    }
  }
  // Well-formed UTF-8 of one character of any length, NUL excluded.
  std::string WellFormedUtf8() {
    switch (Below(4)) {
      case 0: return std::string(1, static_cast<char>(Between(0x01, 0x7f)));
      case 1: return Pick<const char*>({"\xc3\xa9", "\xc2\x80", "\xdf\xbf"});
      case 2:
        return Pick<const char*>({"\xe6\x97\xa5", "\xe0\xa0\x80", "\xef\xbf\xbd", "\xee\x80\x80", "\xef\xbf\xbf"});
      default: return Pick<const char*>({"\xf0\x9f\x98\x80", "\xf0\x90\x80\x80", "\xf4\x8f\xbf\xbf"});
    }
  }

 private:
  uint64_t state_;
};

// What a failing case names so it can be replayed.
inline std::string HostileCaseName(uint64_t seed, size_t caseIndex) {
  char text[96];
  snprintf(text, sizeof(text), "VANTOREL_HOSTILE_SEED=0x%llx case %llu", static_cast<unsigned long long>(seed),
           static_cast<unsigned long long>(caseIndex));
  return text;
}

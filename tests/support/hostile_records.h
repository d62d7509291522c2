#pragma once

// What the hostile-input tables of the monitors (kernel records, presents, raw
// input) share: one seed for the whole run (fixed, or
// VANTOREL_HOSTILE_SEED to replay or explore), a small generator that gives the
// same sequence on every compiler, values from the places where arithmetic and
// bounds go wrong, and bytes that end where readable memory ends.
//
// Every table names its row as "seed 0x... case N" with SCOPED_TRACE and, for
// a crash, CaseNote, so a failure can be replayed:
// VANTOREL_HOSTILE_SEED=0x... ctest -R <table>.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "tests/support/test_guard.h"

constexpr uint64_t kDefaultHostileSeed = 0x19A5EEDull;

// The seed of this run: VANTOREL_HOSTILE_SEED (decimal, or hex with 0x) when
// it is set and reads as a number, else the fixed default.
inline uint64_t HostileSeed() {
  const char* text = std::getenv("VANTOREL_HOSTILE_SEED");
  if (text == nullptr || *text == '\0') return kDefaultHostileSeed;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text, &end, 0);
  return end != text && *end == '\0' ? value : kDefaultHostileSeed;
}

inline std::string HostileCaseName(uint64_t seed, size_t index) {
  char name[64];
  snprintf(name, sizeof(name), "seed 0x%llx case %zu", static_cast<unsigned long long>(seed), index);
  return name;
}

// splitmix64: every case draws from its own stream, so a case reads the same
// whatever the cases before it drew.
class HostileRandom {
 public:
  HostileRandom(uint64_t seed, uint64_t caseIndex) : state_(seed ^ (caseIndex * 0xD1B54A32D192ED03ull)) { Next(); }

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform enough in [0, n) for n > 0.
  uint64_t Below(uint64_t n) { return Next() % n; }
  // Uniform in [low, high].
  uint64_t Between(uint64_t low, uint64_t high) { return low + Below(high - low + 1); }
  bool OneIn(uint64_t n) { return Below(n) == 0; }

  // A 64-bit pattern from where signed and unsigned arithmetic break: 0, ±1,
  // the extremes and their neighbours, powers of two and their neighbours, or
  // any value at all.
  uint64_t Edgy64() {
    switch (Below(6)) {
      case 0: {
        static constexpr uint64_t kEdges[] = {0, 1, 2, ~0ull, ~0ull - 1, 0x7FFFFFFFFFFFFFFFull, 0x8000000000000000ull,
                                              0x8000000000000001ull, 0x7FFFFFFFFFFFFFFEull, 0xFFFFFFFFull,
                                              0x100000000ull, 0x80000000ull, 0x7FFFFFFFull};
        return kEdges[Below(sizeof(kEdges) / sizeof(kEdges[0]))];
      }
      case 1:
        return (1ull << Below(64)) + (Below(3) - 1);
      case 2:
        return ~((1ull << Below(64)) + (Below(3) - 1)) + 1;  // the negative of a power of two, ±1
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
        return kEdges[Below(sizeof(kEdges) / sizeof(kEdges[0]))];
      }
      case 1:
        return static_cast<uint32_t>((1ull << Below(32)) + (Below(3) - 1));
      default:
        return static_cast<uint32_t>(Next());
    }
  }

  // UTF-16 text of the given length as the system might hand it over: plain
  // letters, quotes, backslashes, control characters (NUL included only when
  // allowed), non-ASCII, whole surrogate pairs and lone halves of them.
  std::wstring HostileText(size_t length, bool withNul = false) {
    std::wstring text;
    while (text.size() < length) {
      const uint64_t kind = Below(9);
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

 private:
  uint64_t state_;
};

// Bytes placed so their last one is the last readable byte before a page the
// process may not touch: a read even one byte past them faults at once, in
// every build, and the test main reports the crash.
class GuardedBytes {
 public:
  explicit GuardedBytes(size_t capacity) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    readable_ = (capacity + page_ - 1) / page_ * page_;
    if (readable_ == 0) readable_ = page_;
    base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, readable_ + page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base_ != nullptr) VirtualProtect(base_ + readable_, page_, PAGE_NOACCESS, &old);
  }
  ~GuardedBytes() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  bool ok() const { return base_ != nullptr; }
  size_t capacity() const { return readable_; }

  // Copies size bytes (at most the capacity) so they end at the guard page;
  // for size 0 the pointer is the guard page itself.
  uint8_t* Place(const void* bytes, size_t size) {
    uint8_t* at = base_ + readable_ - size;
    if (size != 0) memcpy(at, bytes, size);
    return at;
  }

 private:
  size_t page_ = 4096;
  size_t readable_ = 0;
  uint8_t* base_ = nullptr;
};

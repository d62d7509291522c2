#include "probe/core/json_escape.h"

#include <windows.h>

#include <cstdio>

namespace {

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Number of UTF-16 units of the longest whole-character prefix of source whose
// UTF-8 form fits in limit bytes (a lone surrogate becomes U+FFFD, 3 bytes).
int FittingUnits(const wchar_t* source, size_t limit) {
  size_t bytes = 0;
  int units = 0;
  for (;;) {
    const wchar_t c = source[units];
    if (c == L'\0') return units;
    int take = 1;
    size_t need = 3;
    if (c < 0x80) {
      need = 1;
    } else if (c < 0x800) {
      need = 2;
    } else if (IsHighSurrogate(c) && IsLowSurrogate(source[units + 1])) {
      need = 4;
      take = 2;
    }
    if (bytes + need > limit) return units;
    bytes += need;
    units += take;
  }
}

// Length of the UTF-8 sequence a byte starts (1 for ASCII and stray bytes).
size_t SequenceLength(unsigned char lead) {
  if (lead >= 0xF0) return 4;
  if (lead >= 0xE0) return 3;
  if (lead >= 0xC0) return 2;
  return 1;
}

}  // namespace

void EscapeJsonString(char* dest, size_t capacity, const wchar_t* source) {
  if (capacity == 0) return;
  char work[kEscapeWorkBytes] = {};
  const int limit = static_cast<int>(kEscapeWorkBytes - 1);
  if (WideCharToMultiByte(CP_UTF8, 0, source, -1, work, limit, nullptr, nullptr) == 0) {
    // Too long for the work copy: keep the whole characters that fit.
    work[0] = '\0';
    const int units = FittingUnits(source, kEscapeWorkBytes - 1);
    if (units > 0) {
      const int written = WideCharToMultiByte(CP_UTF8, 0, source, units, work, limit, nullptr, nullptr);
      work[written > 0 ? written : 0] = '\0';
    }
  }

  size_t p = 0;
  for (size_t i = 0; work[i] != '\0';) {
    if (p + 7 >= capacity) break;
    const unsigned char byte = static_cast<unsigned char>(work[i]);
    if (byte == 0x22 || byte == 0x5C) {
      dest[p++] = '\\';
      dest[p++] = static_cast<char>(byte);
      ++i;
    } else if (byte < 0x20) {
      snprintf(dest + p, 7, "\\u%04x", byte);
      p += 6;
      ++i;
    } else {
      // A character is copied whole or not at all, so a cut never splits it.
      const size_t length = SequenceLength(byte);
      if (p + (length - 1) + 7 >= capacity) break;
      for (size_t k = 0; k < length && work[i] != '\0'; ++k) dest[p++] = work[i++];
    }
  }
  dest[p] = '\0';
}

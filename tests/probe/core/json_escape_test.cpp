#include "probe/core/json_escape.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/support/utf8.h"

namespace {

std::string Escape(const std::wstring& source, size_t capacity = 300) {
  std::string dest(capacity + 16, '\x7f');  // a guard past the capacity
  EscapeJsonString(dest.data(), capacity, source.c_str());
  EXPECT_EQ(dest[capacity], '\x7f') << "wrote past the capacity";
  return std::string(dest.c_str());
}

// What the text decodes to when it stands between quotes in a JSON line.
std::string Decoded(const std::string& escaped) {
  return nlohmann::json::parse("\"" + escaped + "\"").get<std::string>();
}

// Catches wrong escapes, escaped non-ASCII and lost characters.
TEST(EscapeJsonString, Cases) {
  struct Case {
    const char* name;
    std::wstring source;
    std::string escaped;
  } const cases[] = {
      {"tab and quote", L"\t\"", "\\u0009\\\""},
      {"backslash", L"a\\b", "a\\\\b"},
      {"newline and unit separator", L"x\ny\x1f", "x\\u000ay\\u001f"},
      {"empty", L"", ""},
      {"plain adapter name", L"NVIDIA GeForce RTX 4090", "NVIDIA GeForce RTX 4090"},
      {"non-ASCII stays raw UTF-8", L"Gr\u00e4fikkarte \u96c6\u6210", ToUtf8(L"Gr\u00e4fikkarte \u96c6\u6210")},
      {"astral character stays raw", L"\U0001F600", ToUtf8(L"\U0001F600")},
      {"delete is not a control", L"\x7f", "\x7f"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string escaped = Escape(c.source);
    EXPECT_EQ(escaped, c.escaped);
    EXPECT_EQ(Decoded(escaped), ToUtf8(c.source));
  }
}

// Catches output beyond the capacity, a cut inside an escape and a split
// multi-byte character, for long names made of every kind of character.
TEST(EscapeJsonString, LongTextIsCutCleanly) {
  const std::wstring units[] = {L"a", L"\"", L"\t", L"\u00e9", L"\u20ac", L"\U0001F600", L"\\"};
  for (size_t capacity : {300u, 8u, 9u, 10u, 64u, 512u}) {
    for (const std::wstring& unit : units) {
      for (size_t lead = 0; lead < 4; ++lead) {
        std::wstring source(lead, L'x');
        while (source.size() < 600) source += unit;
        SCOPED_TRACE(testing::Message() << "capacity " << capacity << " unit " << ToUtf8(unit) << " lead " << lead);
        const std::string escaped = Escape(source, capacity);
        // Room for the longest escape and the NUL is kept, and the text is cut
        // where that room first runs out, not earlier.
        EXPECT_LE(escaped.size() + 2, capacity);
        EXPECT_GE(escaped.size() + 10, capacity);
        // Parses as a JSON string and decodes to a prefix of the source.
        const std::string decoded = Decoded(escaped);
        EXPECT_EQ(ToUtf8(source).compare(0, decoded.size(), decoded), 0);
      }
    }
  }
}

// A source longer than the 511-byte work copy keeps the whole characters that fit.
TEST(EscapeJsonString, SourceLongerThanWorkCopy) {
  const std::wstring source(300, L'\u00e9');  // 600 bytes of UTF-8
  const std::string escaped = Escape(source, 1024);
  EXPECT_EQ(escaped, ToUtf8(std::wstring(255, L'\u00e9')));
}

TEST(EscapeJsonString, TinyCapacities) {
  char dest[8];
  memset(dest, 'z', sizeof(dest));
  EscapeJsonString(dest, 7, L"abc");
  EXPECT_STREQ(dest, "");
  EscapeJsonString(dest, 0, L"abc");  // nothing may be written at all
  EXPECT_EQ(dest[0], '\0');
  EXPECT_EQ(dest[1], 'z');
}

}  // namespace

#include "probe/core/json_escape.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/hostile_input.h"
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

// UTF-8 of source up to its first NUL, each lone surrogate as U+FFFD: the
// text an event line must carry for it. Written out here rather than taken
// from the system's converter, which is what the escaper is checked against.
std::string ExpectedUtf8(const std::wstring& source) {
  std::string utf8;
  for (size_t i = 0; i < source.size() && source[i] != L'\0'; ++i) {
    uint32_t c = source[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < source.size() && source[i + 1] >= 0xDC00 && source[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (source[++i] - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      utf8 += static_cast<char>(c);
    } else if (c < 0x800) {
      utf8 += static_cast<char>(0xC0 | (c >> 6));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      utf8 += static_cast<char>(0xE0 | (c >> 12));
      utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      utf8 += static_cast<char>(0xF0 | (c >> 18));
      utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      utf8 += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return utf8;
}

// The longest prefix of well-formed utf8 that ends on a whole character and holds at most limit bytes.
std::string WholeCharacterPrefix(const std::string& utf8, size_t limit) {
  if (utf8.size() <= limit) return utf8;
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
  return utf8.substr(0, cut);
}

// The one escaped form of a text: quote and backslash escaped, bytes below 0x20
// as \u00xx, everything else (non-ASCII included) as it is.
std::string Escaped(const std::string& utf8) {
  std::string escaped;
  for (char c : utf8) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte == '"' || byte == '\\') {
      escaped += '\\';
      escaped += c;
    } else if (byte < 0x20) {
      char code[8];
      snprintf(code, sizeof(code), "\\u%04x", byte);
      escaped += code;
    } else {
      escaped += c;
    }
  }
  return escaped;
}

// System text of every kind (controls, quotes, non-ASCII, pairs, lone
// surrogates, non-characters) at every length around the work copy's 511
// bytes, into every capacity around the callers' buffers. Catches a write past
// the capacity, a line a JSON reader rejects (raw controls, a cut escape, a
// split or malformed character), non-ASCII escaped instead of kept, and text
// dropped although it would have fit.
TEST(EscapeJsonString, HostileSystemText) {
  const uint64_t seed = HostileSeed();
  const size_t kCases = HostileCaseCount(5000);
  constexpr size_t kGuard = 32;
  for (size_t index = 0; index < kCases; ++index) {
    const std::string caseName = HostileCaseName(seed, index);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());  // a crash in the code under test names the case
    HostileRandom random(seed, index);
    const size_t length = random.OneIn(3) ? random.Below(1200)
                                          : random.NearBound({0, 1, 2, 84, 85, 127, 128, 170, 171, 255, 256, 299,
                                                              300, 510, 511, 512, 513, 1023, 1024});
    std::wstring source = random.HostileText(length, random.Pick<size_t>({1, 2, 4, 50}));
    if (random.OneIn(10)) source.insert(random.Below(source.size() + 1), 1, L'\0');  // nothing after a NUL counts
    const size_t capacity =
        random.OneIn(3) ? random.Below(1500)
                        : random.NearBound({0, 1, 7, 8, 9, 10, 13, 64, 100, 256, 300, 512, 1024, 2048});

    std::vector<char> dest(capacity + kGuard, '\x7f');
    EscapeJsonString(dest.data(), capacity, source.c_str());
    for (size_t i = capacity; i < dest.size(); ++i) ASSERT_EQ(dest[i], '\x7f') << "wrote past the capacity at " << i;
    if (capacity == 0) continue;
    const size_t size = strnlen(dest.data(), capacity);
    ASSERT_LT(size, capacity) << "no terminator within the capacity";
    const std::string escaped(dest.data(), size);

    std::string decoded;
    const std::string line = "{\"event\":\"start\",\"name\":\"" + escaped + "\"}";
    try {
      decoded = nlohmann::json::parse(line).at("name").get<std::string>();
    } catch (const std::exception& error) {
      FAIL() << "not a valid JSON line: " << error.what() << "\n" << testing::PrintToString(escaped);
    }
    EXPECT_EQ(escaped, Escaped(decoded)) << "not the one escaped form";

    // A prefix of the text, cut only where the work copy or the capacity ran out.
    const std::string fitting = WholeCharacterPrefix(ExpectedUtf8(source), kEscapeWorkBytes - 1);
    ASSERT_LE(decoded.size(), fitting.size());
    EXPECT_EQ(fitting.compare(0, decoded.size(), decoded), 0) << "not a prefix of the source";
    if (decoded.size() < fitting.size()) {
      EXPECT_GE(size + 10, capacity) << "cut although " << fitting.size() - decoded.size() << " more bytes fit";
    }
    if (HasFailure()) break;
  }
}

}  // namespace

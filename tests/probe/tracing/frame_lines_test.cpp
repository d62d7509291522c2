#include "probe/tracing/frame_lines.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/support/utf8.h"

namespace {

std::string SampleLine(double t, uint32_t processId, bool foreground, const std::vector<double>& times) {
  std::vector<char> line(kSampleLineBytes + 16, '\x7f');
  const size_t length = FormatSampleLine(line.data(), kSampleLineBytes, t, processId, foreground, times);
  EXPECT_EQ(line[kSampleLineBytes], '\x7f') << "wrote past the buffer";
  EXPECT_LT(length, kSampleLineBytes);
  EXPECT_EQ(strlen(line.data()), length);
  return std::string(line.data(), length);
}

// Catches a wrong shape, lost order or rounding other than two decimals.
TEST(FormatSampleLine, ShapeOrderAndTwoDecimals) {
  EXPECT_EQ(SampleLine(3.0, 4242, true, {16.666, 8.335, 33.3, 0.004}),
            "{\"t\":3.00,\"pid\":4242,\"fg\":true,\"ms\":[16.67,8.34,33.30,0.00]}");
  EXPECT_EQ(SampleLine(12.345, 7, false, {}), "{\"t\":12.35,\"pid\":7,\"fg\":false,\"ms\":[]}");
  EXPECT_EQ(SampleLine(0.5, 4294967295u, false, {1}), "{\"t\":0.50,\"pid\":4294967295,\"fg\":false,\"ms\":[1.00]}");
}

// Catches a line cut inside an item or without its closing brackets when the
// list is long, and items added past the limit.
TEST(FormatSampleLine, LongListsStopBelowTheLimitAndStayWholeJson) {
  struct Case {
    const char* name;
    std::vector<double> times;
  } const cases[] = {
      {"4000 short items fit", std::vector<double>(4000, 16.67)},
      {"4000 long items are cut", std::vector<double>(4000, 12345678901234.5)},
      {"huge intervals", std::vector<double>(4000, 9.2e14)},
      {"one item past any buffer", {1e300}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string line = SampleLine(1.0, 1, true, c.times);
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << line.substr(line.size() - 80);
    const size_t items = json["ms"].size();
    EXPECT_LE(items, c.times.size());
    if (items < c.times.size()) {
      // Cut only because the line reached the limit (or the next item could not fit).
      const std::string withoutClose = line.substr(0, line.size() - 2);
      EXPECT_TRUE(withoutClose.size() >= kSampleLineItemLimit || c.times.size() == 1) << withoutClose.size();
      EXPECT_LT(withoutClose.size(), kSampleLineItemLimit + 32);
    }
  }
  EXPECT_EQ(nlohmann::json::parse(SampleLine(1.0, 1, true, std::vector<double>(4000, 16.67)))["ms"].size(), 4000u);
  EXPECT_LT(nlohmann::json::parse(SampleLine(1.0, 1, true, std::vector<double>(4000, 12345678901234.5)))["ms"].size(),
            4000u);
}

// Catches an item limit a few characters off: items of "1.00" go on while the
// line is shorter than the limit, so a line that reaches it exactly gets no
// more, and one a character shorter gets one more. The process id's digits
// set where the line lands.
TEST(FormatSampleLine, ItemLimitIsExact) {
  ASSERT_EQ(kSampleLineItemLimit, 65504u);
  const std::vector<double> ones(14000, 1.0);
  // {"t":1.00,"pid":10,"fg":true,"ms":[ is 35 characters; each item adds 5
  // (the first 4), so 13094 items make the line 65504 long.
  const struct Case {
    uint32_t processId;
    size_t items;
  } cases[] = {
      {10, 13094},
      {7, 13095},  // 13094 items make 65503: one more fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.processId);
    const std::string line = SampleLine(1.0, c.processId, true, ones);
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    ASSERT_FALSE(json.is_discarded());
    EXPECT_EQ(json["ms"].size(), c.items);
    // The line before its last item was shorter than the limit; with it, it is not.
    const std::string withoutClose = line.substr(0, line.size() - 2);
    EXPECT_LT(withoutClose.size() - 5, kSampleLineItemLimit);
    EXPECT_GE(withoutClose.size(), kSampleLineItemLimit);
  }
}

// Catches names that break the line: quotes, backslashes, control characters
// and names so long that the escaped text would push out the closing brace.
TEST(FormatTargetLine, HostileNamesStayWholeJson) {
  struct Case {
    const char* name;
    std::wstring processName;
    bool whole;  // the name survives uncut
  } const cases[] = {
      {"plain", L"game.exe", true},
      {"quotes and backslashes", L"\"}],\\\"x.exe", true},
      {"control characters", std::wstring(L"a\x01\n\t\x1f") + L".exe", true},
      {"non-ASCII", L"spi\u00e9l \u96c6.exe", true},
      {"empty", L"", true},
      {"long quotes", std::wstring(300, L'"'), false},
      {"long control characters", std::wstring(200, L'\x02'), false},
      {"long non-ASCII", std::wstring(300, L'\u00e9'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    char line[kTargetLineBytes];
    const size_t length = FormatTargetLine(line, 4242, c.processName.c_str());
    ASSERT_LT(length, sizeof(line));
    EXPECT_EQ(strlen(line), length);
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    ASSERT_FALSE(json.is_discarded()) << line;
    EXPECT_EQ(json["event"], "target");
    EXPECT_EQ(json["pid"], 4242);
    const std::string name = json["name"].get<std::string>();
    const std::string full = ToUtf8(c.processName);
    if (c.whole) {
      EXPECT_EQ(name, full);
    } else {
      EXPECT_FALSE(name.empty());
      EXPECT_EQ(full.compare(0, name.size(), name), 0) << "a cut name is a prefix of the name";
    }
  }
}

}  // namespace

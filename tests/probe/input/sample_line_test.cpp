// The sample line: its pieces, their reset between periods, and JSON whatever the device names.
#include "probe/input/sample_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>

#include "tests/probe/input/input_test_support.h"
#include "tests/support/utf8.h"

namespace {

class SampleLine : public testing::Test {
 protected:
  void SetUp() override { FakeNames::Reset(L"Test mouse"); }
  void Mouse(uintptr_t device, int64_t timeUs) {
    CountMouseEvent(tables.pointers, Move(device, timeUs), kMicrosecondCounter, FakeNames::Read);
  }
  void Press(int64_t timeUs, uint16_t makeCode, uint16_t flags = 0) {
    CountKeyEvent(tables.keyboard, Key(timeUs, makeCode, flags), kMicrosecondCounter, FakeNames::Read);
  }
  std::string Build(double seconds) {
    char line[kInputLineBytes];
    const SampleTime now{seconds, static_cast<int64_t>(seconds * kMicrosecondCounter), kMicrosecondCounter};
    const size_t length = BuildSampleLine(tables, now, line, sizeof(line));
    EXPECT_EQ(length, strlen(line));
    return std::string(line, length);
  }
  InputTables tables;
};

TEST_F(SampleLine, PeriodWithoutInputHoldsOnlyT) { EXPECT_EQ(Build(1.004), "{\"t\":1.00}"); }

// The worked example as the host reads it, and a period after it with no motion.
TEST_F(SampleLine, MousePieceThenResetPeriod) {
  for (int64_t t : {10000, 11000, 12000, 13000, 22000}) Mouse(0x40, t);
  EXPECT_EQ(Build(1.0),
            "{\"t\":1.00,\"m\":{\"n\":5,\"med\":1000.0,\"p10\":1000.0,\"p90\":9000.0,\"late\":1,\"gaps\":1,\"k\":4,"
            "\"dev\":\"Test mouse\"}}");
  EXPECT_EQ(Build(2.0), "{\"t\":2.00}");
  Mouse(0x40, 23500);
  const nlohmann::json third = nlohmann::json::parse(Build(3.0));
  EXPECT_EQ(third["m"]["n"], 1);
  EXPECT_EQ(third["m"]["k"], 1) << "the first interval of a period spans the boundary";
  EXPECT_EQ(third["m"]["med"], 1500.0);
}

// Only the busier mouse is reported; the other's events do not leak into its piece.
TEST_F(SampleLine, TwoMice) {
  FakeNames::next = L"Quiet";
  Mouse(0x20, 1000);
  FakeNames::next = L"Busy";
  for (int64_t t : {1000, 2000, 3000}) Mouse(0x70, t);
  const nlohmann::json line = nlohmann::json::parse(Build(1.0));
  EXPECT_EQ(line["m"]["dev"], "Busy");
  EXPECT_EQ(line["m"]["n"], 3);
}

// A key held across a boundary keeps held at 1 but writes no keyboard piece
// until it presses or repeats again.
TEST_F(SampleLine, KeyboardPieceOnlyWithPressesOrRepeats) {
  FakeNames::next = L"Keys";
  Press(0, 0x1E);
  Press(10000, 0x1D, kKeyE0);
  Press(20000, 0x1D, kKeyE0 | kKeyBreak);
  EXPECT_EQ(Build(1.0),
            "{\"t\":1.00,\"k\":{\"press\":2,\"rep\":0,\"rep_med\":0.0,\"rep_p10\":0.0,\"rep_p90\":0.0,\"held\":2,"
            "\"dev\":\"Keys\"}}");
  EXPECT_EQ(Build(1.5), "{\"t\":1.50}");
  for (int64_t t : {1660000, 1700000, 1740000, 1780000}) Press(t, 0x1E);
  const nlohmann::json third = nlohmann::json::parse(Build(2.0));
  EXPECT_EQ(third["k"]["press"], 0);
  EXPECT_EQ(third["k"]["rep"], 4);
  EXPECT_EQ(third["k"]["held"], 1);
  EXPECT_EQ(third["k"]["rep_med"], 40.0);
  EXPECT_EQ(third["k"]["rep_p90"], 1660.0);
}

// Product strings come from the device: every line parses and the names come
// through intact (or cut on a character boundary when too long).
TEST_F(SampleLine, HostileDeviceNamesStayJson) {
  const std::wstring longName = std::wstring(300, L'\u00e9') + L"\"tail\"";
  const std::wstring names[] = {
      L"Quote \" backslash \\ slash /",
      L"Line\nbreak\r\ttab\x01\x1f",
      L"\"}],\"m\":{\"n\":99",
      L"Maus \u00fc\u4e2d\U0001F5B1",
      longName,
  };
  for (const std::wstring& name : names) {
    SCOPED_TRACE(ToUtf8(name));
    InputTables fresh;
    FakeNames::next = name;
    CountMouseEvent(fresh.pointers, Move(1, 1000), kMicrosecondCounter, FakeNames::Read);
    CountKeyEvent(fresh.keyboard, Key(1000, 0x1E), kMicrosecondCounter, FakeNames::Read);
    char line[kInputLineBytes];
    BuildSampleLine(fresh, {1.0, kMicrosecondCounter, kMicrosecondCounter}, line, sizeof(line));
    EXPECT_EQ(strchr(line, '\n'), nullptr);
    const nlohmann::json json = nlohmann::json::parse(line, nullptr, false);
    ASSERT_TRUE(json.is_object()) << line;
    EXPECT_EQ(json.size(), 3u) << "a name must not add keys of its own";
    const std::string expected = ToUtf8(name);
    for (const char* piece : {"m", "k"}) {
      const std::string dev = json[piece]["dev"];
      if (name == longName) {
        EXPECT_LT(dev.size(), kDeviceNameBytes);
        EXPECT_EQ(expected.compare(0, dev.size(), dev), 0) << "a cut name is a prefix of the whole";
      } else {
        EXPECT_EQ(dev, expected);
      }
    }
  }
}

}  // namespace

#include "probe/tracing/present_table.h"

#include <gtest/gtest.h>

namespace {

constexpr double kMsPerTick = 0.0001;  // a 10 MHz counter

// Catches presents of other providers or events counted as presents.
TEST(IsPresentEvent, OnlyThePresentIdsOfTheTwoProviders) {
  const GUID other = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};
  struct Case {
    const char* name;
    GUID provider;
    USHORT id;
    bool present;
  } const cases[] = {
      {"dxgi 42", kDxgiProvider, 42, true},   {"dxgi 55", kDxgiProvider, 55, true},
      {"dxgi 1", kDxgiProvider, 1, false},    {"dxgi 43", kDxgiProvider, 43, false},
      {"d3d9 1", kD3d9Provider, 1, true},     {"d3d9 42", kD3d9Provider, 42, false},
      {"d3d9 55", kD3d9Provider, 55, false},  {"other provider 42", other, 42, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(IsPresentEvent(c.provider, c.id), c.present);
  }
}

// Catches an interval made from the first present, or from a timestamp that
// went backwards, and a present that is not counted.
TEST(RecordPresent, IntervalsOnlyBetweenIncreasingTimestamps) {
  PresentTable table;
  RecordPresent(table, 7, 1'000'000, kMsPerTick);
  RecordPresent(table, 7, 1'166'667, kMsPerTick);  // 16.6667 ms
  RecordPresent(table, 7, 1'100'000, kMsPerTick);  // earlier: no interval, but it is the last present now
  RecordPresent(table, 7, 1'100'000, kMsPerTick);  // equal: no interval
  RecordPresent(table, 7, 1'433'334, kMsPerTick);  // 33.3334 ms after the last present
  RecordPresent(table, 9, 2'000'000, kMsPerTick);
  const PresentRecord& r = table.at(7);
  EXPECT_EQ(r.presents, 5u);
  EXPECT_EQ(r.lastPresent, 1'433'334);
  ASSERT_EQ(r.frameTimes.size(), 2u);
  EXPECT_DOUBLE_EQ(r.frameTimes[0], 166'667 * kMsPerTick);
  EXPECT_DOUBLE_EQ(r.frameTimes[1], 333'334 * kMsPerTick);
  EXPECT_EQ(table.at(9).presents, 1u);
  EXPECT_TRUE(table.at(9).frameTimes.empty());
}

// Catches a cap that stops counting presents or stops moving the last present,
// which would make the first interval after the cap span the whole gap.
TEST(RecordPresent, CapKeepsCountingAndTheNextIntervalRight) {
  PresentTable table;
  int64_t ts = 5'000;
  for (int i = 0; i < 4500; ++i) RecordPresent(table, 3, ts += 10'000, kMsPerTick);
  PresentRecord& r = table.at(3);
  EXPECT_EQ(r.frameTimes.size(), kFrameTimeCap);
  EXPECT_EQ(r.presents, 4500u);
  EXPECT_EQ(r.lastPresent, ts);
  r.frameTimes.clear();  // the sampler took the list
  RecordPresent(table, 3, ts + 70'000, kMsPerTick);
  ASSERT_EQ(r.frameTimes.size(), 1u);
  EXPECT_DOUBLE_EQ(r.frameTimes[0], 7.0);
}

// Catches a signed overflow of the difference between far-apart timestamps.
TEST(RecordPresent, FarApartTimestampsGiveAPositiveInterval) {
  PresentTable table;
  RecordPresent(table, 1, -4'000'000'000'000'000'000LL, 1.0);
  RecordPresent(table, 1, 5'000'000'000'000'000'000LL, 1.0);
  ASSERT_EQ(table.at(1).frameTimes.size(), 1u);
  EXPECT_DOUBLE_EQ(table.at(1).frameTimes[0], 9e18);
}

}  // namespace

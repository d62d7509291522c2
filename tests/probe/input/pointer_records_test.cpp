// Which mouse reports count, the intervals they give, and which device a sample reports.
#include "probe/input/pointer_records.h"

#include <gtest/gtest.h>

#include "tests/probe/input/input_test_support.h"

namespace {

class PointerRecords : public testing::Test {
 protected:
  void SetUp() override { FakeNames::Reset(L"Mouse"); }
  bool Count(const MouseEvent& event) { return CountMouseEvent(table, event, kMicrosecondCounter, FakeNames::Read); }
  PointerTable table;
};

// Catches clicks and wheel turns taken for motion, or absolute reports dropped.
TEST_F(PointerRecords, OnlyMotionCounts) {
  const struct Case {
    const char* name;
    MouseEvent event;
    bool counted;
  } cases[] = {
      {"button or wheel only", Move(1, 100, 0, 0, 0), false},
      {"sideways", Move(1, 100, -3, 0), true},
      {"up", Move(1, 100, 0, -1), true},
      {"absolute at the origin", Move(1, 100, 0, 0, kMouseMoveAbsolute), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PointerTable fresh;
    EXPECT_EQ(CountMouseEvent(fresh, c.event, kMicrosecondCounter, FakeNames::Read), c.counted);
    EXPECT_EQ(fresh.size(), c.counted ? 1u : 0u);
  }
}

// The first event of a device has no interval; later ones give exact
// microseconds, and the first interval of a period spans the boundary.
TEST_F(PointerRecords, IntervalsBetweenCountedEvents) {
  Count(Move(5, 1000));
  Count(Move(5, 2000, 0, 0, 0));  // a click between two moves is no event
  Count(Move(5, 2250));
  const PointerRecord& mouse = table.at(5);
  EXPECT_EQ(mouse.count, 2u);
  EXPECT_EQ(mouse.intervalsUs, std::vector<double>({1250}));

  ResetPointerPeriod(table);
  EXPECT_EQ(table.at(5).count, 0u);
  EXPECT_TRUE(table.at(5).intervalsUs.empty());
  Count(Move(5, 3250));
  EXPECT_EQ(table.at(5).intervalsUs, std::vector<double>({1000}));
  EXPECT_EQ(table.at(5).count, 1u);
}

// Intervals of zero or of 100 ms and more are not kept, but their events count in n.
TEST_F(PointerRecords, IntervalsOutsideTheRangeStillCount) {
  Count(Move(1, 1000));
  Count(Move(1, 1000));    // same counter value
  Count(Move(1, 101000));  // exactly 100 ms
  Count(Move(1, 200999));  // just under 100 ms
  EXPECT_EQ(table.at(1).count, 4u);
  EXPECT_EQ(table.at(1).intervalsUs, std::vector<double>({99999}));
}

TEST_F(PointerRecords, IntervalCapStillCountsInN) {
  const int events = static_cast<int>(kMaxMouseIntervals) + 10;
  for (int i = 0; i < events; ++i) Count(Move(1, 1000 + i * 1000));
  EXPECT_EQ(table.at(1).count, static_cast<uint32_t>(events));
  EXPECT_EQ(table.at(1).intervalsUs.size(), kMaxMouseIntervals);
}

// The name is read once per device, on its first counted event.
TEST_F(PointerRecords, NameReadOnFirstEventOnly) {
  FakeNames::Reset(L"");
  Count(Move(1, 1000));
  FakeNames::next = L"Late name";
  Count(Move(1, 2000));
  ResetPointerPeriod(table);
  Count(Move(1, 3000));
  EXPECT_EQ(FakeNames::calls, 1);
  EXPECT_EQ(table.at(1).name, L"");
  Count(Move(2, 3000));
  EXPECT_EQ(FakeNames::calls, 2);
  EXPECT_EQ(table.at(2).name, L"Late name");
}

// Catches a tie won by the later device or a choice of a device without events.
TEST_F(PointerRecords, BusiestDevice) {
  EXPECT_EQ(BusiestPointer(table), nullptr);
  for (int i = 0; i < 3; ++i) {
    Count(Move(0x90, 1000 + i));
    Count(Move(0x30, 1000 + i));
  }
  Count(Move(0x60, 5000));
  EXPECT_EQ(BusiestPointer(table), &table.at(0x30)) << "a tie goes to the lowest handle";
  Count(Move(0x90, 6000));
  EXPECT_EQ(BusiestPointer(table), &table.at(0x90)) << "a strictly larger count wins";
  ResetPointerPeriod(table);
  EXPECT_EQ(BusiestPointer(table), nullptr) << "no events this period, no mouse piece";
}

}  // namespace

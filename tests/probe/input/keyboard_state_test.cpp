// Key presses, auto-repeat intervals and the number of keys held together.
#include "probe/input/keyboard_state.h"

#include <gtest/gtest.h>

#include "tests/probe/input/input_test_support.h"

namespace {

constexpr int64_t kMs = 1000;  // counter ticks per millisecond

class Keyboard : public testing::Test {
 protected:
  void SetUp() override { FakeNames::Reset(L"Keyboard"); }
  void Feed(const KeyEvent& event) { CountKeyEvent(keyboard, event, kMicrosecondCounter, FakeNames::Read); }
  KeyboardState keyboard;
};

TEST(KeyId, PrefixesAreBitsEightAndNine) {
  const struct Case {
    uint16_t makeCode;
    uint16_t flags;
    uint16_t id;
  } cases[] = {
      {0x1D, 0, 0x1D},
      {0x1D, kKeyE0, 0x11D},
      {0x1D, kKeyE1, 0x21D},
      {0x1D, kKeyE0 | kKeyBreak, 0x11D},  // the key-up of a key has its key-down's id
      {0x45, kKeyE0 | kKeyE1, 0x345},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "make " << c.makeCode << " flags " << c.flags);
    EXPECT_EQ(KeyId(c.makeCode, c.flags), c.id);
  }
}

// Holding one key: one press, then the repeat delay and the repeat period;
// releasing and pressing again is a new press.
TEST_F(Keyboard, HeldKeyRepeats) {
  Feed(Key(0, 0x1E));
  Feed(Key(660 * kMs, 0x1E));
  Feed(Key(700 * kMs, 0x1E));
  Feed(Key(740 * kMs, 0x1E));
  Feed(Key(750 * kMs, 0x1E, kKeyBreak));
  EXPECT_EQ(keyboard.presses, 1u);
  EXPECT_EQ(keyboard.repeatIntervalsMs, std::vector<double>({660, 40, 40}));
  EXPECT_EQ(keyboard.heldMax, 1u);
  EXPECT_TRUE(keyboard.held.empty());
  Feed(Key(800 * kMs, 0x1E));
  EXPECT_EQ(keyboard.presses, 2u);
  EXPECT_EQ(keyboard.repeatIntervalsMs.size(), 3u);
}

// An extended key and its plain twin are two keys held together.
TEST_F(Keyboard, ExtendedAndPlainKeysDiffer) {
  Feed(Key(0, 0x1D));
  Feed(Key(10 * kMs, 0x1D, kKeyE0));
  EXPECT_EQ(keyboard.presses, 2u);
  EXPECT_EQ(keyboard.heldMax, 2u);
  EXPECT_TRUE(keyboard.repeatIntervalsMs.empty());
  Feed(Key(20 * kMs, 0x1D, kKeyE0 | kKeyBreak));
  EXPECT_EQ(keyboard.held.size(), 1u);
  EXPECT_EQ(keyboard.held.count(0x1D), 1u) << "releasing the extended key left the plain one down";
}

// The held maximum is the most keys down at once, and a key still down
// carries into the next period without counting as a press.
TEST_F(Keyboard, HeldAcrossPeriods) {
  Feed(Key(0, 0x1E));
  Feed(Key(5 * kMs, 0x1F));
  Feed(Key(9 * kMs, 0x1F, kKeyBreak));
  Feed(Key(12 * kMs, 0x20));
  EXPECT_EQ(keyboard.heldMax, 2u);
  Feed(Key(15 * kMs, 0x30, kKeyBreak));  // a key-up of a key not down changes nothing
  EXPECT_EQ(keyboard.held.size(), 2u);

  ResetKeyboardPeriod(keyboard, 1000 * kMs, kMicrosecondCounter);
  EXPECT_EQ(keyboard.presses, 0u);
  EXPECT_EQ(keyboard.heldMax, 2u);
  Feed(Key(1020 * kMs, 0x20, kKeyBreak));
  ResetKeyboardPeriod(keyboard, 1999 * kMs, kMicrosecondCounter);
  EXPECT_EQ(keyboard.heldMax, 1u);
}

TEST_F(Keyboard, RepeatCapStillOnePress) {
  Feed(Key(0, 0x1E));
  Feed(Key(0, 0x1E));  // the same counter value gives no interval
  for (size_t i = 1; i <= kMaxRepeatIntervals + 5; ++i) Feed(Key(40 * static_cast<int64_t>(i) * kMs, 0x1E));
  EXPECT_EQ(keyboard.repeatIntervalsMs.size(), kMaxRepeatIntervals);
  EXPECT_EQ(keyboard.presses, 1u);
}

// A key released while another desktop had the keyboard (its key-up never
// came) must not turn every later press of it into a repeat or stay held for
// the rest of the run: no key-down for 2 s means it is no longer down.
TEST_F(Keyboard, MissedKeyUp) {
  Feed(Key(0, 0x1D));
  Feed(Key(1999 * kMs, 0x1D));
  EXPECT_EQ(keyboard.presses, 1u);
  EXPECT_EQ(keyboard.repeatIntervalsMs, std::vector<double>({1999})) << "just under 2 s is a repeat";
  Feed(Key(3999 * kMs, 0x1D));
  EXPECT_EQ(keyboard.presses, 2u) << "2 s without a repeat is a new press";
  EXPECT_EQ(keyboard.repeatIntervalsMs.size(), 1u);
  EXPECT_EQ(keyboard.held.size(), 1u);

  ResetKeyboardPeriod(keyboard, 5998 * kMs, kMicrosecondCounter);
  EXPECT_EQ(keyboard.heldMax, 1u) << "down 1,999 ms ago: still held";
  Feed(Key(5998 * kMs, 0x1E));
  ResetKeyboardPeriod(keyboard, 5999 * kMs, kMicrosecondCounter);
  EXPECT_EQ(keyboard.heldMax, 1u) << "down 2 s ago without a repeat: dropped";
  EXPECT_EQ(keyboard.held.count(0x1D), 0u);
}

// The first keyboard whose name can be read names the piece; a failed read is retried.
TEST_F(Keyboard, NameRetriedUntilRead) {
  FakeNames::Reset(L"");
  Feed(Key(0, 0x1E));
  Feed(Key(1 * kMs, 0x1E, kKeyBreak));
  EXPECT_EQ(FakeNames::calls, 2);
  FakeNames::next = L"First keyboard";
  Feed(Key(2 * kMs, 0x1E));
  FakeNames::next = L"Second keyboard";
  Feed(Key(3 * kMs, 0x1F, 0, 0x20));
  EXPECT_EQ(keyboard.name, L"First keyboard");
  EXPECT_EQ(FakeNames::calls, 3);
}

}  // namespace

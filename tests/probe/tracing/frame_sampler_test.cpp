#include "probe/tracing/frame_sampler.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "probe/core/exit_codes.h"
#include "probe/tracing/game_exclusions.h"

namespace {

constexpr double kMsPerTick = 0.0001;  // a 10 MHz counter

// The mode's thread in miniature: presents arrive during a second, then one
// visit of the table and one decision, with exact tick counts.
struct Sampler {
  PresentTable table;
  NameCache names;
  std::map<uint32_t, std::wstring> images = {{100, L"game.exe"}, {200, L"other game.exe"}, {300, L"chrome.exe"}};
  int lookups = 0;
  FrameTarget target = NewFrameTarget(15.0);
  uint32_t now = 50'000;
  std::map<uint32_t, int64_t> clock;  // per process, in counter ticks
  TableVisit visit;  // one for the whole run, as the mode keeps it

  // count presents of processId, evenly spread over the coming second.
  void Present(uint32_t processId, int count) {
    int64_t& ts = clock[processId];
    if (ts == 0) ts = 1'000'000;
    const int64_t step = count > 0 ? 10'000'000 / count : 0;
    for (int i = 0; i < count; ++i) RecordPresent(table, processId, ts += step, kMsPerTick);
  }

  SampleDecision Sample(uint32_t foreground) {
    now += kSamplePeriodMs;
    const NameLookup lookup = [this](uint32_t id) {
      ++lookups;
      auto found = images.find(id);
      return found == images.end() ? std::wstring() : found->second;
    };
    VisitPresentTable(table, names, lookup, target.processId, foreground, now, visit);
    return DecideSample(target, visit, names, now);
  }

  // One letter per sample: W wait, T target line, S sample line, E the run ended.
  std::string Run(const std::vector<std::pair<uint32_t, std::vector<std::pair<uint32_t, int>>>>& seconds) {
    std::string actions;
    for (const auto& [foreground, presents] : seconds) {
      for (const auto& [id, count] : presents) Present(id, count);
      const SampleDecision d = Sample(foreground);
      actions += d.action == SampleAction::kWait ? 'W' : d.action == SampleAction::kTarget ? 'T' : 'S';
      if (d.ends) actions += 'E';
    }
    return actions;
  }
};

// Catches a wrong threshold, a choice after one sample, a streak that survives
// a change of foreground, and choosing what is not in front.
TEST(FrameTargetChoice, CandidateRule) {
  struct Case {
    const char* name;
    std::vector<std::pair<uint32_t, std::vector<std::pair<uint32_t, int>>>> seconds;
    std::string actions;
    uint32_t target;
  } const cases[] = {
      {"19 presents never qualify", {{100, {{100, 19}}}, {100, {{100, 19}}}, {100, {{100, 19}}}}, "WWW", 0},
      {"20 presents in two samples choose", {{100, {{100, 20}}}, {100, {{100, 20}}}, {100, {{100, 20}}}}, "WTS", 100},
      {"a sample below 20 restarts the streak",
       {{100, {{100, 60}}}, {100, {{100, 19}}}, {100, {{100, 60}}}, {100, {{100, 60}}}},
       "WWWT",
       100},
      {"foreground alternating between two games",
       {{100, {{100, 60}, {200, 60}}},
        {200, {{100, 60}, {200, 60}}},
        {100, {{100, 60}, {200, 60}}},
        {200, {{100, 60}, {200, 60}}},
        {100, {{100, 60}, {200, 60}}}},
       "WWWWW",
       0},
      {"a fast game in the background", {{200, {{100, 500}}}, {200, {{100, 500}}}, {200, {{100, 500}}}}, "WWW", 0},
      {"no foreground window", {{0, {{100, 60}}}, {0, {{100, 60}}}}, "WW", 0},
      {"an excluded program in front", {{300, {{300, 900}}}, {300, {{300, 900}}}, {300, {{300, 900}}}}, "WWW", 0},
      {"a process without a name", {{400, {{400, 60}}}, {400, {{400, 60}}}, {400, {{400, 60}}}}, "WWW", 0},
      {"the game after a browser", {{300, {{300, 90}, {100, 60}}}, {100, {{300, 90}, {100, 60}}}, {100, {{100, 60}}}},
       "WWT",
       100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sampler s;
    EXPECT_EQ(s.Run(c.seconds), c.actions);
    EXPECT_EQ(s.target.processId, c.target);
    if (c.target != 0) {
      EXPECT_EQ(s.target.name, s.images[c.target]);
    }
  }
}

// Catches a table that matches prefixes, suffixes or any case but its own, or
// misses an entry: each entry blocks the choice, near names do not.
TEST(FrameTargetChoice, ExclusionTableComparesWholeNames) {
  ASSERT_EQ(kGameExclusionCount, 56u);
  for (const wchar_t* excluded : kGameExclusions) {
    SCOPED_TRACE(testing::Message() << "excluded " << std::string(excluded, excluded + wcslen(excluded)));
    Sampler s;
    s.images[500] = excluded;
    EXPECT_EQ(s.Run({{500, {{500, 100}}}, {500, {{500, 100}}}, {500, {{500, 100}}}}), "WWW");
    for (const std::wstring& nearName : {std::wstring(L"x") + excluded, std::wstring(excluded) + L"x",
                                         std::wstring(excluded).substr(0, wcslen(excluded) - 1)}) {
      EXPECT_TRUE(IsGameName(nearName));
    }
  }
  EXPECT_FALSE(IsGameName(L""));
  EXPECT_TRUE(IsGameName(L"game.exe"));
}

// Catches a name looked up every second instead of once per process.
TEST(FrameTargetChoice, NameIsLookedUpOncePerProcess) {
  Sampler s;
  s.Run({{300, {{300, 50}}}, {300, {{300, 50}}}, {300, {{300, 50}}}, {300, {{300, 50}}}});
  EXPECT_EQ(s.lookups, 1);
}

// Catches a target that follows the foreground after the choice, or whose
// intervals stay in the table instead of reaching the sample line.
TEST(FrameTargetSampling, TargetKeptAndItsIntervalsHandedOut) {
  Sampler s;
  ASSERT_EQ(s.Run({{100, {{100, 20}}}, {100, {{100, 20}}}}), "WT");
  s.Present(100, 4);
  s.Present(200, 100);
  const SampleDecision d = s.Sample(200);  // the other game comes to the front
  EXPECT_EQ(d.action, SampleAction::kSample);
  EXPECT_FALSE(d.ends);
  EXPECT_EQ(s.target.processId, 100u);
  EXPECT_EQ(s.visit.targetPresents, 4u);
  ASSERT_EQ(s.visit.targetTimes.size(), 4u);  // the first spans the gap since the previous second
  EXPECT_DOUBLE_EQ(s.visit.targetTimes[1], 250.0);
  EXPECT_TRUE(s.table.at(100).frameTimes.empty());
  EXPECT_TRUE(s.table.at(200).frameTimes.empty()) << "other processes' intervals are dropped each second";
  EXPECT_EQ(s.table.at(200).presents, 0u);
}

// Catches the time limit counted from the start of the run instead of the
// choice, a ">" for ">=", and the "gone" rule at exactly 10 s or measured from
// the choice instead of the last active sample.
TEST(FrameTargetSampling, TimeAndGoneRules) {
  struct Case {
    const char* name;
    double minutes;
    std::vector<int> presentsAfterChoice;  // one entry per second, until the run ends
    FrameEnd end;                          // kStopped: the run goes on
  } const cases[] = {
      {"time at the first sample 3000 ms after the choice", 0.05, {30, 30, 30}, FrameEnd::kTime},
      {"a silent second does not end the run", 0.1, {30, 0, 30, 30, 30}, FrameEnd::kStopped},
      {"gone after more than 10 s", 1.0, {30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, FrameEnd::kGone},
      {"silent from the choice on", 1.0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, FrameEnd::kGone},
      {"time wins when both fall due", 0.2, {30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, FrameEnd::kTime},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Sampler s;
    s.target = NewFrameTarget(c.minutes);
    ASSERT_EQ(s.Run({{100, {{100, 30}}}, {100, {{100, 30}}}}), "WT");
    const size_t samples = c.presentsAfterChoice.size();
    for (size_t i = 0; i < samples; ++i) {
      SCOPED_TRACE(testing::Message() << "sample " << i + 1);
      s.Present(100, c.presentsAfterChoice[i]);
      const SampleDecision d = s.Sample(100);
      EXPECT_EQ(d.action, SampleAction::kSample);
      EXPECT_EQ(s.visit.targetTimes.empty(), c.presentsAfterChoice[i] == 0);
      const bool last = i + 1 == samples && c.end != FrameEnd::kStopped;
      ASSERT_EQ(d.ends, last);
      if (last) {
        EXPECT_EQ(d.end, c.end);
      }
    }
  }
}

// Catches a wrapped tick count breaking "t" or the limits.
TEST(FrameTargetSampling, TickCountWrapsAroundUnsigned) {
  Sampler s;
  s.now = 0xFFFFFFFFu - 2500;
  s.target = NewFrameTarget(0.05);
  ASSERT_EQ(s.Run({{100, {{100, 30}}}, {100, {{100, 30}}}}), "WT");
  EXPECT_DOUBLE_EQ(SecondsSinceChoice(s.target, s.now + 1000), 1.0);
  EXPECT_EQ(s.Run({{100, {{100, 30}}}, {100, {{100, 30}}}, {100, {{100, 30}}}}), "SSSE");
}

// Catches idle records kept forever, removed a second early, removed while
// they are the target, or removed without their cached name.
TEST(FrameTargetSampling, IdleRecordsRemovedAfterThirtySeconds) {
  Sampler s;
  s.images[700] = L"idle.exe";
  s.Present(700, 25);
  s.Sample(700);
  ASSERT_EQ(s.names.count(700), 1u);
  // First silent sample at t0 sets idle since; removal needs more than 30000 ms.
  s.Sample(0);
  const uint32_t idleSince = s.table.at(700).idleSince;
  EXPECT_EQ(idleSince, s.now);
  for (int i = 0; i < 30; ++i) s.Sample(0);
  EXPECT_EQ(s.now - idleSince, 30000u);
  EXPECT_EQ(s.table.count(700), 1u) << "exactly 30 s is not yet more than 30 s";
  s.Sample(0);
  EXPECT_EQ(s.table.count(700), 0u);
  EXPECT_EQ(s.names.count(700), 0u);

  // Seen afresh: a new record whose first present makes no interval.
  s.Present(700, 3);
  EXPECT_EQ(s.table.at(700).frameTimes.size(), 2u);
  s.Sample(0);
  EXPECT_EQ(s.table.at(700).idleSince, 0u);
  EXPECT_EQ(s.lookups, 1) << "not in front: no lookup yet";
}

// Catches the target removed as idle, which would lose its record and
// make "gone" depend on the table instead of the last active sample.
TEST(FrameTargetSampling, TargetRecordIsNeverRemoved) {
  Sampler s;
  s.target = NewFrameTarget(60.0);
  ASSERT_EQ(s.Run({{100, {{100, 30}}}, {100, {{100, 30}}}}), "WT");
  for (int i = 0; i < 40; ++i) s.Sample(100);  // the decisions ("gone") do not touch the table
  EXPECT_EQ(s.table.count(100), 1u);
  EXPECT_EQ(s.names.count(100), 1u);
}

TEST(FrameEndOf, ReasonsAndExitCodes) {
  EXPECT_STREQ(FrameEndOf(FrameEnd::kTime).reason, "time");
  EXPECT_EQ(FrameEndOf(FrameEnd::kTime).exitCode, kExitDone);
  EXPECT_STREQ(FrameEndOf(FrameEnd::kGone).reason, "gone");
  EXPECT_EQ(FrameEndOf(FrameEnd::kGone).exitCode, kExitDone);
  EXPECT_STREQ(FrameEndOf(FrameEnd::kStopped).reason, "stopped");
  EXPECT_EQ(FrameEndOf(FrameEnd::kStopped).exitCode, kExitStopped);
}

}  // namespace

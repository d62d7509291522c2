// Any program can register the present providers' GUIDs and write events
// under them, and a session can hand over timestamps from anywhere on the
// counter's range. Thousands of generated events, a game's steady presents
// mixed among hostile ones, through the real present callback and sampler:
// the game's frame times come out exactly, hostile presents of other
// processes are counted without a single bad interval, everything else is
// ignored, and every sample line is whole JSON within its buffer.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <new>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "probe/tracing/frame_lines.h"
#include "probe/tracing/present_state.h"
#include "probe/tracing/trace_clock.h"
#include "tests/probe/tracing/trace_replay.h"
#include "tests/support/hostile_records.h"

namespace {

constexpr size_t kEverydayCases = 8000;  // VANTOREL_HOSTILE_CASES may ask for more or fewer
constexpr size_t kCasesPerSample = 2000;
constexpr uint32_t kGame = 4242;
constexpr double kTestMsPerTick = 0.0001;  // a 10 MHz counter
constexpr int64_t kFrameTicks = 166667;   // 16.6667 ms
constexpr uint32_t kRunaway = 9999;       // presents more often than a list keeps, once a sample

struct Generated {
  RecordedEvent event;
  bool gamePresent = false;  // one of the game's own presents
  bool present = false;      // counts as a present of its process
  HostileTimeline::Step step;  // another process's present: where its clock went
  const char* what = "";
};

// Another process's next present on its own clock: a first one anywhere,
// then steps of a tick, of milliseconds, of days, of any length at all (past
// the top of the range they wrap round below), none, or back.
HostileTimeline::Step NextPresent(HostileRandom& random, HostileTimeline& clock) {
  static constexpr int64_t kStarts[] = {0, 1, -1, INT64_MAX, INT64_MIN, INT64_MAX - 1, INT64_MIN + 1};
  if (!clock.started()) {
    if (random.OneIn(2)) return clock.Start(kStarts[random.Below(std::size(kStarts))]);
    return clock.Start(random.EdgyInt64());
  }
  switch (random.Below(8)) {
    case 0: return clock.Forward(1);
    case 1:
    case 2: return clock.Forward(random.Between(1, 10000000));
    case 3: return clock.Forward(random.Between(1, 1ull << 50));
    case 4: return clock.Forward(random.Edgy64() | 1);
    case 5: return clock.Back(0);
    case 6: return clock.Back(random.Edgy64());
    default: return clock.Back(random.Between(1, 100000));
  }
}

struct PresentKind {
  GUID provider;
  USHORT id;
};
constexpr PresentKind kPresentKinds[] = {
    {kDxgiProvider, kDxgiPresentId}, {kDxgiProvider, kDxgiPresentMultiplaneId}, {kD3d9Provider, kD3d9PresentId}};

Generated Generate(uint64_t seed, size_t index, int64_t& gameClock, std::map<uint32_t, HostileTimeline>& clocks) {
  HostileRandom random(seed, index);
  Generated g;
  const PresentKind kind = kPresentKinds[random.Below(3)];
  GUID provider = kind.provider;
  USHORT id = kind.id;
  uint32_t processId = kGame;
  int64_t stamp = 0;
  UCHAR opcode = static_cast<UCHAR>(random.Below(256));  // the callback goes by the id alone

  switch (random.Below(10)) {
    case 0:
    case 1:
    case 2:
      g.what = "the game presents";
      gameClock += kFrameTicks;
      stamp = gameClock;
      g.gamePresent = true;
      g.present = true;
      break;
    case 3:
      g.what = "the game writes an event that is no present";
      stamp = random.EdgyInt64();
      if (random.OneIn(2)) {
        id = static_cast<USHORT>(random.Next());
        if (IsEqualGUID(provider, kDxgiProvider) && (id == 42 || id == 55)) id = 43;
        if (IsEqualGUID(provider, kD3d9Provider) && id == 1) id = 2;
      } else {
        // The other provider's present id, or a provider one byte away.
        if (random.OneIn(2)) {
          const bool d3d9 = IsEqualGUID(provider, kD3d9Provider);
          provider = d3d9 ? kDxgiProvider : kD3d9Provider;
          id = d3d9 ? kD3d9PresentId : kind.id;
        } else {
          reinterpret_cast<uint8_t*>(&provider)[random.Below(sizeof(GUID))] ^=
              static_cast<uint8_t>(random.Between(1, 255));
        }
      }
      break;
    default: {
      g.what = "another process presents at any time";
      static constexpr uint32_t kOthers[] = {0, 0xFFFFFFFFu, 4, 7, 0x7FFFFFFFu, 0x80000000u, 5000};
      processId = kOthers[random.Below(std::size(kOthers))];
      g.step = NextPresent(random, clocks[processId]);
      stamp = g.step.stamp;
      g.present = true;
      break;
    }
  }
  // One draw a statement: the order of a call's arguments is the compiler's choice.
  const USHORT flags = static_cast<USHORT>(random.Next());
  const ULONG threadId = static_cast<ULONG>(random.Next());
  g.event = MakeEvent(provider, opcode, flags, processId, threadId, stamp, {}, id);
  if (random.OneIn(4)) {
    // A payload the callback has no reason to read.
    for (size_t i = random.Below(64); i > 0; --i) g.event.payload.push_back(static_cast<uint8_t>(random.Next()));
  }
  return g;
}

std::wstring NoName(uint32_t) { return L""; }

// What a process's presents since the last sample must have left: each step
// its clock took forward from a present of a known time is one frame time
// (while the list has room); a stamp of 0 is no known time.
struct PresentModel {
  bool afterZero = false;
  uint32_t presents = 0;
  std::vector<double> frameTimes;
};

void Expect(PresentModel& model, const HostileTimeline::Step& step) {
  if (step.gap != 0 && !model.afterZero && model.frameTimes.size() < kFrameTimeCap) {
    model.frameTimes.push_back(static_cast<double>(step.gap) * kTestMsPerTick);
  }
  model.afterZero = step.stamp == 0;
  ++model.presents;
}

// Catches a non-present event counted for the game (its frame times would go
// wrong), a lost present, an interval that is not positive and finite (a
// wrapped difference, an interval from a missing last present), a list past
// its cap, and a sample line cut outside its JSON.
TEST(PresentCallback, HostileEventsAmongAGamesPresentsLeaveItsFrameTimesExact) {
  const uint64_t seed = HostileSeed();
  const double savedMsPerTick = msPerTick;
  msPerTick = kTestMsPerTick;
  PresentState* state = new (std::nothrow) PresentState;
  ASSERT_NE(state, nullptr);
  HostileRandom start(seed, ~0ull);
  int64_t gameClock = static_cast<int64_t>(start.Between(1, 1ull << 62));
  bool gamePresented = false;

  NameCache names;
  std::vector<double> expectedTimes;
  uint32_t expectedGamePresents = 0;
  std::map<uint32_t, PresentModel> others;
  std::map<uint32_t, HostileTimeline> clocks;
  uint32_t now = 50000;
  std::vector<char> line(kSampleLineBytes + 16);
  const size_t cases = HostileCaseCount(kEverydayCases);
  for (size_t i = 0; i < cases; ++i) {
    const std::string caseName = HostileCaseName(seed, i);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());
    if (i % kCasesPerSample == kCasesPerSample / 2) {
      // A runaway process: more presents in one second than its list keeps,
      // spaced anywhere from a fraction of a millisecond to days.
      HostileRandom burst(seed, 0x300000000ull + i);
      const uint64_t gap = 1ull << burst.Between(10, 51);
      HostileTimeline& clock = clocks[kRunaway];
      for (size_t k = 0; k < kFrameTimeCap + 100; ++k) {
        const HostileTimeline::Step step = clock.started() ? clock.Forward(gap) : clock.Start(burst.EdgyInt64());
        RecordedEvent event = MakeEvent(kDxgiProvider, 0, 0, kRunaway, 1, step.stamp, {}, kDxgiPresentId);
        EVENT_RECORD record = AsRecord(event, state);
        PresentCallback(&record);
        Expect(others[kRunaway], step);
      }
    }
    Generated g = Generate(seed, i, gameClock, clocks);
    SCOPED_TRACE(g.what);
    EVENT_RECORD record = AsRecord(g.event, state);
    ASSERT_EQ(IsPresentEvent(record.EventHeader.ProviderId, record.EventHeader.EventDescriptor.Id), g.present);
    PresentCallback(&record);
    if (g.gamePresent) {
      if (gamePresented) expectedTimes.push_back(static_cast<double>(kFrameTicks) * kTestMsPerTick);
      gamePresented = true;
      ++expectedGamePresents;
    } else if (g.present) {
      Expect(others[record.EventHeader.ProcessId], g.step);
    }

    if ((i + 1) % kCasesPerSample != 0) continue;
    // What the other processes left, before the sampler drops their lists.
    EnterCriticalSection(&state->lock.section);
    for (auto& [processId, model] : others) {
      SCOPED_TRACE(processId);
      const PresentRecord& r = state->table.at(processId);
      EXPECT_EQ(r.presents, model.presents);
      ASSERT_EQ(r.frameTimes.size(), model.frameTimes.size());
      for (size_t k = 0; k < r.frameTimes.size(); ++k) {
        ASSERT_EQ(r.frameTimes[k], model.frameTimes[k]) << k;
        ASSERT_TRUE(std::isfinite(r.frameTimes[k]) && r.frameTimes[k] > 0.0) << r.frameTimes[k];
      }
      model.presents = 0;
      model.frameTimes.clear();
      const size_t length = FormatSampleLine(line.data(), kSampleLineBytes, 1.0, processId, false, r.frameTimes);
      ASSERT_LT(length, kSampleLineBytes);
      const nlohmann::json json = nlohmann::json::parse(std::string(line.data(), length), nullptr, false);
      ASSERT_TRUE(json.is_object()) << std::string(line.data(), std::min<size_t>(length, 200));
    }
    LeaveCriticalSection(&state->lock.section);

    TableVisit visit;
    now += 1000;
    VisitUnderLock(*state, names, NoName, kGame, kGame, now, visit);
    EXPECT_EQ(visit.targetPresents, expectedGamePresents);
    ASSERT_EQ(visit.targetTimes.size(), expectedTimes.size());
    for (size_t k = 0; k < expectedTimes.size(); ++k) ASSERT_DOUBLE_EQ(visit.targetTimes[k], expectedTimes[k]) << k;
    const size_t length = FormatSampleLine(line.data(), kSampleLineBytes, 1.0, kGame, true, visit.targetTimes);
    ASSERT_LT(length, kSampleLineBytes);
    const nlohmann::json json = nlohmann::json::parse(std::string(line.data(), length), nullptr, false);
    ASSERT_TRUE(json.is_object());
    ASSERT_EQ(json["ms"].size(), expectedTimes.size());
    for (const auto& ms : json["ms"]) EXPECT_NEAR(ms.get<double>(), 16.6667, 0.005);
    expectedTimes.clear();
    expectedGamePresents = 0;
  }
  // Left to process exit like the mode's own state: a consumer may still hold it.
  msPerTick = savedMsPerTick;
}

}  // namespace

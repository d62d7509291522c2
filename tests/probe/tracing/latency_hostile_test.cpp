// Thousands of generated DPC/ISR records, valid ones mixed among hostile ones,
// through the real latency callback: every hostile record is dropped or
// counted exactly as its fields say, nothing valid is lost, and every line
// built from the result is whole JSON within its buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "probe/tracing/latency_unit.h"
#include "tests/probe/tracing/trace_replay.h"
#include "tests/support/hostile_records.h"

namespace {

// 1,024,000 ticks a second: a duration of D ticks is exactly D / 1.024 µs.
constexpr double kMsPerTick = 1000.0 / 1024000.0;
constexpr uint64_t kLongestTicks = 512000;  // 500000.0 µs
constexpr size_t kEverydayCases = 6000;     // VANTOREL_HOSTILE_CASES may ask for more or fewer
constexpr size_t kCasesPerSample = 500;

// Durations by band, so every count is known from how a record was made:
// 512 ticks are 500 µs, 1024 are 1000 µs, 2048 are 2000 µs. Ordinary records
// stay at or below kOrdinaryLongest; each second's longest record (its peak)
// lies above all of them and above the peaks of the seconds before it.
constexpr uint64_t kPeakRoom = 100000;
constexpr uint64_t kOrdinaryLongest = kLongestTicks - kPeakRoom;
struct Band {
  uint64_t lowest, highest;
  uint32_t o5, o10, o20;  // 1 when a duration of the band counts over 500, 1000, 2000 µs
};
constexpr Band kBands[] = {{1, 511, 0, 0, 0}, {512, 1023, 1, 0, 0}, {1024, 2047, 1, 1, 0}, {2048, kOrdinaryLongest, 1, 1, 1}};
constexpr Band kPeakBand = {kOrdinaryLongest + 1, kLongestTicks, 1, 1, 1};

// A second's longest record, and a later one just as long (which must not take its place).
constexpr size_t kPeakAt = 137;
constexpr size_t kTwinAt = 400;
struct Peak {
  uint64_t ticks;
  int32_t index;
};

// Four drivers below 4 GiB, where a 32-bit routine can reach them, and two
// where 64-bit kernels load theirs; all far more than 96 MiB apart.
constexpr uint64_t kBases[] = {0x10000000, 0x20000000, 0x30000000, 0x40000000, 0xFFFFF80010000000ull,
                               0xFFFFF80020000000ull};
constexpr int32_t kLowDrivers = 4;
constexpr int32_t kDrivers = 6;

struct Generated {
  RecordedEvent event;
  bool nullData = false;  // a length with no bytes behind it
  bool accepted = false;
  bool isr = false;
  uint64_t ticks = 0;
  int32_t index = kUnattributed;
  Band band = {};
  const char* what = "";
};

// A routine address whose driver index is known: inside driver j (j >= 0), or
// nobody's; under a 32-bit header only addresses below 4 GiB exist.
uint64_t RoutineFor(HostileRandom& random, int32_t j, bool below4GiB) {
  if (j >= 0) return kBases[j] + random.Between(0, kLargestDriverDistance);
  switch (random.Below(below4GiB ? 3 : 5)) {
    case 0:
      return 0;
    case 1:
      return random.Between(1, kBases[0] - 1);
    case 2: {
      const uint64_t base = kBases[random.Below(kLowDrivers)];  // drawn before the distance, whatever the compiler
      return base + random.Between(kLargestDriverDistance + 1, 0x0FFFFFFF);
    }
    case 3:
      return kBases[kDrivers - 1] + random.Between(kLargestDriverDistance + 1, ~0ull - kBases[kDrivers - 1]);
    default:
      return random.Between(0x100000000ull, kBases[kLowDrivers] - 1);
  }
}

// A timestamp and a start time exactly ticks apart (start <= timestamp), placed
// anywhere on the signed 64-bit line: ordinary counter values, or next to
// either end of it, negative ones included.
void PlaceTimes(HostileRandom& random, uint64_t ticks, int64_t& start, int64_t& stamp) {
  for (;;) {
    const uint64_t stampBits = random.OneIn(3) ? random.Between(1000000000ull, 1ull << 50) : random.Edgy64();
    const uint64_t startBits = stampBits - ticks;
    memcpy(&stamp, &stampBits, sizeof(stamp));
    memcpy(&start, &startBits, sizeof(start));
    if (start <= stamp && start != 0) return;  // not wrapped past the lowest value; a start time it has
  }
}

std::vector<uint8_t> Payload(int64_t start, uint64_t routine, bool layout32, size_t extra, HostileRandom& random) {
  std::vector<uint8_t> payload;
  PutAt<int64_t>(payload, 0, start);
  if (layout32) {
    PutAt<uint32_t>(payload, 8, static_cast<uint32_t>(routine));
  } else {
    PutAt<uint64_t>(payload, 8, routine);
  }
  for (size_t i = 0; i < extra; ++i) payload.push_back(static_cast<uint8_t>(random.Next()));
  return payload;
}

Generated Generate(uint64_t seed, size_t index, const Peak* peak) {
  HostileRandom random(seed, index);
  static constexpr UCHAR kOpcodes[] = {50, 67, 66, 68, 69};
  Generated g;
  const UCHAR opcode = kOpcodes[random.Below(5)];
  g.isr = opcode == 50 || opcode == 67;
  bool header32 = random.OneIn(4);
  bool layout32 = header32;
  GUID provider = kPerfInfoGuid;
  UCHAR op = opcode;
  size_t extra = random.OneIn(3) ? random.Between(1, 48) : 0;
  g.band = kBands[random.Below(std::size(kBands))];
  switch (random.Below(6)) {
    case 0: g.ticks = g.band.lowest; break;
    case 1: g.ticks = g.band.highest; break;
    default: g.ticks = random.Between(g.band.lowest, g.band.highest); break;
  }
  g.index = static_cast<int32_t>(random.Below(header32 ? kLowDrivers + 1 : kDrivers + 1)) - 1;
  if (peak != nullptr) {
    // Valid, at its given length and driver; a 32-bit header only for a driver below 4 GiB.
    g.band = kPeakBand;
    g.ticks = peak->ticks;
    g.index = peak->index;
    if (g.index >= kLowDrivers) header32 = false;
    layout32 = header32;
  }
  uint64_t routine = RoutineFor(random, g.index, header32);
  bool accepted = true;
  size_t cut = SIZE_MAX;  // payload length when truncated
  bool startAfter = false;
  bool startZero = false;

  // Two in five records are valid; each of the others has one hostile field.
  switch (peak != nullptr ? 20 : random.Below(20)) {
    case 0:
      g.what = "another provider";
      provider = random.OneIn(2) ? GUID{0x3d6fa8d3, 0xfe05, 0x11d0, {0x9d, 0xda, 0x00, 0xc0, 0x4f, 0xd7, 0xba, 0x7c}}
                                 : kPerfInfoGuid;
      reinterpret_cast<uint8_t*>(&provider)[random.Below(sizeof(GUID))] ^= static_cast<uint8_t>(random.Between(1, 255));
      accepted = false;
      break;
    case 1:
      g.what = "another opcode";
      do {
        op = static_cast<UCHAR>(random.Below(256));
      } while (std::find(std::begin(kOpcodes), std::end(kOpcodes), op) != std::end(kOpcodes));
      accepted = false;
      break;
    case 2:
    case 3:
      g.what = "truncated payload";
      cut = random.Below(header32 ? 12 : 16);
      extra = 0;
      accepted = false;
      break;
    case 4:
      g.what = "32-bit layout under a 64-bit header";
      header32 = false;
      layout32 = true;
      extra = 0;
      accepted = false;
      break;
    case 5: {
      g.what = "64-bit layout under a 32-bit header";
      header32 = true;
      layout32 = false;
      // The routine read is the low half of the 64-bit one, which names a
      // driver below 4 GiB or nobody; the high half alone names nobody.
      g.index = static_cast<int32_t>(random.Below(kLowDrivers + 1)) - 1;
      routine = (random.Between(1, 0xFFFFF7FFull) << 32) | RoutineFor(random, g.index, true);
      break;
    }
    case 6:
      g.what = "start time 0";
      startZero = true;
      accepted = false;
      break;
    case 7:
      g.what = "start after the timestamp";
      startAfter = true;
      accepted = false;
      break;
    case 8:
      g.what = "no time between start and timestamp";
      g.ticks = 0;
      accepted = false;
      break;
    case 9:
    case 10:
      g.what = "longer than the longest";
      g.ticks = random.OneIn(4) ? kLongestTicks + 1 : random.Between(kLongestTicks + 1, ~0ull);
      if (random.OneIn(4)) g.ticks = random.OneIn(2) ? ~0ull : 0x8000000000000000ull;
      accepted = false;
      break;
    case 11:
      g.what = "a length with no bytes";
      g.nullData = true;
      accepted = false;
      break;
    case 20:
      g.what = "the longest record of its second";
      break;
    default:
      g.what = "valid";
      break;
  }

  int64_t start = 0;
  int64_t stamp = 0;
  if (startAfter) {
    stamp = random.EdgyInt64();
    if (stamp == INT64_MAX) stamp -= 1;
    const uint64_t room = static_cast<uint64_t>(INT64_MAX) - static_cast<uint64_t>(stamp);
    start = static_cast<int64_t>(static_cast<uint64_t>(stamp) + random.Between(1, room));
  } else {
    PlaceTimes(random, g.ticks, start, stamp);
  }
  if (startZero) start = 0;
  if (start == 0) accepted = false;  // a record without a start time counts nowhere

  std::vector<uint8_t> payload = Payload(start, routine, layout32, extra, random);
  if (cut != SIZE_MAX) payload.resize(cut);
  g.event = MakeEvent(provider, op, header32 ? EVENT_HEADER_FLAG_32_BIT_HEADER : 0, 0, 0, stamp, std::move(payload));
  g.accepted = accepted;
  if (!accepted) g.index = kUnattributed;
  return g;
}

double UsOf(uint64_t ticks) { return static_cast<double>(ticks) * kMsPerTick * 1000.0; }

// Names as the system might report them, up to their buffers' sizes.
DriverList HostileDrivers(uint64_t seed) {
  HostileRandom random(seed, ~0ull);
  std::vector<DriverEntry> entries;
  for (uint64_t base : kBases) {
    const size_t nameLength = random.OneIn(2) ? kDriverNameChars - 1 : random.Below(kDriverNameChars);
    const size_t pathLength = random.OneIn(2) ? kDriverPathChars - 1 : random.Below(kDriverPathChars);
    entries.push_back({base, random.SystemText(nameLength), random.SystemText(pathLength)});
  }
  return MakeDriverList(std::move(entries));
}

nlohmann::json ParseBounded(const std::string& line, size_t capacity) {
  EXPECT_LT(line.size(), capacity);
  const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
  EXPECT_TRUE(parsed.is_object()) << line;
  return parsed;
}

// Catches a hostile record that is counted (or crashes the callback, reads past
// its payload, or overflows the tick difference) and a valid one that is lost.
TEST(LatencyCallback, HostileRecordsAmongValidOnesAreDroppedOrCountedExactly) {
  const uint64_t seed = HostileSeed();
  GuardedBytes guarded(256);
  ASSERT_TRUE(guarded.ok());
  LatencyState state;
  InitLatencyState(state, HostileDrivers(seed), kMsPerTick);
  ASSERT_EQ(state.drivers.entries.size(), static_cast<size_t>(kDrivers));

  // What each driver must show, counted from how the records were made.
  struct Expected {
    uint32_t n = 0, o5 = 0, o10 = 0, o20 = 0;
    bool isr = false;
    uint64_t ticks = 0;      // all of its records together
    uint64_t peakTicks = 0;  // its latest peak, the longest it has had; 0 while it had none
  };
  std::map<int32_t, Expected> expected;
  uint32_t sampleCount = 0;
  uint32_t sampleOver = 0;
  size_t accepted = 0;
  const size_t cases = HostileCaseCount(kEverydayCases);
  ASSERT_LT(cases / kCasesPerSample, kPeakRoom) << "more seconds than peaks of their own";
  for (size_t i = 0; i < cases; ++i) {
    const std::string caseName = HostileCaseName(seed, i);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());
    const size_t second = i / kCasesPerSample;
    const Peak peak = {kPeakBand.lowest + second, static_cast<int32_t>(second % (kDrivers + 1)) - 1};
    const Peak twin = {peak.ticks, static_cast<int32_t>((second + 3) % (kDrivers + 1)) - 1};
    const Peak* forced = i % kCasesPerSample == kPeakAt ? &peak : i % kCasesPerSample == kTwinAt ? &twin : nullptr;
    Generated g = Generate(seed, i, forced);
    SCOPED_TRACE(g.what);
    EVENT_RECORD record = AsRecord(g.event, &state);
    record.UserData = g.nullData ? nullptr : guarded.Place(g.event.payload.data(), g.event.payload.size());
    if (g.nullData && record.UserDataLength == 0) record.UserDataLength = 16;

    PerfInfoEvent parsed;
    ASSERT_EQ(ParsePerfInfoEvent(record, kMsPerTick, parsed), g.accepted);
    if (g.accepted) {
      ASSERT_EQ(parsed.isr, g.isr);
      ASSERT_DOUBLE_EQ(parsed.durationUs, UsOf(g.ticks));
      ASSERT_EQ(AttributeDriver(state.drivers, parsed.routine), g.index) << std::hex << parsed.routine;
      Expected& e = expected[g.index];
      e.n += 1;
      e.o5 += g.band.o5;
      e.o10 += g.band.o10;
      e.o20 += g.band.o20;
      e.isr = e.isr || g.isr;
      e.ticks += g.ticks;
      if (forced != nullptr) e.peakTicks = forced->ticks;
      sampleCount += 1;
      sampleOver += g.band.o10;
      ++accepted;
    }
    LatencyEventCallback(&record);

    if ((i + 1) % kCasesPerSample == 0) {
      const LatencySample sample = TakeLatencySample(state);
      EXPECT_EQ(sample.count, sampleCount);
      EXPECT_EQ(sample.over, sampleOver);
      EXPECT_DOUBLE_EQ(sample.largest, UsOf(peak.ticks)) << "the second's longest record";
      EXPECT_EQ(sample.index, peak.index) << "the earlier of two equally long records keeps the place";
      char text[kDriverTextBytes];
      char line[kLatencyLineBytes];
      FormatDriverText(state.drivers, sample.index, text, sizeof(text));
      FormatLatencySample(line, sizeof(line), static_cast<double>(i) / 100.0, sample, text);
      const nlohmann::json json = ParseBounded(line, sizeof(line));
      EXPECT_EQ(json.value("n", 0u), sampleCount);
      EXPECT_EQ(json.value("over", 0u), sampleOver);
      sampleCount = 0;
      sampleOver = 0;
    }
  }
  EXPECT_GT(accepted, cases / 3) << "the valid records are a good share of the table";

  const std::vector<RankedDriver> snapshot = SnapshotDriverStats(state);
  ASSERT_EQ(snapshot.size(), expected.size());
  for (const auto& [index, stats] : snapshot) {
    SCOPED_TRACE(index);
    const Expected& want = expected.at(index);
    EXPECT_EQ(stats.n, want.n);
    EXPECT_EQ(stats.o5, want.o5);
    EXPECT_EQ(stats.o10, want.o10);
    EXPECT_EQ(stats.o20, want.o20);
    EXPECT_EQ(stats.isr, want.isr);
    if (want.peakTicks != 0) {
      EXPECT_DOUBLE_EQ(stats.max, UsOf(want.peakTicks)) << "the driver's worst is its latest peak";
    } else {
      EXPECT_GE(stats.max, UsOf(1));
      EXPECT_LE(stats.max, UsOf(kOrdinaryLongest));
    }
    EXPECT_NEAR(stats.total, UsOf(want.ticks), UsOf(want.ticks) * 1e-12);
  }
  for (bool final : {false, true}) {
    const std::string line = BuildDriversLine(state.drivers, RankDrivers(snapshot), final);
    const nlohmann::json json = ParseBounded(line, 14 * kDriverItemBytes + 64);
    ASSERT_TRUE(json.contains("list"));
    EXPECT_EQ(json["list"].size(), std::min(snapshot.size(), kRankedDrivers));
    uint64_t listed = 0;
    for (const auto& item : json["list"]) listed += item.value("n", 0u);
    EXPECT_EQ(listed, accepted) << "every accepted record is in the ranking";
  }
}

}  // namespace

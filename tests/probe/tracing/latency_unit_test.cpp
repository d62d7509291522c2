// DPC/ISR records as the kernel logger lays them out, their attribution to
// drivers, the statistics and the lines built from them.
#include <gtest/gtest.h>

#include <cwchar>
#include <nlohmann/json.hpp>
#include <string>

#include "probe/tracing/latency_unit.h"
#include "tests/probe/tracing/trace_replay.h"
#include "tests/support/utf8.h"

namespace {

// 1,024,000 ticks a second: 1.024 ticks a microsecond, so every duration below is exact.
constexpr double kMsPerTick = 1000.0 / 1024000.0;
constexpr LONGLONG kStamp = 50000000;

LONGLONG TicksFor(double microseconds) { return static_cast<LONGLONG>(microseconds * 1.024); }

// PerfInfo DPC/ISR payload: the start time, then the routine (4 bytes under a
// 32-bit header, 8 otherwise); ISRs carry a few more bytes after it.
RecordedEvent PerfInfoRecord(UCHAR opcode, LONGLONG start, uint64_t routine, bool header32 = false,
                             size_t extra = 0) {
  std::vector<uint8_t> payload;
  PutAt<int64_t>(payload, 0, start);
  if (header32) {
    PutAt<uint32_t>(payload, 8, static_cast<uint32_t>(routine));
  } else {
    PutAt<uint64_t>(payload, 8, routine);
  }
  payload.resize(payload.size() + extra);
  return MakeEvent(kPerfInfoGuid, opcode, header32 ? EVENT_HEADER_FLAG_32_BIT_HEADER : 0, 0, 0, kStamp,
                   std::move(payload));
}

TEST(PerfInfoEvent, AcceptsOnlyPlausibleDpcAndIsrRecords) {
  const uint64_t routine = 0xFFFFF80112345678ull;
  auto withLength = [](RecordedEvent event, size_t length) {
    event.payload.resize(length);
    return event;
  };
  auto otherProvider = [](RecordedEvent event) {
    event.header.ProviderId = GUID{0x3d6fa8d3, 0xfe05, 0x11d0, {0x9d, 0xda, 0x00, 0xc0, 0x4f, 0xd7, 0xba, 0x7c}};
    return event;
  };
  const struct Case {
    const char* name;
    RecordedEvent event;
    bool accepted;
    bool isr;
    double durationUs;
    uint64_t routine;
  } cases[] = {
      {"DPC 66", PerfInfoRecord(66, kStamp - TicksFor(500.0), routine), true, false, 500.0, routine},
      {"timed DPC 68", PerfInfoRecord(68, kStamp - TicksFor(1000.0), routine), true, false, 1000.0, routine},
      {"threaded DPC 69", PerfInfoRecord(69, kStamp - TicksFor(2000.0), routine), true, false, 2000.0, routine},
      {"ISR 50 with its trailing bytes", PerfInfoRecord(50, kStamp - 1024, routine, false, 4), true, true, 1000.0,
       routine},
      {"ISR 67", PerfInfoRecord(67, kStamp - 1024, routine), true, true, 1000.0, routine},
      {"another opcode", PerfInfoRecord(70, kStamp - 1024, routine), false, false, 0, 0},
      {"another provider", otherProvider(PerfInfoRecord(66, kStamp - 1024, routine)), false, false, 0, 0},
      {"payload of 15 bytes", withLength(PerfInfoRecord(66, kStamp - 1024, routine), 15), false, false, 0, 0},
      {"no payload", withLength(PerfInfoRecord(66, kStamp - 1024, routine), 0), false, false, 0, 0},
      {"start time 0", PerfInfoRecord(66, 0, routine), false, false, 0, 0},
      {"start after the timestamp", PerfInfoRecord(66, kStamp + 1, routine), false, false, 0, 0},
      {"duration 0", PerfInfoRecord(66, kStamp, routine), false, false, 0, 0},
      {"longest duration", PerfInfoRecord(66, kStamp - TicksFor(500000.0), routine), true, false, 500000.0, routine},
      {"just over the longest", PerfInfoRecord(66, kStamp - TicksFor(500000.0) - 1, routine), false, false, 0, 0},
      {"32-bit header, 12-byte DPC", PerfInfoRecord(66, kStamp - 512, 0x8a001234u, true), true, false, 500.0,
       0x8a001234u},
      {"32-bit header, 11 bytes", withLength(PerfInfoRecord(66, kStamp - 512, 0x8a001234u, true), 11), false, false, 0,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedEvent event = c.event;
    const EVENT_RECORD record = AsRecord(event);
    PerfInfoEvent parsed;
    ASSERT_EQ(ParsePerfInfoEvent(record, kMsPerTick, parsed), c.accepted);
    if (!c.accepted) continue;
    EXPECT_EQ(parsed.isr, c.isr);
    EXPECT_DOUBLE_EQ(parsed.durationUs, c.durationUs);
    EXPECT_EQ(parsed.routine, c.routine);
  }
}

TEST(AttributeDriver, ChoosesTheNearestLowerBaseWithin96MiB) {
  const DriverList drivers = MakeDriverList({{0x30000000, L"c.sys", L""}, {0x10000000, L"a.sys", L""},
                                             {0, L"zero.sys", L""}, {0x20000000, L"b.sys", L""}});
  ASSERT_EQ(drivers.entries.size(), 3u) << "a zero address names no driver";
  EXPECT_EQ(drivers.entries[0].name, L"a.sys");
  const struct Case {
    uint64_t routine;
    int32_t index;
  } cases[] = {
      {0, -1},
      {0x0FFFFFFF, -1},
      {0x10000000, 0},
      {0x10000000 + 0x6000000, 0},
      {0x10000000 + 0x6000001, -1},
      {0x20000000, 1},
      {0x2FFFFFFF, -1},
      {0x30000010, 2},
      {0xFFFFFFFFFFFFFFFFull, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.routine);
    EXPECT_EQ(AttributeDriver(drivers, c.routine), c.index);
  }
  EXPECT_EQ(AttributeDriver(DriverList{}, 0x10000000), -1);
}

// The branch-free search agrees with the plain bisection for every list size
// and for routines on, between and around the bases.
TEST(AttributeDriver, FastSearchAgreesWithThePlainBisection) {
  uint32_t seed = 99;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed;
  };
  for (size_t count : {1u, 2u, 3u, 7u, 300u, 4096u}) {
    SCOPED_TRACE(count);
    std::vector<DriverEntry> entries;
    for (size_t i = 0; i < count; ++i) entries.push_back({0x100000000ull + (next() % 4096) * 0x100000, L"", L""});
    const DriverList drivers = MakeDriverList(std::move(entries));
    for (int k = 0; k < 20000; ++k) {
      const uint64_t base = drivers.bases[next() % drivers.bases.size()];
      const uint64_t routine = base + static_cast<uint64_t>(static_cast<int64_t>(next() % 0x10000000) - 0x8000000);
      ASSERT_EQ(AttributeDriver(drivers, routine), AttributeDriverReference(drivers, routine)) << routine;
      ASSERT_EQ(AttributeDriver(drivers, base), AttributeDriverReference(drivers, base));
    }
  }
}

// More drivers than the list holds: the lowest 4096 stay, and code of a
// driver left out is not charged to the last one kept.
TEST(AttributeDriver, DriversPastTheListAreNotChargedToTheLastOneKept) {
  std::vector<DriverEntry> many;
  for (uint64_t i = 0; i < 5000; ++i) many.push_back({0x100000000ull + (4999 - i) * 0x10000, L"d.sys", L""});
  const DriverList drivers = MakeDriverList(std::move(many));
  ASSERT_EQ(drivers.entries.size(), kMaxDrivers);
  EXPECT_EQ(drivers.entries.front().base, 0x100000000ull);
  const uint64_t firstLeftOut = 0x100000000ull + kMaxDrivers * 0x10000;
  EXPECT_EQ(AttributeDriver(drivers, firstLeftOut - 1), static_cast<int32_t>(kMaxDrivers - 1));
  EXPECT_EQ(AttributeDriver(drivers, firstLeftOut + 8), -1);
}

// A machine's drivers as psapi reports them: addresses in load order, a zero
// where a driver is hidden, and one driver whose names cannot be read.
struct FakeDriver {
  uint64_t base;
  const wchar_t* name;  // nullptr: the name calls fail
  const wchar_t* path;
};
std::vector<FakeDriver> fakeDrivers;
int enumerateCalls = 0;

BOOL WINAPI FakeEnumerate(LPVOID* addresses, DWORD bytes, LPDWORD needed) {
  ++enumerateCalls;
  *needed = static_cast<DWORD>(fakeDrivers.size() * sizeof(LPVOID));
  for (size_t i = 0; i < fakeDrivers.size() && (i + 1) * sizeof(LPVOID) <= bytes; ++i) {
    addresses[i] = reinterpret_cast<LPVOID>(fakeDrivers[i].base);
  }
  return TRUE;
}

DWORD CopyName(LPVOID address, LPWSTR text, DWORD chars, bool path) {
  for (const FakeDriver& d : fakeDrivers) {
    if (reinterpret_cast<LPVOID>(d.base) != address || d.name == nullptr) continue;
    const wchar_t* source = path ? d.path : d.name;
    const DWORD length = static_cast<DWORD>(wcslen(source));
    const DWORD copied = length < chars ? length : chars;
    wmemcpy(text, source, copied);
    if (copied < chars) text[copied] = L'\0';
    return copied;
  }
  return 0;
}
DWORD WINAPI FakeBaseName(LPVOID address, LPWSTR name, DWORD chars) { return CopyName(address, name, chars, false); }
DWORD WINAPI FakeFileName(LPVOID address, LPWSTR path, DWORD chars) { return CopyName(address, path, chars, true); }

// Catches the two name calls swapped, a list left in the system's order, a
// zero address kept, and a machine whose drivers outgrow the first array
// losing the rest.
TEST(DriverList, BuiltFromTheSystemsCalls) {
  const DriverSource source{FakeEnumerate, FakeBaseName, FakeFileName};
  fakeDrivers = {
      {0xFFFFF80030000000ull, L"c.sys", L"\\SystemRoot\\System32\\drivers\\c.sys"},
      {0, L"hidden.sys", L"\\hidden.sys"},
      {0xFFFFF80010000000ull, L"ntoskrnl.exe", L"\\SystemRoot\\system32\\ntoskrnl.exe"},
      {0xFFFFF80020000000ull, nullptr, nullptr},
  };
  const DriverList small = BuildDriverList(source);
  ASSERT_EQ(small.entries.size(), 3u);
  EXPECT_EQ(small.entries[0].name, L"ntoskrnl.exe");
  EXPECT_EQ(small.entries[0].path, L"\\SystemRoot\\system32\\ntoskrnl.exe");
  EXPECT_EQ(small.entries[1].base, 0xFFFFF80020000000ull);
  EXPECT_EQ(small.entries[1].name, L"") << "a name that cannot be read is empty";
  EXPECT_EQ(small.entries[1].path, L"");
  EXPECT_EQ(small.entries[2].name, L"c.sys");
  EXPECT_EQ(small.bases, (std::vector<uint64_t>{0xFFFFF80010000000ull, 0xFFFFF80020000000ull, 0xFFFFF80030000000ull}));

  fakeDrivers.clear();
  for (uint64_t i = 0; i < 5000; ++i) fakeDrivers.push_back({0x100000000ull + (4999 - i) * 0x10000, L"d.sys", L"d"});
  enumerateCalls = 0;
  const DriverList many = BuildDriverList(source);
  EXPECT_EQ(enumerateCalls, 2) << "asked once more with room for all";
  ASSERT_EQ(many.entries.size(), kMaxDrivers);
  EXPECT_EQ(many.entries.front().base, 0x100000000ull);
  EXPECT_EQ(many.limit, 0x100000000ull + kMaxDrivers * 0x10000);
}

TEST(DriverStats, ThresholdsCountAtTheirValue) {
  const struct Case {
    double d;
    uint32_t o5, o10, o20, over;
  } cases[] = {
      {499.9, 0, 0, 0, 0}, {500.0, 1, 0, 0, 0}, {999.9, 1, 0, 0, 0}, {1000.0, 1, 1, 0, 1}, {2000.0, 1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.d);
    DriverStats stats;
    LatencySample sample;
    AddToStats(stats, c.d, false);
    AddToSample(sample, c.d, 3);
    EXPECT_EQ(stats.o5, c.o5);
    EXPECT_EQ(stats.o10, c.o10);
    EXPECT_EQ(stats.o20, c.o20);
    EXPECT_EQ(sample.over, c.over);
    EXPECT_EQ(sample.count, 1u);
    EXPECT_DOUBLE_EQ(stats.max, c.d);
  }
}

// Through the callback: an ISR and a DPC of one driver share its record; the
// second's largest keeps the earlier of two equal durations.
TEST(LatencyCallback, IsrAndDpcOfOneDriverShareARecord) {
  LatencyState state;
  InitLatencyState(state, MakeDriverList({{0x10000000, L"a.sys", L"\\SystemRoot\\a.sys"},
                                          {0x20000000, L"b.sys", L"\\SystemRoot\\b.sys"}}),
                   kMsPerTick);
  RecordedEvent events[] = {
      PerfInfoRecord(66, kStamp - 1024, 0x10000100),  // 1000 µs DPC of a.sys
      PerfInfoRecord(50, kStamp - 512, 0x10000200),   // 500 µs ISR of a.sys
      PerfInfoRecord(66, kStamp - 1024, 0x20000100),  // 1000 µs DPC of b.sys: ties, comes later
      PerfInfoRecord(66, kStamp - 256, 0x1),          // 250 µs, nobody's
      PerfInfoRecord(66, 0, 0x10000100),              // dropped
  };
  for (RecordedEvent& event : events) {
    EVENT_RECORD record = AsRecord(event, &state);
    LatencyEventCallback(&record);
  }
  const LatencySample sample = TakeLatencySample(state);
  EXPECT_EQ(sample.count, 4u);
  EXPECT_EQ(sample.over, 2u);
  EXPECT_DOUBLE_EQ(sample.largest, 1000.0);
  EXPECT_EQ(sample.index, 0);
  const LatencySample empty = TakeLatencySample(state);
  EXPECT_EQ(empty.count, 0u);
  EXPECT_EQ(empty.index, -1);

  ASSERT_EQ(state.stats.size(), 3u);
  const DriverStats& a = state.stats.at(0);
  EXPECT_EQ(a.n, 2u);
  EXPECT_TRUE(a.isr);
  EXPECT_DOUBLE_EQ(a.max, 1000.0) << "the worst of the two, not the latest";
  EXPECT_DOUBLE_EQ(a.total, 1500.0);
  EXPECT_EQ(a.o5, 2u);
  EXPECT_EQ(a.o10, 1u);
  EXPECT_FALSE(state.stats.at(1).isr);
  EXPECT_EQ(state.stats.at(-1).n, 1u);
}

TEST(RankDrivers, KeepsTheFourteenWithTheHighestMax) {
  std::vector<RankedDriver> snapshot;
  for (int32_t i = 0; i < 20; ++i) {
    DriverStats stats;
    stats.max = static_cast<double>((i * 7) % 20);  // every value 0..19 once, scrambled
    snapshot.push_back({i, stats});
  }
  const std::vector<RankedDriver> ranked = RankDrivers(snapshot);
  ASSERT_EQ(ranked.size(), 14u);
  for (size_t i = 0; i < ranked.size(); ++i) EXPECT_DOUBLE_EQ(ranked[i].second.max, 19.0 - static_cast<double>(i));
  EXPECT_EQ(RankDrivers({}).size(), 0u);
}

TEST(LatencyLines, EmptySecondAndUnknownDriver) {
  const DriverList drivers = MakeDriverList({{0x10000000, L"a.sys", L"p"}});
  char text[kDriverTextBytes];
  char line[kLatencyLineBytes];
  for (int32_t index : {-1, 1, 5000}) {
    FormatDriverText(drivers, index, text, sizeof(text));
    EXPECT_STREQ(text, R"("name":"","path":"")");
  }
  FormatDriverText(drivers, -1, text, sizeof(text));
  FormatLatencySample(line, sizeof(line), 1.0, LatencySample{}, text);
  EXPECT_STREQ(line, R"({"t":1.00,"max":0.0,"over":0,"n":0,"name":"","path":""})");
  EXPECT_EQ(BuildDriversLine(drivers, {}, true), R"({"event":"drivers","final":true,"list":[]})");
}

// Names the system hands us are not to be trusted: every line stays JSON and
// a readable name arrives as it was.
TEST(LatencyLines, HostileDriverNamesKeepEveryLineJson) {
  const std::wstring longName(300, L'x');
  const std::wstring longPath = L"\\??\\C:\\" + std::wstring(590, L'\x00e9');
  const struct Case {
    const char* what;
    std::wstring name;
    bool roundTrips;
  } cases[] = {
      {"quotes and backslashes", L"a\"b\\c.sys", true},
      {"control characters", L"tab\there\x0001\x001f.sys", true},
      {"300 characters", longName, true},
      {"non-ASCII", L"\x00fc\x4e2d\xd83d\xde00.sys", true},
      {"a lone high surrogate", L"bad\xd800name.sys", false},
      {"a lone low surrogate at the end", L"bad\xdc00", false},
  };
  std::vector<DriverEntry> entries;
  for (size_t i = 0; i < std::size(cases); ++i) entries.push_back({0x10000000 + i * 0x100000, cases[i].name, longPath});
  const DriverList drivers = MakeDriverList(entries);
  std::vector<RankedDriver> ranked;
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].what);
    DriverStats stats;
    stats.max = 100.0 - static_cast<double>(i);
    ranked.push_back({static_cast<int32_t>(i), stats});
    char text[kDriverTextBytes];
    char line[kLatencyLineBytes];
    FormatDriverText(drivers, static_cast<int32_t>(i), text, sizeof(text));
    LatencySample sample;
    sample.index = static_cast<int32_t>(i);
    FormatLatencySample(line, sizeof(line), 2.0, sample, text);
    const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
    ASSERT_TRUE(parsed.is_object()) << line;
    if (cases[i].roundTrips) {
      EXPECT_EQ(parsed["name"].get<std::string>(), ToUtf8(cases[i].name));
    }
    EXPECT_FALSE(parsed["path"].get<std::string>().empty());
  }
  const std::string line = BuildDriversLine(drivers, ranked, false);
  const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
  ASSERT_TRUE(parsed.is_object()) << line;
  EXPECT_EQ(parsed["list"].size(), std::size(cases));
  EXPECT_EQ(parsed["list"][0]["name"], "a\"b\\c.sys");
  EXPECT_FALSE(parsed.contains("final"));
}

}  // namespace

// Hard-fault records as the kernel logger lays them out, the owner lookup of
// threads, the table and the sample line.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>

#include "probe/tracing/faults_unit.h"
#include "tests/probe/tracing/trace_replay.h"
#include "tests/support/utf8.h"

namespace {

// PageFault hard fault: InitialTime, ReadOffset, VirtualAddress, FileObject,
// TThreadId, ByteCount; the two pointers are 4 bytes under a 32-bit header.
RecordedEvent HardFaultRecord(ULONG processId, uint32_t threadId, uint32_t byteCount, bool header32 = false,
                              UCHAR opcode = kHardFaultOpcode) {
  std::vector<uint8_t> payload;
  const size_t threadOffset = header32 ? 24 : 32;
  PutAt<uint64_t>(payload, 0, 123456789);
  PutAt<uint64_t>(payload, 8, 0x4000);
  PutAt<uint32_t>(payload, threadOffset, threadId);
  PutAt<uint32_t>(payload, threadOffset + 4, byteCount);
  // The kernel logs the event from a thread of its own (here one that does not
  // exist); the faulting thread is the payload's.
  return MakeEvent(kPageFaultGuid, opcode, header32 ? EVENT_HEADER_FLAG_32_BIT_HEADER : 0, processId, 0xFFFFFFF4u,
                   1000, std::move(payload));
}

TEST(HardFault, ReadsBothHeaderLayoutsAndDropsTheRest) {
  auto withLength = [](RecordedEvent event, size_t length) {
    event.payload.resize(length);
    return event;
  };
  auto otherProvider = [](RecordedEvent event) {
    event.header.ProviderId = GUID{0xce1dbfb4, 0x137e, 0x4da6, {0x87, 0xb0, 0x3f, 0x59, 0xaa, 0x10, 0x2c, 0xbc}};
    return event;
  };
  const struct Case {
    const char* name;
    RecordedEvent event;
    bool accepted;
    uint32_t threadId;
    uint32_t bytes;
  } cases[] = {
      {"64-bit header", HardFaultRecord(100, 7, 65536), true, 7, 65536},
      {"32-bit header", HardFaultRecord(100, 9, 8192, true), true, 9, 8192},
      {"zero byte count", HardFaultRecord(100, 7, 0), true, 7, 4096},
      {"64-bit payload of 39 bytes", withLength(HardFaultRecord(100, 7, 1), 39), false, 0, 0},
      {"32-bit payload of 31 bytes", withLength(HardFaultRecord(100, 7, 1, true), 31), false, 0, 0},
      {"a soft fault opcode", HardFaultRecord(100, 7, 4096, false, 10), false, 0, 0},
      {"another provider", otherProvider(HardFaultRecord(100, 7, 4096)), false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedEvent event = c.event;
    const EVENT_RECORD record = AsRecord(event);
    HardFault fault;
    ASSERT_EQ(ParseHardFault(record, fault), c.accepted);
    if (!c.accepted) continue;
    EXPECT_EQ(fault.threadId, c.threadId);
    EXPECT_EQ(fault.bytes, c.bytes);
  }
}

int ownerLookups = 0;
DWORD CountingOwner(DWORD threadId) {
  ++ownerLookups;
  return threadId + 1000;
}

// Faults the kernel charges to no process go to the owner of the thread,
// found through a real thread of this test's process.
TEST(FaultsCallback, UnknownProcessIdsGoToTheThreadsOwner) {
  FaultsState state;
  const DWORD ourThread = GetCurrentThreadId();
  RecordedEvent events[] = {
      HardFaultRecord(0, ourThread, 4096),           HardFaultRecord(0xFFFFFFFF, ourThread, 8192),
      HardFaultRecord(4, 8, 0),                      HardFaultRecord(0, 0xFFFFFFF0u, 4096),  // no such thread
      HardFaultRecord(321, ourThread, 1048576, true),
  };
  for (RecordedEvent& event : events) {
    EVENT_RECORD record = AsRecord(event, &state);
    FaultsEventCallback(&record);
  }
  const FaultTable taken = TakeFaultTable(state);
  EXPECT_TRUE(state.table.empty()) << "the table is taken whole";
  ASSERT_EQ(taken.count(GetCurrentProcessId()), 1u);
  EXPECT_DOUBLE_EQ(taken.at(GetCurrentProcessId()).bytes, 12288.0);
  EXPECT_EQ(taken.at(GetCurrentProcessId()).count, 2u);
  EXPECT_DOUBLE_EQ(taken.at(4).bytes, 4096.0);
  EXPECT_EQ(taken.at(0).count, 1u) << "an owner that cannot be found is charged to 0";
  EXPECT_DOUBLE_EQ(taken.at(321).bytes, 1048576.0);
  EXPECT_EQ(state.owners.at(0xFFFFFFF0u), 0u) << "a missing owner is cached too";
}

TEST(ThreadOwnerCache, AsksOncePerThreadAndEmptiesPastItsBound) {
  ThreadOwnerCache cache;
  ownerLookups = 0;
  EXPECT_EQ(ResolveProcessId(cache, 77, 5, CountingOwner), 77u);
  EXPECT_EQ(ownerLookups, 0) << "a known process needs no lookup";
  EXPECT_EQ(ResolveProcessId(cache, 0, 5, CountingOwner), 1005u);
  EXPECT_EQ(ResolveProcessId(cache, 0xFFFFFFFF, 5, CountingOwner), 1005u);
  EXPECT_EQ(ownerLookups, 1);
  // Thread 5 is held; 50,000 more threads fill the cache to 50,001 entries
  // without emptying it, and the next new thread empties it. The loop is
  // bounded and says at which entry the cache emptied, so a bound set too low
  // fails here at once.
  constexpr size_t kHeld = 50000;
  for (uint32_t added = 1; added <= kHeld; ++added) {
    ResolveProcessId(cache, 0, 10 + added, CountingOwner);
    if (cache.size() != 1u + added) {
      ADD_FAILURE() << "the cache held " << cache.size() << " entries after " << added << " new threads";
      break;
    }
  }
  EXPECT_EQ(cache.size(), kHeld + 1);
  ResolveProcessId(cache, 0, 999999, CountingOwner);
  EXPECT_EQ(cache.size(), 1u) << "past 50000 entries the cache starts over";
  ownerLookups = 0;
  ResolveProcessId(cache, 0, 5, CountingOwner);
  EXPECT_EQ(ownerLookups, 1);
}

int imageLookups = 0;
std::wstring NamedByPid(DWORD processId) {
  ++imageLookups;
  return L"proc" + std::to_wstring(processId) + L".exe";
}

nlohmann::json Sample(const FaultTable& table, ProcessNameCache& names, std::wstring (*imageName)(DWORD),
                      std::string* text = nullptr) {
  char line[kFaultsLineBytes];
  BuildFaultsSample(line, sizeof(line), 3.0, RankFaults(table), MemoryFigures{42, 2048.0}, names, imageName);
  if (text != nullptr) *text = line;
  return nlohmann::json::parse(line, nullptr, false);
}

TEST(FaultsSample, EmptySecond) {
  ProcessNameCache names;
  std::string text;
  Sample({}, names, NamedByPid, &text);
  EXPECT_EQ(text, R"({"t":3.00,"mb":0.00,"mem":42,"avail_mb":2048,"p":[]})");
}

// 20 processes: the 12 with most bytes in order, "mb" over all 20; pid 4 is
// "system" and pid 0 nameless without any lookup.
TEST(FaultsSample, ListsTheTwelveBusiestAndCountsThemAll) {
  FaultTable table;
  double all = 0;
  for (uint32_t i = 0; i < 20; ++i) {
    const uint32_t pid = i == 0 ? 4 : (i == 1 ? 0 : 1000 + i);
    table[pid] = FaultRecord{1048576.0 * (20 - i), i + 1};
    all += 1048576.0 * (20 - i);
  }
  ProcessNameCache names;
  imageLookups = 0;
  const nlohmann::json sample = Sample(table, names, NamedByPid);
  ASSERT_TRUE(sample.is_object());
  EXPECT_DOUBLE_EQ(sample["mb"].get<double>(), all / 1048576.0);
  ASSERT_EQ(sample["p"].size(), 12u);
  EXPECT_EQ(sample["p"][0], nlohmann::json::parse(R"([4,"system",20.000,1])"));
  EXPECT_EQ(sample["p"][1], nlohmann::json::parse(R"([0,"",19.000,2])"));
  EXPECT_EQ(sample["p"][2], nlohmann::json::parse(R"([1002,"proc1002.exe",18.000,3])"));
  EXPECT_EQ(sample["p"][11][0], 1011);
  EXPECT_EQ(imageLookups, 10) << "4 and 0 are never opened";
}

// The longest names the escaper lets through, with quotes that double in
// size: twelve of them still make one whole JSON line inside its buffer.
std::wstring LongestName(DWORD processId) {
  return std::wstring(590, L'"') + std::wstring(10, L'a' + static_cast<wchar_t>(processId % 26));
}

TEST(FaultsSample, TwelveLongestNamesStayOneWholeLine) {
  FaultTable table;
  for (uint32_t i = 0; i < 14; ++i) table[4000000000u + i] = FaultRecord{1.0e15 + i, 4000000000u};
  ProcessNameCache names;
  std::string text;
  const nlohmann::json sample = Sample(table, names, LongestName, &text);
  ASSERT_TRUE(sample.is_object()) << text.substr(text.size() - 80);
  EXPECT_EQ(sample["p"].size(), 12u);
  EXPECT_LT(text.size(), kFaultsLineBytes);
  EXPECT_EQ(text.substr(text.size() - 2), "]}");
}

// Names of exact lengths by process id, for lines of exact lengths.
std::map<DWORD, std::wstring> sizedNames;
std::wstring SizedName(DWORD processId) { return sizedNames[processId]; }

// The line of a table's rows with the names above, and how many were listed.
std::string SizedSample(const FaultTable& table, size_t* listed) {
  char line[kFaultsLineBytes];
  ProcessNameCache names;
  BuildFaultsSample(line, sizeof(line), 1.0, RankFaults(table), MemoryFigures{50, 1024.0}, names, SizedName);
  const nlohmann::json parsed = nlohmann::json::parse(line, nullptr, false);
  EXPECT_TRUE(parsed.is_object()) << line;
  *listed = parsed.is_object() ? parsed["p"].size() : 0;
  return line;
}

// A name whose escaped form is exactly length bytes: quotes double, one letter evens it out.
std::wstring EscapedLength(size_t length) { return std::wstring(length / 2, L'"') + std::wstring(length % 2, L'n'); }

// Catches a stop a few characters or a few hundred off: once the line is 7300
// characters long no further process is listed, at 7299 one more is. Eleven
// items of some 650 characters (the longest names, made of quotes that the
// escaper doubles, ids and counts of ten digits, megabytes of over thirty)
// bring the line near 7300, and the eleventh name is sized so the line ends
// exactly where a case wants it. Three small rows follow; their bytes change
// nothing in the total at the head of the line.
TEST(FaultsSample, NoFurtherItemOnceTheLineReaches7300) {
  FaultTable eleven;
  for (uint32_t i = 0; i < 11; ++i) {
    eleven[4000000000u + i] = FaultRecord{1e39 * (20 - i), 4000000000u};
    sizedNames[4000000000u + i] = EscapedLength(590);
  }
  FaultTable fourteen = eleven;
  for (uint32_t i = 0; i < 3; ++i) fourteen[100 + i] = FaultRecord{3.0 - i, 1};
  const uint32_t sizedId = 4000000010u;

  sizedNames[sizedId] = L"";
  size_t listed = 0;
  const size_t withoutName = SizedSample(eleven, &listed).size() - 2;  // without the closing "]}"
  ASSERT_EQ(listed, 11u);
  // The stop as the host's reader knows it, written out: a test that used the
  // constant would move with it.
  constexpr size_t kStop = 7300;
  ASSERT_LT(withoutName, kStop - 1);
  ASSERT_LE(kStop - withoutName, 590u) << "the names no longer bring the line near the stop";

  const struct Case {
    size_t length;  // of the line after eleven items
    size_t listed;
  } cases[] = {{kStop, 11}, {kStop - 1, 12}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "a line of " << c.length << " after eleven items");
    sizedNames[sizedId] = EscapedLength(c.length - withoutName);
    ASSERT_EQ(SizedSample(eleven, &listed).size() - 2, c.length);
    SizedSample(fourteen, &listed);
    EXPECT_EQ(listed, c.listed);
  }
}

int reuseCalls = 0;
std::wstring ReusedPid(DWORD) { return ++reuseCalls == 1 ? L"first.exe" : L"second.exe"; }

TEST(FaultsSample, HostileNamesStayJsonAndNamesAreKeptPerId) {
  const struct Case {
    const char* what;
    std::wstring name;
    bool roundTrips;
  } cases[] = {
      {"quotes and backslashes", L"a\"b\\c.exe", true},
      {"control characters", L"new\nline\x0007.exe", true},
      {"300 characters", std::wstring(300, L'z'), true},
      {"non-ASCII", L"\x00e5\x65e5\xd83c\xdfae.exe", true},
      {"lone surrogates", L"\xdbff-\xdc01.exe", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ProcessNameCache names;
    names[50] = c.name;
    const nlohmann::json sample = Sample({{50, FaultRecord{4096.0, 1}}}, names, NamedByPid);
    ASSERT_TRUE(sample.is_object());
    if (c.roundTrips) {
      EXPECT_EQ(sample["p"][0][1].get<std::string>(), ToUtf8(c.name));
    }
  }

  ProcessNameCache names;
  reuseCalls = 0;
  Sample({{60, FaultRecord{4096.0, 1}}}, names, ReusedPid);
  const nlohmann::json later = Sample({{60, FaultRecord{4096.0, 1}}}, names, ReusedPid);
  EXPECT_EQ(later["p"][0][1], "first.exe") << "a reused id keeps the name it was first listed with";
  EXPECT_EQ(reuseCalls, 1);
}

}  // namespace

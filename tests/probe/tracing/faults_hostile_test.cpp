// Thousands of generated hard-fault records, valid ones mixed among hostile
// ones, through the real faults callback: each is dropped or charged to
// exactly the process its fields name, nothing valid is lost, and every
// sample line stays whole JSON within its buffer.
#include <gtest/gtest.h>

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "probe/tracing/faults_unit.h"
#include "tests/probe/tracing/trace_replay.h"
#include "tests/support/hostile_records.h"

namespace {

constexpr size_t kEverydayCases = 6000;  // VANTOREL_HOSTILE_CASES may ask for more or fewer
constexpr size_t kCasesPerSample = 400;

// The owner the stand-in lookup gives a thread: none for every seventh.
DWORD OwnerOf(DWORD threadId) { return threadId % 7 == 0 ? 0 : 7000 + threadId % 61; }

uint64_t nameSeed = 0;
// Names as hostile as the system could hand them over, up to the path buffer.
std::wstring HostileImageName(DWORD processId) {
  HostileRandom random(nameSeed, 0x100000000ull + processId);
  return random.SystemText(random.OneIn(3) ? 519 : random.Below(520));
}

struct Generated {
  RecordedEvent event;
  bool nullData = false;
  bool accepted = false;
  uint32_t processId = 0;  // who the fault is charged to
  uint32_t bytes = 0;
  const char* what = "";
};

Generated Generate(uint64_t seed, size_t index) {
  HostileRandom random(seed, index);
  Generated g;
  bool header32 = random.OneIn(4);
  bool layout32 = header32;
  GUID provider = kPageFaultGuid;
  UCHAR opcode = kHardFaultOpcode;
  size_t extra = random.OneIn(3) ? random.Between(1, 64) : 0;
  size_t cut = SIZE_MAX;

  // The kernel leaves the process open (0 or all ones) for many faults; then
  // the thread decides. Process and thread ids at and around their extremes.
  static constexpr uint32_t kOpenIds[] = {0, 0xFFFFFFFFu};
  uint32_t processId = random.OneIn(3) ? kOpenIds[random.Below(2)] : random.Edgy32();
  if (random.OneIn(10)) processId = kSystemProcessId;
  const uint32_t threadId = random.OneIn(2) ? static_cast<uint32_t>(random.Below(200)) : random.Edgy32();
  const uint32_t byteCount = random.OneIn(5) ? 0 : random.Edgy32();
  uint32_t readThread = threadId;
  uint32_t readBytes = byteCount;
  g.accepted = true;

  switch (random.Below(16)) {
    case 0:
      g.what = "another provider";
      reinterpret_cast<uint8_t*>(&provider)[random.Below(sizeof(GUID))] ^= static_cast<uint8_t>(random.Between(1, 255));
      g.accepted = false;
      break;
    case 1:
      g.what = "another opcode";
      do {
        opcode = static_cast<UCHAR>(random.Below(256));
      } while (opcode == kHardFaultOpcode);
      g.accepted = false;
      break;
    case 2:
    case 3:
      g.what = "truncated payload";
      cut = random.Below(header32 ? 32 : 40);
      extra = 0;
      g.accepted = false;
      break;
    case 4:
      g.what = "32-bit layout under a 64-bit header";
      header32 = false;
      layout32 = true;
      extra = random.Below(8);  // still short of the 64-bit layout's 40 bytes
      g.accepted = false;
      break;
    case 5:
      // The 32-bit reading takes the thread and the byte count from where the
      // 64-bit layout keeps its file object.
      g.what = "64-bit layout under a 32-bit header";
      header32 = true;
      layout32 = false;
      readThread = random.OneIn(2) ? static_cast<uint32_t>(random.Below(200)) : random.Edgy32();
      readBytes = random.Edgy32();
      break;
    case 6:
      g.what = "a length with no bytes";
      g.nullData = true;
      g.accepted = false;
      break;
    default:
      g.what = "valid";
      break;
  }

  std::vector<uint8_t> payload;
  PutAt<uint64_t>(payload, 0, random.Next());  // InitialTime
  PutAt<uint64_t>(payload, 8, random.Next());  // ReadOffset
  if (layout32) {
    PutAt<uint32_t>(payload, 16, static_cast<uint32_t>(random.Next()));  // VirtualAddress
    PutAt<uint32_t>(payload, 20, static_cast<uint32_t>(random.Next()));  // FileObject
    PutAt<uint32_t>(payload, 24, threadId);
    PutAt<uint32_t>(payload, 28, byteCount);
  } else {
    PutAt<uint64_t>(payload, 16, random.Next());
    PutAt<uint32_t>(payload, 24, readThread);  // FileObject, as a 32-bit header reads it
    PutAt<uint32_t>(payload, 28, readBytes);
    PutAt<uint32_t>(payload, 32, threadId);
    PutAt<uint32_t>(payload, 36, byteCount);
  }
  for (size_t i = 0; i < extra; ++i) payload.push_back(static_cast<uint8_t>(random.Next()));
  if (cut != SIZE_MAX) payload.resize(cut);
  if (header32 == layout32) {
    readThread = threadId;
    readBytes = byteCount;
  }

  g.processId = processId == 0 || processId == 0xFFFFFFFFu ? OwnerOf(readThread) : processId;
  g.bytes = readBytes == 0 ? kBytesForZeroCount : readBytes;
  // One draw a statement: the order of a call's arguments is the compiler's choice.
  const ULONG anyThread = static_cast<ULONG>(random.Next());
  const int64_t anyStamp = random.EdgyInt64();
  g.event = MakeEvent(provider, opcode, header32 ? EVENT_HEADER_FLAG_32_BIT_HEADER : 0, processId, anyThread, anyStamp,
                      std::move(payload));
  return g;
}

// Catches a hostile record that is counted or charged to the wrong process (or
// crashes the callback or reads past its payload), a valid one that is lost,
// and a sample line that is cut outside its JSON or past its buffer.
TEST(FaultsCallback, HostileRecordsAmongValidOnesAreDroppedOrChargedExactly) {
  const uint64_t seed = HostileSeed();
  nameSeed = seed;
  GuardedBytes guarded(256);
  ASSERT_TRUE(guarded.ok());
  FaultsState state;
  state.threadOwner = OwnerOf;
  ProcessNameCache names;

  FaultTable expected;
  size_t accepted = 0;
  const size_t cases = HostileCaseCount(kEverydayCases);
  for (size_t i = 0; i < cases; ++i) {
    const std::string caseName = HostileCaseName(seed, i);
    SCOPED_TRACE(caseName);
    CaseNote::Set(caseName.c_str());
    if (i == cases / 2) {
      // A storm from more threads than the owner cache keeps, none of them
      // named by the kernel: the cache starts over and every fault still
      // goes to its thread's owner.
      for (uint32_t k = 0; k < kThreadOwnerCacheLimit + 100; ++k) {
        const uint32_t threadId = 1000000 + k;
        std::vector<uint8_t> payload(40, 0);
        PutAt<uint32_t>(payload, 32, threadId);
        PutAt<uint32_t>(payload, 36, 8192);
        RecordedEvent event = MakeEvent(kPageFaultGuid, kHardFaultOpcode, 0, k % 2 == 0 ? 0 : 0xFFFFFFFFu, threadId,
                                        0, std::move(payload));
        EVENT_RECORD record = AsRecord(event, &state);
        FaultsEventCallback(&record);
        FaultRecord& want = expected[OwnerOf(threadId)];
        want.bytes += 8192;
        want.count += 1;
      }
      EXPECT_LE(state.owners.size(), kThreadOwnerCacheLimit + 1);
    }
    Generated g = Generate(seed, i);
    SCOPED_TRACE(g.what);
    EVENT_RECORD record = AsRecord(g.event, &state);
    record.UserData = g.nullData ? nullptr : guarded.Place(g.event.payload.data(), g.event.payload.size());

    HardFault fault;
    ASSERT_EQ(ParseHardFault(record, fault), g.accepted);
    if (g.accepted) {
      FaultRecord& want = expected[g.processId];
      want.bytes += g.bytes;
      want.count += 1;
      ++accepted;
    }
    FaultsEventCallback(&record);

    if ((i + 1) % kCasesPerSample != 0) continue;
    const FaultTable taken = TakeFaultTable(state);
    ASSERT_EQ(taken.size(), expected.size());
    double total = 0;
    for (const auto& [processId, want] : expected) {
      SCOPED_TRACE(processId);
      ASSERT_EQ(taken.count(processId), 1u);
      EXPECT_EQ(taken.at(processId).count, want.count);
      EXPECT_DOUBLE_EQ(taken.at(processId).bytes, want.bytes);
      total += want.bytes;
    }
    char line[kFaultsLineBytes];
    const std::vector<FaultRow> rows = RankFaults(taken);
    BuildFaultsSample(line, sizeof(line), static_cast<double>(i) / 100.0, rows, MemoryFigures{99, 1.0e12}, names,
                      HostileImageName);
    const std::string text = line;
    ASSERT_LT(text.size(), sizeof(line));
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    ASSERT_TRUE(json.is_object()) << text;
    EXPECT_NEAR(json["mb"].get<double>(), total / kMegabyte, 0.005 + total / kMegabyte * 1e-15);
    const nlohmann::json& listed = json["p"];
    ASSERT_TRUE(listed.is_array());
    EXPECT_LE(listed.size(), kListedProcesses);
    EXPECT_GE(listed.size(), std::min<size_t>(rows.size(), 1)) << "the busiest process always fits";
    for (size_t k = 0; k < listed.size(); ++k) {
      EXPECT_EQ(listed[k][0].get<uint32_t>(), rows[k].processId);
      EXPECT_EQ(listed[k][3].get<uint32_t>(), rows[k].count);
    }
    expected.clear();
  }
  EXPECT_GT(accepted, cases / 2) << "the valid records are a good share of the table";
}

}  // namespace

// Events per second through the tracing modes' real event callbacks, fed with
// synthetic records on one thread while a sampler thread takes its samples as
// the mode does, against a bare loop that only reads the same records. Also
// how long the sampler holds (and waits for) the lock per sample.
//
// One section per callback: add a section to kSections for another mode.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "probe/core/run_clock.h"
#include "probe/tracing/faults_unit.h"
#include "probe/tracing/latency_unit.h"
#include "probe/tracing/present_state.h"
#include "probe/tracing/trace_clock.h"

namespace {

struct Record {
  EVENT_RECORD record{};
  std::vector<uint8_t> payload;
};

using Records = std::vector<Record>;

double Now() {
  static const RunClock clock = StartRunClock();
  return SecondsSince(clock);
}

void Point(Records& records, void* context) {
  for (Record& r : records) {
    r.record.UserData = r.payload.data();
    r.record.UserDataLength = static_cast<USHORT>(r.payload.size());
    r.record.UserContext = context;
  }
}

// What any consumer must do at least: touch the header and the payload.
uint64_t BareLoop(const Records& records, double seconds, uint64_t& events) {
  uint64_t sum = 0;
  events = 0;
  const double end = Now() + seconds;
  while (Now() < end) {
    for (int pass = 0; pass < 16; ++pass) {
      for (const Record& r : records) {
        uint64_t a, b;
        memcpy(&a, r.record.UserData, 8);
        memcpy(&b, static_cast<const uint8_t*>(r.record.UserData) + 8, 8);
        sum += a ^ b ^ static_cast<uint64_t>(r.record.EventHeader.TimeStamp.QuadPart) ^ r.record.EventHeader.ProcessId;
      }
      events += records.size();
    }
  }
  return sum;
}

void CallbackLoop(Records& records, PEVENT_RECORD_CALLBACK callback, double seconds, uint64_t& events) {
  events = 0;
  const double end = Now() + seconds;
  while (Now() < end) {
    for (int pass = 0; pass < 16; ++pass) {
      for (Record& r : records) callback(&r.record);
      events += records.size();
    }
  }
}

struct SamplerFigures {
  std::atomic<bool> stop{false};
  uint32_t samples = 0;
  double worstHoldMs = 0.0, totalHoldMs = 0.0;
  double worstWaitMs = 0.0, totalWaitMs = 0.0;
};

// The sampler's real take runs inside our own hold of the same (recursive)
// critical section, so the wait for the lock and the time under it part.
template <typename Take>
auto Timed(SamplerFigures& figures, CRITICAL_SECTION& lock, Take take) {
  const double begin = Now();
  EnterCriticalSection(&lock);
  const double got = Now();
  auto taken = take();
  const double done = Now();
  LeaveCriticalSection(&lock);
  const double wait = (got - begin) * 1000.0, hold = (done - got) * 1000.0;
  figures.worstWaitMs = std::max(figures.worstWaitMs, wait);
  figures.totalWaitMs += wait;
  figures.worstHoldMs = std::max(figures.worstHoldMs, hold);
  figures.totalHoldMs += hold;
  return taken;
}

// ---- latency ----------------------------------------------------------------

constexpr uint64_t kFirstBase = 0xFFFFF80010000000ull;
constexpr uint64_t kDriverSpan = 0x200000;
LatencyState latencyState;
SamplerFigures latencySampler;

Records LatencyRecords() {
  Records records(8192);
  uint32_t seed = 12345;
  for (size_t i = 0; i < records.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    Record& r = records[i];
    EVENT_HEADER& h = r.record.EventHeader;
    h.ProviderId = kPerfInfoGuid;
    h.EventDescriptor.Opcode = (seed >> 8) % 4 == 0 ? 50 : 66;
    h.TimeStamp.QuadPart = 1000000000 + static_cast<LONGLONG>(i) * 100;
    const LONGLONG ticks = 10 + (seed >> 12) % 3000;  // 1 µs to 300 µs at 10 MHz
    const uint64_t routine = (seed >> 4) % 50 == 0 ? 0x1234 : kFirstBase + ((seed >> 16) % 300) * kDriverSpan + 0x4000;
    r.payload.resize(h.EventDescriptor.Opcode == 50 ? 20 : 16);
    const LONGLONG start = h.TimeStamp.QuadPart - ticks;
    memcpy(r.payload.data(), &start, 8);
    memcpy(r.payload.data() + 8, &routine, 8);
  }
  return records;
}

DWORD WINAPI LatencySamplerThread(void*) {
  unsigned n = 0;
  while (!latencySampler.stop.load()) {
    Sleep(10);
    const LatencySample sample =
        Timed(latencySampler, latencyState.lock.section, [] { return TakeLatencySample(latencyState); });
    if (++n % 2 == 0) {
      const std::vector<RankedDriver> snapshot =
          Timed(latencySampler, latencyState.lock.section, [] { return SnapshotDriverStats(latencyState); });
      const std::string line = BuildDriversLine(latencyState.drivers, RankDrivers(snapshot), false);
      if (line.empty() || sample.count == 0xFFFFFFFF) Sleep(0);
    }
    ++latencySampler.samples;
  }
  return 0;
}

void SetUpLatency(Records& records) {
  std::vector<DriverEntry> drivers;
  for (int i = 0; i < 300; ++i) {
    drivers.push_back({kFirstBase + static_cast<uint64_t>(i) * kDriverSpan, L"driver" + std::to_wstring(i) + L".sys",
                       L"\\SystemRoot\\System32\\drivers\\driver" + std::to_wstring(i) + L".sys"});
  }
  InitLatencyState(latencyState, MakeDriverList(std::move(drivers)), 1000.0 / 10000000.0);
  Point(records, &latencyState);
}

// ---- faults -----------------------------------------------------------------

FaultsState faultsState;
SamplerFigures faultsSampler;

DWORD FastOwner(DWORD threadId) { return 5000 + threadId % 200; }
std::wstring BenchName(DWORD processId) { return L"process" + std::to_wstring(processId) + L".exe"; }

Records FaultsRecords() {
  Records records(8192);
  uint32_t seed = 777;
  for (Record& r : records) {
    seed = seed * 1664525u + 1013904223u;
    EVENT_HEADER& h = r.record.EventHeader;
    h.ProviderId = kPageFaultGuid;
    h.EventDescriptor.Opcode = kHardFaultOpcode;
    h.ProcessId = (seed >> 8) % 10 == 0 ? 0 : 5000 + (seed >> 12) % 200;
    const uint32_t threadId = 100 + (seed >> 4) % 2000;
    const uint32_t bytes = ((seed >> 20) % 16) * 4096;
    r.payload.resize(40);
    memcpy(r.payload.data() + 32, &threadId, 4);
    memcpy(r.payload.data() + 36, &bytes, 4);
  }
  return records;
}

DWORD WINAPI FaultsSamplerThread(void*) {
  ProcessNameCache names;
  char line[kFaultsLineBytes];
  while (!faultsSampler.stop.load()) {
    Sleep(10);
    const FaultTable taken = Timed(faultsSampler, faultsState.lock.section, [] { return TakeFaultTable(faultsState); });
    ++faultsSampler.samples;
    BuildFaultsSample(line, sizeof(line), 1.0, RankFaults(taken), MemoryFigures{50, 1000.0}, names, BenchName);
  }
  return 0;
}

void SetUpFaults(Records& records) {
  faultsState.threadOwner = FastOwner;
  Point(records, &faultsState);
}

// ---- frames -----------------------------------------------------------------

PresentState presentState;
SamplerFigures framesSampler;
constexpr uint32_t kPresentingProcesses = 200;

// Presents of 200 processes through both providers (one record in 16 is an
// event the callback drops), timestamps rising as in a live stream.
Records PresentRecords() {
  Records records(8192);
  uint32_t seed = 4242;
  for (size_t i = 0; i < records.size(); ++i) {
    seed = seed * 1664525u + 1013904223u;
    EVENT_HEADER& h = records[i].record.EventHeader;
    const uint32_t pick = (seed >> 8) % 16;
    h.ProviderId = pick == 0 ? kD3d9Provider : kDxgiProvider;
    h.EventDescriptor.Id = pick == 0 ? kD3d9PresentId : pick == 1 ? 43 : pick == 2 ? kDxgiPresentMultiplaneId
                                                                                 : kDxgiPresentId;
    h.ProcessId = 1000 + 4 * ((seed >> 12) % kPresentingProcesses);
    h.TimeStamp.QuadPart = 1000000000 + static_cast<LONGLONG>(i) * 1000;
    records[i].payload.resize(16);  // the callback reads none of it; the bare loop reads 16 bytes
  }
  return records;
}

// The mode's visit with a target and a foreground game, each 10 ms instead of
// each second, so the lock is really contended.
DWORD WINAPI FramesSamplerThread(void*) {
  NameCache names;
  const NameLookup lookup = [](uint32_t) { return std::wstring(L"game.exe"); };
  TableVisit visit;
  uint32_t now = 1;
  while (!framesSampler.stop.load()) {
    Sleep(10);
    Timed(framesSampler, presentState.lock.section, [&] {
      VisitUnderLock(presentState, names, lookup, 1000, 1004, now += 10, visit);
      return 0;
    });
    ++framesSampler.samples;
  }
  return 0;
}

void SetUpFrames(Records& records) {
  msPerTick = 1000.0 / 10000000.0;
  Point(records, &presentState);
}

// ---- sections ---------------------------------------------------------------

struct Section {
  const char* name;
  Records (*records)();
  void (*setUp)(Records&);
  PEVENT_RECORD_CALLBACK callback;
  LPTHREAD_START_ROUTINE sampler;
  SamplerFigures* figures;
};

const Section kSections[] = {
    {"latency (DPC/ISR, 300 drivers)", LatencyRecords, SetUpLatency, LatencyEventCallback, LatencySamplerThread,
     &latencySampler},
    {"faults (hard faults, 200 processes)", FaultsRecords, SetUpFaults, FaultsEventCallback, FaultsSamplerThread,
     &faultsSampler},
    {"frames (presents, 200 processes)", PresentRecords, SetUpFrames, PresentCallback, FramesSamplerThread,
     &framesSampler},
};

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? atof(argv[1]) : 1.0;
  const int rounds = argc > 2 ? atoi(argv[2]) : 3;
  SetThreadAffinityMask(GetCurrentThread(), 1);
  uint64_t sink = 0;
  for (const Section& section : kSections) {
    Records records = section.records();
    section.setUp(records);
    HANDLE sampler = CreateThread(nullptr, 0, section.sampler, nullptr, 0, nullptr);
    std::vector<double> bare, real;
    for (int round = 0; round < rounds; ++round) {
      uint64_t events = 0;
      sink += BareLoop(records, seconds, events);
      bare.push_back(static_cast<double>(events) / seconds);
      CallbackLoop(records, section.callback, seconds, events);
      real.push_back(static_cast<double>(events) / seconds);
    }
    section.figures->stop = true;
    WaitForSingleObject(sampler, INFINITE);
    CloseHandle(sampler);
    std::sort(bare.begin(), bare.end());
    std::sort(real.begin(), real.end());
    const double bareRate = bare[bare.size() / 2];
    const double realRate = real[real.size() / 2];
    const SamplerFigures& f = *section.figures;
    // A figure nobody measured is said, not printed as a rate of 0 or a ratio of infinity.
    if (bareRate <= 0 || realRate <= 0 || f.samples == 0) {
      fprintf(stderr, "%s: measured no %s\n", section.name,
              bareRate <= 0 ? "events of the bare loop" : realRate <= 0 ? "events of the callback" : "samples");
      return 1;
    }
    printf("%s\n", section.name);
    printf("  callback  %8.2f M events/s (median of %d rounds of %.1f s; target >= 5)\n", realRate / 1e6, rounds,
           seconds);
    printf("  bare read %8.2f M events/s   ratio callback/bare %.3f\n", bareRate / 1e6, realRate / bareRate);
    const double n = f.samples;
    printf("  sampler   %u samples; under the lock per sample: mean %.4f ms, worst %.4f ms (target < 1)\n", f.samples,
           f.totalHoldMs / n, f.worstHoldMs);
    printf("            waiting for the lock per sample: mean %.4f ms, worst %.4f ms\n", f.totalWaitMs / n,
           f.worstWaitMs);
  }
  return sink == 42 ? 1 : 0;
}

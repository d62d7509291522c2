#pragma once

#include <windows.h>
#include <evntcons.h>

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "probe/tracing/critical_section.h"
#include "probe/tracing/driver_list.h"

// {CE1DBFB4-137E-4DA6-87B0-3F59AA102CBC}
inline constexpr GUID kPerfInfoGuid = {0xce1dbfb4, 0x137e, 0x4da6, {0x87, 0xb0, 0x3f, 0x59, 0xaa, 0x10, 0x2c, 0xbc}};

constexpr double kLongestDurationUs = 500000.0;
constexpr double kOver5Us = 500.0;
constexpr double kOver10Us = 1000.0;
constexpr double kOver20Us = 2000.0;
constexpr uint64_t kLargestDriverDistance = 0x6000000;  // 96 MiB above a driver's base
constexpr size_t kRankedDrivers = 14;
constexpr int32_t kUnattributed = -1;

constexpr size_t kDriverTextBytes = 2100;
constexpr size_t kDriverNameBytes = 600;
constexpr size_t kDriverPathBytes = 1400;
constexpr size_t kDriverItemBytes = 2400;
constexpr size_t kLatencyLineBytes = 3000;

// One accepted DPC or ISR: its duration and, when the payload has one, the routine.
struct PerfInfoEvent {
  bool isr = false;
  double durationUs = 0.0;
  uint64_t routine = 0;
};

// Reads a PerfInfo DPC/ISR record; false for anything the mode does not count
// (other providers and opcodes, short payloads, implausible times).
bool ParsePerfInfoEvent(const EVENT_RECORD& record, double msPerTick, PerfInfoEvent& event);

// Index of the driver whose image holds routine, or kUnattributed.
int32_t AttributeDriver(const DriverList& drivers, uint64_t routine);
// The plain bisection AttributeDriver must agree with.
int32_t AttributeDriverReference(const DriverList& drivers, uint64_t routine);

struct DriverStats {
  double max = 0.0;
  double total = 0.0;
  uint32_t n = 0;
  uint32_t o5 = 0;
  uint32_t o10 = 0;
  uint32_t o20 = 0;
  bool isr = false;
};

// What the second since the previous sample saw.
struct LatencySample {
  double largest = 0.0;
  int32_t index = kUnattributed;
  uint32_t over = 0;
  uint32_t count = 0;
};

void AddToStats(DriverStats& stats, double durationUs, bool isr);
void AddToSample(LatencySample& sample, double durationUs, int32_t index);

using RankedDriver = std::pair<int32_t, DriverStats>;

// Statistics by driver index, kUnattributed included, for the whole run. The
// callback finds a record by its index directly: one slot per driver of the
// list, made once before tracing starts, so an event never allocates.
class DriverStatsTable {
 public:
  void Reset(size_t driverCount);
  // The record of index, created zeroed on first use; an index outside the
  // list counts as unattributed.
  DriverStats& Use(int32_t index);
  const DriverStats& at(int32_t index) const { return slots_.at(Slot(index)); }
  size_t size() const { return used_; }
  // Every record in use with its index, ascending.
  std::vector<RankedDriver> Snapshot() const;

 private:
  size_t Slot(int32_t index) const {
    const size_t slot = static_cast<size_t>(static_cast<int64_t>(index) + 1);
    return slot < slots_.size() ? slot : 0;
  }
  std::vector<DriverStats> slots_;
  std::vector<uint8_t> inUse_;
  size_t used_ = 0;
};

// Largest max first, at most kRankedDrivers.
std::vector<RankedDriver> RankDrivers(std::vector<RankedDriver> snapshot);

// "name":"…","path":"…" of a driver; both empty for an index outside the list.
void FormatDriverText(const DriverList& drivers, int32_t index, char* text, size_t capacity);

void FormatLatencySample(char* line, size_t capacity, double seconds, const LatencySample& sample,
                         const char* driverText);

// {"event":"drivers",["final":true,]"list":[…]} of the ranked records.
std::string BuildDriversLine(const DriverList& drivers, const std::vector<RankedDriver>& ranked, bool final);

// Shared between the consumer thread's callback and the sampler, under lock.
struct LatencyState {
  CriticalSection lock;
  DriverList drivers;  // complete before tracing starts; read without the lock
  double msPerTick = 0.0;
  DriverStatsTable stats;
  LatencySample sample;
};

void InitLatencyState(LatencyState& state, DriverList drivers, double msPerTick);

// The event callback: record->UserContext is the LatencyState.
void WINAPI LatencyEventCallback(PEVENT_RECORD record);

// Takes the sample accumulators and resets them.
LatencySample TakeLatencySample(LatencyState& state);

std::vector<RankedDriver> SnapshotDriverStats(LatencyState& state);

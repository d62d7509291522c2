#include "probe/tracing/latency_unit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "probe/core/json_escape.h"

namespace {

bool IsIsrOpcode(UCHAR op) { return op == 50 || op == 67; }
bool IsDpcOpcode(UCHAR op) { return op == 66 || op == 68 || op == 69; }

template <typename T>
T ReadAt(const EVENT_RECORD& record, size_t offset) {
  T value;
  memcpy(&value, static_cast<const uint8_t*>(record.UserData) + offset, sizeof(T));
  return value;
}

}  // namespace

bool ParsePerfInfoEvent(const EVENT_RECORD& record, double msPerTick, PerfInfoEvent& event) {
  const EVENT_HEADER& header = record.EventHeader;
  if (!IsEqualGUID(header.ProviderId, kPerfInfoGuid)) return false;
  const UCHAR op = header.EventDescriptor.Opcode;
  const bool isr = IsIsrOpcode(op);
  if (!isr && !IsDpcOpcode(op)) return false;
  // The start time comes first, then the routine: 4 bytes of it under a
  // 32-bit header, 8 otherwise. A 32-bit DPC is 12 bytes long and counts.
  const bool header32 = (header.Flags & EVENT_HEADER_FLAG_32_BIT_HEADER) != 0;
  const size_t shortest = header32 ? 12 : 16;
  if (record.UserDataLength < shortest || record.UserData == nullptr) return false;
  const int64_t start = ReadAt<int64_t>(record, 0);
  const int64_t stamp = header.TimeStamp.QuadPart;
  if (start == 0 || start > stamp) return false;
  // A start time far below the timestamp (a negative one, say) would overflow
  // the signed difference. With start <= stamp the distance lies in [0, 2^64),
  // so the unsigned difference is exact, and a huge one is dropped as too long.
  const uint64_t ticks = static_cast<uint64_t>(stamp) - static_cast<uint64_t>(start);
  const double duration = static_cast<double>(ticks) * msPerTick * 1000.0;
  if (duration <= 0.0 || duration > kLongestDurationUs) return false;
  event.isr = isr;
  event.durationUs = duration;
  event.routine = header32 ? ReadAt<uint32_t>(record, 8) : ReadAt<uint64_t>(record, 8);
  return true;
}

int32_t AttributeDriverReference(const DriverList& drivers, uint64_t routine) {
  const size_t count = drivers.bases.size();
  if (routine == 0 || count == 0 || routine >= drivers.limit) return kUnattributed;
  size_t lo = 0;
  size_t hi = count;
  while (lo < hi) {
    const size_t mid = (lo + hi) / 2;
    if (drivers.bases[mid] > routine) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  if (lo > 0 && routine - drivers.bases[lo - 1] <= kLargestDriverDistance) return static_cast<int32_t>(lo - 1);
  return kUnattributed;
}

int32_t AttributeDriver(const DriverList& drivers, uint64_t routine) {
  const size_t count = drivers.bases.size();
  if (routine == 0 || count == 0 || routine >= drivers.limit) return kUnattributed;
  // The same search as the reference, halving without a branch to mispredict:
  // routines of a busy machine jump between drivers at random.
  const uint64_t* first = drivers.bases.data();
  const uint64_t* base = first;
  size_t n = count;
  while (n > 1) {
    const size_t half = n / 2;
    base = base[half] <= routine ? base + half : base;
    n -= half;
  }
  const size_t lo = static_cast<size_t>(base - first) + (*base <= routine ? 1 : 0);
  if (lo > 0 && routine - drivers.bases[lo - 1] <= kLargestDriverDistance) return static_cast<int32_t>(lo - 1);
  return kUnattributed;
}

void AddToStats(DriverStats& stats, double d, bool isr) {
  if (d > stats.max) stats.max = d;
  stats.total += d;
  stats.n += 1;
  if (d >= kOver5Us) stats.o5 += 1;
  if (d >= kOver10Us) stats.o10 += 1;
  if (d >= kOver20Us) stats.o20 += 1;
  if (isr) stats.isr = true;
}

void AddToSample(LatencySample& sample, double d, int32_t index) {
  sample.count += 1;
  if (d >= kOver10Us) sample.over += 1;
  // On equal durations the earlier event keeps the place.
  if (d > sample.largest) {
    sample.largest = d;
    sample.index = index;
  }
}

std::vector<RankedDriver> RankDrivers(std::vector<RankedDriver> snapshot) {
  const size_t keep = std::min(snapshot.size(), kRankedDrivers);
  std::partial_sort(snapshot.begin(), snapshot.begin() + static_cast<ptrdiff_t>(keep), snapshot.end(),
                    [](const RankedDriver& a, const RankedDriver& b) { return a.second.max > b.second.max; });
  snapshot.resize(keep);
  return snapshot;
}

void FormatDriverText(const DriverList& drivers, int32_t index, char* text, size_t capacity) {
  char name[kDriverNameBytes] = "";
  char path[kDriverPathBytes] = "";
  if (index >= 0 && static_cast<size_t>(index) < drivers.entries.size()) {
    EscapeJsonString(name, sizeof(name), drivers.entries[static_cast<size_t>(index)].name.c_str());
    EscapeJsonString(path, sizeof(path), drivers.entries[static_cast<size_t>(index)].path.c_str());
  }
  snprintf(text, capacity, "\"name\":\"%s\",\"path\":\"%s\"", name, path);
}

void FormatLatencySample(char* line, size_t capacity, double seconds, const LatencySample& sample,
                         const char* driverText) {
  snprintf(line, capacity, "{\"t\":%.2f,\"max\":%.1f,\"over\":%lu,\"n\":%lu,%s}", seconds, sample.largest,
           static_cast<unsigned long>(sample.over), static_cast<unsigned long>(sample.count), driverText);
}

std::string BuildDriversLine(const DriverList& drivers, const std::vector<RankedDriver>& ranked, bool final) {
  std::string line = final ? "{\"event\":\"drivers\",\"final\":true,\"list\":[" : "{\"event\":\"drivers\",\"list\":[";
  char text[kDriverTextBytes];
  char item[kDriverItemBytes];
  for (size_t i = 0; i < ranked.size(); ++i) {
    const DriverStats& s = ranked[i].second;
    FormatDriverText(drivers, ranked[i].first, text, sizeof(text));
    snprintf(item, sizeof(item), "%s{%s,\"max\":%.1f,\"total\":%.1f,\"n\":%lu,\"o5\":%lu,\"o10\":%lu,\"o20\":%lu,\"isr\":%s}",
             i == 0 ? "" : ",", text, s.max, s.total, static_cast<unsigned long>(s.n),
             static_cast<unsigned long>(s.o5), static_cast<unsigned long>(s.o10), static_cast<unsigned long>(s.o20),
             s.isr ? "true" : "false");
    line += item;
  }
  line += "]}";
  return line;
}

void DriverStatsTable::Reset(size_t driverCount) {
  slots_.assign(driverCount + 1, DriverStats{});
  inUse_.assign(driverCount + 1, 0);
  used_ = 0;
}

DriverStats& DriverStatsTable::Use(int32_t index) {
  const size_t slot = Slot(index);
  if (inUse_[slot] == 0) {
    inUse_[slot] = 1;
    ++used_;
  }
  return slots_[slot];
}

std::vector<RankedDriver> DriverStatsTable::Snapshot() const {
  std::vector<RankedDriver> snapshot;
  snapshot.reserve(used_);
  for (size_t slot = 0; slot < slots_.size(); ++slot) {
    if (inUse_[slot] != 0) snapshot.emplace_back(static_cast<int32_t>(slot) - 1, slots_[slot]);
  }
  return snapshot;
}

void InitLatencyState(LatencyState& state, DriverList drivers, double msPerTick) {
  state.drivers = std::move(drivers);
  state.msPerTick = msPerTick;
  state.stats.Reset(state.drivers.entries.size());
  state.sample = LatencySample{};
}

void WINAPI LatencyEventCallback(PEVENT_RECORD record) {
  LatencyState& state = *static_cast<LatencyState*>(record->UserContext);
  PerfInfoEvent event;
  if (!ParsePerfInfoEvent(*record, state.msPerTick, event)) return;
  const int32_t index = AttributeDriver(state.drivers, event.routine);
  EnterCriticalSection(&state.lock.section);
  AddToStats(state.stats.Use(index), event.durationUs, event.isr);
  AddToSample(state.sample, event.durationUs, index);
  LeaveCriticalSection(&state.lock.section);
}

LatencySample TakeLatencySample(LatencyState& state) {
  EnterCriticalSection(&state.lock.section);
  const LatencySample taken = state.sample;
  state.sample = LatencySample{};
  LeaveCriticalSection(&state.lock.section);
  return taken;
}

std::vector<RankedDriver> SnapshotDriverStats(LatencyState& state) {
  EnterCriticalSection(&state.lock.section);
  std::vector<RankedDriver> snapshot = state.stats.Snapshot();
  LeaveCriticalSection(&state.lock.section);
  return snapshot;
}

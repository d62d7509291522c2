#pragma once

#include <windows.h>
#include <evntcons.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "probe/tracing/critical_section.h"

// {3D6FA8D3-FE05-11D0-9DDA-00C04FD7BA7C}
inline constexpr GUID kPageFaultGuid = {0x3d6fa8d3, 0xfe05, 0x11d0, {0x9d, 0xda, 0x00, 0xc0, 0x4f, 0xd7, 0xba, 0x7c}};
constexpr UCHAR kHardFaultOpcode = 32;
constexpr uint32_t kBytesForZeroCount = 4096;
constexpr size_t kThreadOwnerCacheLimit = 50000;
constexpr size_t kListedProcesses = 12;
constexpr size_t kFaultsItemsStopAt = 7300;  // no further item once the line is this long
constexpr size_t kFaultsLineBytes = 8000;
constexpr size_t kProcessNameBytes = 600;
constexpr double kMegabyte = 1048576.0;
constexpr uint32_t kSystemProcessId = 4;

struct HardFault {
  uint32_t threadId = 0;
  uint32_t bytes = 0;  // already 4096 for a zero byte count
};

// Reads a PageFault hard-fault record; false for other events and short payloads.
bool ParseHardFault(const EVENT_RECORD& record, HardFault& fault);

struct FaultRecord {
  double bytes = 0.0;
  uint32_t count = 0;
};
using FaultTable = std::map<uint32_t, FaultRecord>;
using ThreadOwnerCache = std::map<uint32_t, uint32_t>;

// The process owning a thread, or 0 when it cannot be found.
DWORD ThreadOwnerOf(DWORD threadId);

// Process ids the kernel leaves open (0 and all ones) are charged to the
// thread's owner; owners are cached, the cache emptied once it outgrows its bound.
uint32_t ResolveProcessId(ThreadOwnerCache& cache, uint32_t processId, uint32_t threadId,
                          DWORD (*threadOwner)(DWORD));

// Shared between the consumer thread's callback and the sampler, under lock.
struct FaultsState {
  CriticalSection lock;
  FaultTable table;
  ThreadOwnerCache owners;
  DWORD (*threadOwner)(DWORD) = ThreadOwnerOf;
};

// The event callback: record->UserContext is the FaultsState.
void WINAPI FaultsEventCallback(PEVENT_RECORD record);

// Takes the table whole and leaves an empty one in its place.
FaultTable TakeFaultTable(FaultsState& state);

struct FaultRow {
  uint32_t processId = 0;
  double bytes = 0.0;
  uint32_t count = 0;
};

// Most bytes first.
std::vector<FaultRow> RankFaults(const FaultTable& table);

using ProcessNameCache = std::map<uint32_t, std::wstring>;

// A process's name for the lines, looked up once per id for the whole run:
// "system" for 4 and "" for 0 without opening anything.
const std::wstring& CachedProcessName(ProcessNameCache& cache, uint32_t processId,
                                      std::wstring (*imageName)(DWORD));

struct MemoryFigures {
  uint32_t load = 0;
  double availMb = 0.0;
};

// The whole sample line, at most 12 items and none once it reached 7300 characters.
void BuildFaultsSample(char* line, size_t capacity, double seconds, const std::vector<FaultRow>& rows,
                       const MemoryFigures& memory, ProcessNameCache& names, std::wstring (*imageName)(DWORD));

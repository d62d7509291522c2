#include "probe/tracing/faults_unit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "probe/core/json_escape.h"

namespace {

uint32_t ReadU32(const EVENT_RECORD& record, size_t offset) {
  uint32_t value;
  memcpy(&value, static_cast<const uint8_t*>(record.UserData) + offset, sizeof(value));
  return value;
}

}  // namespace

bool ParseHardFault(const EVENT_RECORD& record, HardFault& fault) {
  const EVENT_HEADER& header = record.EventHeader;
  if (!IsEqualGUID(header.ProviderId, kPageFaultGuid) || header.EventDescriptor.Opcode != kHardFaultOpcode) return false;
  // InitialTime, ReadOffset, then two pointers, then the thread and the byte count.
  const bool header32 = (header.Flags & EVENT_HEADER_FLAG_32_BIT_HEADER) != 0;
  const size_t threadOffset = header32 ? 24 : 32;
  if (record.UserDataLength < threadOffset + 8 || record.UserData == nullptr) return false;
  fault.threadId = ReadU32(record, threadOffset);
  const uint32_t bytes = ReadU32(record, threadOffset + 4);
  fault.bytes = bytes == 0 ? kBytesForZeroCount : bytes;
  return true;
}

DWORD ThreadOwnerOf(DWORD threadId) {
  HANDLE thread = OpenThread(THREAD_QUERY_LIMITED_INFORMATION, FALSE, threadId);
  if (thread == nullptr) return 0;
  const DWORD owner = GetProcessIdOfThread(thread);
  CloseHandle(thread);
  return owner;
}

uint32_t ResolveProcessId(ThreadOwnerCache& cache, uint32_t processId, uint32_t threadId,
                          DWORD (*threadOwner)(DWORD)) {
  if (processId != 0 && processId != 0xFFFFFFFFu) return processId;
  const auto found = cache.find(threadId);
  if (found != cache.end()) return found->second;
  const uint32_t owner = threadOwner(threadId);
  if (cache.size() > kThreadOwnerCacheLimit) cache.clear();
  cache.emplace(threadId, owner);
  return owner;
}

void WINAPI FaultsEventCallback(PEVENT_RECORD record) {
  FaultsState& state = *static_cast<FaultsState*>(record->UserContext);
  HardFault fault;
  if (!ParseHardFault(*record, fault)) return;
  EnterCriticalSection(&state.lock.section);
  const uint32_t processId =
      ResolveProcessId(state.owners, record->EventHeader.ProcessId, fault.threadId, state.threadOwner);
  FaultRecord& entry = state.table[processId];
  entry.bytes += fault.bytes;
  entry.count += 1;
  LeaveCriticalSection(&state.lock.section);
}

FaultTable TakeFaultTable(FaultsState& state) {
  FaultTable taken;
  EnterCriticalSection(&state.lock.section);
  taken.swap(state.table);
  LeaveCriticalSection(&state.lock.section);
  return taken;
}

std::vector<FaultRow> RankFaults(const FaultTable& table) {
  std::vector<FaultRow> rows;
  rows.reserve(table.size());
  for (const auto& [processId, record] : table) rows.push_back({processId, record.bytes, record.count});
  std::sort(rows.begin(), rows.end(), [](const FaultRow& a, const FaultRow& b) { return a.bytes > b.bytes; });
  return rows;
}

const std::wstring& CachedProcessName(ProcessNameCache& cache, uint32_t processId,
                                      std::wstring (*imageName)(DWORD)) {
  const auto found = cache.find(processId);
  if (found != cache.end()) return found->second;
  std::wstring name;
  if (processId == kSystemProcessId) {
    name = L"system";
  } else if (processId != 0) {
    name = imageName(processId);
  }
  return cache.emplace(processId, std::move(name)).first->second;
}

void BuildFaultsSample(char* line, size_t capacity, double seconds, const std::vector<FaultRow>& rows,
                       const MemoryFigures& memory, ProcessNameCache& names, std::wstring (*imageName)(DWORD)) {
  double total = 0.0;
  for (const FaultRow& row : rows) total += row.bytes;
  int head = snprintf(line, capacity, "{\"t\":%.2f,\"mb\":%.2f,\"mem\":%lu,\"avail_mb\":%.0f,\"p\":[", seconds,
                      total / kMegabyte, static_cast<unsigned long>(memory.load), memory.availMb);
  size_t length = head > 0 ? std::min(static_cast<size_t>(head), capacity - 3) : 0;
  char name[kProcessNameBytes];
  char item[kProcessNameBytes + 64];
  size_t listed = 0;
  for (const FaultRow& row : rows) {
    if (listed >= kListedProcesses || length >= kFaultsItemsStopAt) break;
    EscapeJsonString(name, sizeof(name), CachedProcessName(names, row.processId, imageName).c_str());
    const int itemLength = snprintf(item, sizeof(item), "%s[%lu,\"%s\",%.3f,%lu]", listed == 0 ? "" : ",",
                                    static_cast<unsigned long>(row.processId), name, row.bytes / kMegabyte,
                                    static_cast<unsigned long>(row.count));
    // Room is kept for the closing "]}" so the line stays whole JSON.
    if (itemLength <= 0 || static_cast<size_t>(itemLength) >= sizeof(item)) break;
    if (length + static_cast<size_t>(itemLength) + 3 > capacity) break;
    memcpy(line + length, item, static_cast<size_t>(itemLength));
    length += static_cast<size_t>(itemLength);
    ++listed;
  }
  memcpy(line + length, "]}", 3);
}

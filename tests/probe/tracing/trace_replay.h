#pragma once

// A stand-in for Event Tracing for Windows behind the trace table: it records
// every call with the blocks it was given, keeps a set of running sessions the
// way the system does (a second start of a running name gives 183), and on
// ProcessTrace hands recorded EVENT_RECORDs to the real callback, on the real
// consumer thread, with the UserContext the consumer was opened with.
//
// How to use it:
//   TraceReplay replay;                       // at most one at a time
//   TraceSession session; TraceApi api = replay.Table(); session.api = &api;
//   replay.running.insert(L"VantorelKernel");  // a left-over session, if wanted
//   replay.startResults = {ERROR_ACCESS_DENIED}; // scripted StartTraceW results
//   StartKernelTrace(session, flags, Callback, &state);
//   replay.Deliver({MakeEvent(...), ...}, 5000);  // returns once each callback returned
//   StopTraceSession(session);
//   replay.Calls() / replay.CallKinds() to check the order and the blocks.
// For a whole mode run, put replay.Table() into MonitorPlatform::trace and let
// the platform's sleep call Deliver with the next second of events.

#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <deque>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "probe/tracing/trace_session.h"

struct RecordedEvent {
  EVENT_HEADER header{};
  std::vector<uint8_t> payload;
};

// An event as the kernel logger delivers it: provider, opcode (and id for
// manifest providers), header flags, process and thread, raw timestamp.
RecordedEvent MakeEvent(const GUID& provider, UCHAR opcode, USHORT flags, ULONG processId, ULONG threadId,
                        LONGLONG timeStamp, std::vector<uint8_t> payload, USHORT id = 0);

// The EVENT_RECORD a consumer callback receives for event; it points into
// event's payload, so event must outlive it.
EVENT_RECORD AsRecord(RecordedEvent& event, void* context = nullptr);

// Stores value little-endian at offset, growing the payload when needed.
template <typename T>
void PutAt(std::vector<uint8_t>& payload, size_t offset, T value) {
  if (payload.size() < offset + sizeof(T)) payload.resize(offset + sizeof(T));
  memcpy(payload.data() + offset, &value, sizeof(T));
}

enum class TraceCall { Start, Control, Enable, Open, ProcessBegin, ProcessEnd, Close, SetInformation };

struct TraceCallRecord {
  TraceCall kind{};
  DWORD threadId = 0;
  std::wstring name;          // Start, Control (empty when by handle), Open
  TRACEHANDLE handle = 0;     // Control, Enable, Close, SetInformation, ProcessBegin
  TracePropertiesBlock block{};  // Start, Control: the block as passed
  ULONG controlCode = 0;      // Control, Enable
  GUID provider{};            // Enable
  UCHAR level = 0;
  ULONGLONG anyKeyword = 0, allKeyword = 0;
  ULONG timeout = 0;
  bool hasParameters = false;
  ENABLE_TRACE_PARAMETERS parameters{};
  std::vector<EVENT_FILTER_DESCRIPTOR> filters;
  std::vector<std::vector<uint8_t>> filterBytes;  // what each filter's Ptr points at, Size bytes
  ULONG processTraceMode = 0;  // Open
  PEVENT_RECORD_CALLBACK callback = nullptr;
  void* context = nullptr;
  ULONG handleCount = 0;       // ProcessBegin
  bool hasTimes = false;
  TRACE_INFO_CLASS infoClass{};  // SetInformation
  std::vector<uint8_t> information;
};

class TraceReplay {
 public:
  TraceReplay();
  ~TraceReplay();
  TraceReplay(const TraceReplay&) = delete;
  TraceReplay& operator=(const TraceReplay&) = delete;

  // The table whose functions reach this replay; withSetInformation false
  // stands for a system without TraceSetInformation.
  TraceApi Table(bool withSetInformation = true) const;

  // Script, set before the run. A StartTraceW of a running name gives 183;
  // otherwise the next scripted result is taken (0 once they run out).
  std::set<std::wstring> running;
  std::deque<ULONG> startResults;
  std::deque<ULONG> enableResults;
  bool openFails = false;
  DWORD openError = 0;  // GetLastError() after a failed OpenTraceW
  // Like the system, the consumer takes a moment to end once stopped, so a
  // stop that does not wait for its thread is seen returning too early.
  DWORD consumerEndDelayMs = 100;

  // Hands events to the consumer and waits until the callback returned for
  // each. The consumer may start later: the events wait for it. False on time-out.
  bool Deliver(std::vector<RecordedEvent> events, DWORD timeoutMs);

  // Waits until the consumer thread is inside ProcessTrace; false on time-out.
  bool WaitForConsumer(DWORD timeoutMs);

  std::vector<TraceCallRecord> Calls();
  // The kinds of the calls in order. The consumer may end as soon as its
  // session stops or only at the close, both as on the real system; leave
  // its end out to compare the calls our code makes.
  std::vector<TraceCall> CallKinds(bool withConsumerEnd = true);
  std::set<std::wstring> Running();
  bool ConsumerEnded();

  static TraceReplay* current;

  // The table's entries.
  ULONG OnStart(PTRACEHANDLE handle, LPCWSTR name, PEVENT_TRACE_PROPERTIES properties);
  ULONG OnControl(TRACEHANDLE handle, LPCWSTR name, PEVENT_TRACE_PROPERTIES properties, ULONG code);
  ULONG OnEnable(TRACEHANDLE handle, LPCGUID provider, ULONG code, UCHAR level, ULONGLONG any, ULONGLONG all,
                 ULONG timeout, PENABLE_TRACE_PARAMETERS parameters);
  TRACEHANDLE OnOpen(PEVENT_TRACE_LOGFILEW logFile);
  ULONG OnProcess(PTRACEHANDLE handles, ULONG count, LPFILETIME start, LPFILETIME end);
  ULONG OnClose(TRACEHANDLE handle);
  ULONG OnSetInformation(TRACEHANDLE handle, TRACE_INFO_CLASS infoClass, PVOID information, ULONG length);

 private:
  void Record(TraceCallRecord record);  // with mutex_ held

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<TraceCallRecord> calls_;
  std::vector<std::pair<TRACEHANDLE, std::wstring>> handles_;  // session handles handed out
  TRACEHANDLE nextHandle_ = 0x5100;
  std::wstring consumerName_;
  TRACEHANDLE consumerHandle_ = INVALID_PROCESSTRACE_HANDLE;
  PEVENT_RECORD_CALLBACK callback_ = nullptr;
  void* context_ = nullptr;
  bool consumerStopped_ = false;
  bool consumerEnded_ = false;
  bool consumerBegan_ = false;
  std::deque<RecordedEvent> queue_;
  uint64_t queued_ = 0;
  uint64_t delivered_ = 0;
};

#include "tests/probe/tracing/trace_replay.h"

#include <algorithm>
#include <chrono>

TraceReplay* TraceReplay::current = nullptr;

namespace {

ULONG WINAPI ReplayStart(PTRACEHANDLE handle, LPCWSTR name, PEVENT_TRACE_PROPERTIES properties) {
  return TraceReplay::current->OnStart(handle, name, properties);
}
ULONG WINAPI ReplayControl(TRACEHANDLE handle, LPCWSTR name, PEVENT_TRACE_PROPERTIES properties, ULONG code) {
  return TraceReplay::current->OnControl(handle, name, properties, code);
}
ULONG WINAPI ReplayEnable(TRACEHANDLE handle, LPCGUID provider, ULONG code, UCHAR level, ULONGLONG any,
                          ULONGLONG all, ULONG timeout, PENABLE_TRACE_PARAMETERS parameters) {
  return TraceReplay::current->OnEnable(handle, provider, code, level, any, all, timeout, parameters);
}
TRACEHANDLE WINAPI ReplayOpen(PEVENT_TRACE_LOGFILEW logFile) { return TraceReplay::current->OnOpen(logFile); }
ULONG WINAPI ReplayProcess(PTRACEHANDLE handles, ULONG count, LPFILETIME start, LPFILETIME end) {
  return TraceReplay::current->OnProcess(handles, count, start, end);
}
ULONG WINAPI ReplayClose(TRACEHANDLE handle) { return TraceReplay::current->OnClose(handle); }
ULONG WINAPI ReplaySetInformation(TRACEHANDLE handle, TRACE_INFO_CLASS infoClass, PVOID information,
                                  ULONG length) {
  return TraceReplay::current->OnSetInformation(handle, infoClass, information, length);
}

TracePropertiesBlock CopyBlock(PEVENT_TRACE_PROPERTIES properties) {
  TracePropertiesBlock block{};
  if (properties != nullptr) memcpy(&block, properties, sizeof(block));
  return block;
}

}  // namespace

RecordedEvent MakeEvent(const GUID& provider, UCHAR opcode, USHORT flags, ULONG processId, ULONG threadId,
                        LONGLONG timeStamp, std::vector<uint8_t> payload, USHORT id) {
  RecordedEvent event;
  EVENT_HEADER& h = event.header;
  h.Size = static_cast<USHORT>(sizeof(EVENT_HEADER));
  h.HeaderType = 0;
  h.Flags = flags;
  h.EventProperty = EVENT_HEADER_PROPERTY_LEGACY_EVENTLOG;
  h.ThreadId = threadId;
  h.ProcessId = processId;
  h.TimeStamp.QuadPart = timeStamp;
  h.ProviderId = provider;
  h.EventDescriptor.Id = id;
  h.EventDescriptor.Opcode = opcode;
  h.EventDescriptor.Version = 2;
  event.payload = std::move(payload);
  return event;
}

EVENT_RECORD AsRecord(RecordedEvent& event, void* context) {
  EVENT_RECORD record{};
  record.EventHeader = event.header;
  record.UserDataLength = static_cast<USHORT>(event.payload.size());
  record.UserData = event.payload.data();
  record.UserContext = context;
  return record;
}

TraceReplay::TraceReplay() { current = this; }

TraceReplay::~TraceReplay() {
  if (current == this) current = nullptr;
}

TraceApi TraceReplay::Table(bool withSetInformation) const {
  return TraceApi{ReplayStart, ReplayControl, ReplayEnable, ReplayOpen, ReplayProcess, ReplayClose,
                  withSetInformation ? ReplaySetInformation : nullptr};
}

void TraceReplay::Record(TraceCallRecord record) {
  record.threadId = GetCurrentThreadId();
  calls_.push_back(std::move(record));
  changed_.notify_all();
}

ULONG TraceReplay::OnStart(PTRACEHANDLE handle, LPCWSTR name, PEVENT_TRACE_PROPERTIES properties) {
  std::lock_guard<std::mutex> lock(mutex_);
  TraceCallRecord record;
  record.kind = TraceCall::Start;
  record.name = name != nullptr ? name : L"";
  record.block = CopyBlock(properties);
  Record(record);
  if (running.count(record.name) != 0) return ERROR_ALREADY_EXISTS;
  ULONG result = ERROR_SUCCESS;
  if (!startResults.empty()) {
    result = startResults.front();
    startResults.pop_front();
  }
  if (result != ERROR_SUCCESS) return result;
  running.insert(record.name);
  *handle = nextHandle_++;
  handles_.emplace_back(*handle, record.name);
  return ERROR_SUCCESS;
}

ULONG TraceReplay::OnControl(TRACEHANDLE handle, LPCWSTR name, PEVENT_TRACE_PROPERTIES properties, ULONG code) {
  std::lock_guard<std::mutex> lock(mutex_);
  TraceCallRecord record;
  record.kind = TraceCall::Control;
  record.handle = handle;
  record.name = name != nullptr ? name : L"";
  record.block = CopyBlock(properties);
  record.controlCode = code;
  Record(record);
  if (code != EVENT_TRACE_CONTROL_STOP) return ERROR_SUCCESS;
  std::wstring target = record.name;
  if (target.empty()) {
    for (const auto& [h, n] : handles_) {
      if (h == handle && handle != 0) target = n;
    }
  }
  if (target.empty() || running.erase(target) == 0) return ERROR_WMI_INSTANCE_NOT_FOUND;
  if (target == consumerName_) consumerStopped_ = true;
  changed_.notify_all();
  return ERROR_SUCCESS;
}

ULONG TraceReplay::OnEnable(TRACEHANDLE handle, LPCGUID provider, ULONG code, UCHAR level, ULONGLONG any,
                            ULONGLONG all, ULONG timeout, PENABLE_TRACE_PARAMETERS parameters) {
  std::lock_guard<std::mutex> lock(mutex_);
  TraceCallRecord record;
  record.kind = TraceCall::Enable;
  record.handle = handle;
  if (provider != nullptr) record.provider = *provider;
  record.controlCode = code;
  record.level = level;
  record.anyKeyword = any;
  record.allKeyword = all;
  record.timeout = timeout;
  record.hasParameters = parameters != nullptr;
  if (parameters != nullptr) {
    record.parameters = *parameters;
    for (ULONG i = 0; i < parameters->FilterDescCount && parameters->EnableFilterDesc != nullptr; ++i) {
      const EVENT_FILTER_DESCRIPTOR& filter = parameters->EnableFilterDesc[i];
      record.filters.push_back(filter);
      const uint8_t* bytes = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(filter.Ptr));
      const size_t size = std::min<size_t>(filter.Size, 1024);
      record.filterBytes.emplace_back(bytes, bytes == nullptr ? bytes : bytes + size);
    }
  }
  Record(record);
  if (enableResults.empty()) return ERROR_SUCCESS;
  const ULONG result = enableResults.front();
  enableResults.pop_front();
  return result;
}

TRACEHANDLE TraceReplay::OnOpen(PEVENT_TRACE_LOGFILEW logFile) {
  std::lock_guard<std::mutex> lock(mutex_);
  TraceCallRecord record;
  record.kind = TraceCall::Open;
  record.name = logFile->LoggerName != nullptr ? logFile->LoggerName : L"";
  record.processTraceMode = logFile->ProcessTraceMode;
  record.callback = logFile->EventRecordCallback;
  record.context = logFile->Context;
  Record(record);
  if (openFails) {
    SetLastError(openError);
    return INVALID_PROCESSTRACE_HANDLE;
  }
  consumerName_ = record.name;
  callback_ = logFile->EventRecordCallback;
  context_ = logFile->Context;
  consumerHandle_ = 0x7100;
  return consumerHandle_;
}

ULONG TraceReplay::OnProcess(PTRACEHANDLE handles, ULONG count, LPFILETIME start, LPFILETIME end) {
  std::unique_lock<std::mutex> lock(mutex_);
  TraceCallRecord record;
  record.kind = TraceCall::ProcessBegin;
  record.handle = count > 0 ? handles[0] : 0;
  record.handleCount = count;
  record.hasTimes = start != nullptr || end != nullptr;
  Record(record);
  if (count != 1 || handles[0] != consumerHandle_) return ERROR_INVALID_HANDLE;
  consumerBegan_ = true;
  for (;;) {
    changed_.wait(lock, [this] { return consumerStopped_ || !queue_.empty(); });
    if (queue_.empty()) break;
    RecordedEvent event = std::move(queue_.front());
    queue_.pop_front();
    EVENT_RECORD eventRecord = AsRecord(event, context_);
    lock.unlock();
    callback_(&eventRecord);
    lock.lock();
    ++delivered_;
    changed_.notify_all();
  }
  lock.unlock();
  Sleep(consumerEndDelayMs);
  lock.lock();
  TraceCallRecord endRecord;
  endRecord.kind = TraceCall::ProcessEnd;
  Record(endRecord);
  consumerEnded_ = true;
  return ERROR_SUCCESS;
}

ULONG TraceReplay::OnClose(TRACEHANDLE handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  TraceCallRecord record;
  record.kind = TraceCall::Close;
  record.handle = handle;
  Record(record);
  if (handle != consumerHandle_ || handle == INVALID_PROCESSTRACE_HANDLE) return ERROR_INVALID_HANDLE;
  consumerStopped_ = true;
  changed_.notify_all();
  return ERROR_SUCCESS;
}

ULONG TraceReplay::OnSetInformation(TRACEHANDLE handle, TRACE_INFO_CLASS infoClass, PVOID information,
                                    ULONG length) {
  std::lock_guard<std::mutex> lock(mutex_);
  TraceCallRecord record;
  record.kind = TraceCall::SetInformation;
  record.handle = handle;
  record.infoClass = infoClass;
  const uint8_t* bytes = static_cast<const uint8_t*>(information);
  record.information.assign(bytes, bytes + length);
  Record(record);
  return ERROR_SUCCESS;
}

bool TraceReplay::Deliver(std::vector<RecordedEvent> events, DWORD timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  for (RecordedEvent& event : events) queue_.push_back(std::move(event));
  queued_ += events.size();
  changed_.notify_all();
  const uint64_t target = queued_;
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return delivered_ >= target; });
}

bool TraceReplay::WaitForConsumer(DWORD timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return consumerBegan_; });
}

std::vector<TraceCallRecord> TraceReplay::Calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

std::vector<TraceCall> TraceReplay::CallKinds(bool withConsumerEnd) {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<TraceCall> kinds;
  for (const TraceCallRecord& call : calls_) {
    if (withConsumerEnd || call.kind != TraceCall::ProcessEnd) kinds.push_back(call.kind);
  }
  return kinds;
}

std::set<std::wstring> TraceReplay::Running() {
  std::lock_guard<std::mutex> lock(mutex_);
  return running;
}

bool TraceReplay::ConsumerEnded() {
  std::lock_guard<std::mutex> lock(mutex_);
  return consumerEnded_;
}

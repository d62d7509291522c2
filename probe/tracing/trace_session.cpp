#include "probe/tracing/trace_session.h"

#include <cstdio>
#include <cstring>
#include <cwchar>

#include "probe/core/event_line.h"

namespace {

static_assert(sizeof(EVENT_TRACE_LOGFILEW) == 448, "the consumer set-up the system expects");

constexpr ULONG kNameOffset = offsetof(TracePropertiesBlock, name);
static_assert(kNameOffset == 120);

void ZeroWithName(TracePropertiesBlock& block, const wchar_t* name) {
  memset(&block, 0, sizeof(block));
  block.properties.Wnode.BufferSize = sizeof(block);
  block.properties.Wnode.Flags = WNODE_FLAG_TRACED_GUID;
  block.properties.Wnode.ClientContext = 1;  // timestamps from the performance counter
  block.properties.FlushTimer = 1;
  block.properties.LoggerNameOffset = kNameOffset;
  wcsncpy(block.name, name, kSessionNameChars - 1);
  block.name[kSessionNameChars - 1] = L'\0';
}

DWORD WINAPI ConsumerThread(void* parameter) {
  const TraceSession* session = static_cast<const TraceSession*>(parameter);
  TRACEHANDLE handle = session->consumerHandle;
  session->api->process(&handle, 1, nullptr, nullptr);
  return 0;
}

}  // namespace

void FillStartProperties(TracePropertiesBlock& block, const wchar_t* name, bool isPrivate, ULONG enableFlags) {
  ZeroWithName(block, name);
  EVENT_TRACE_PROPERTIES& p = block.properties;
  p.Wnode.Guid = isPrivate ? kPrivateKernelSessionGuid : kSystemTraceControlGuid;
  p.BufferSize = 256;
  p.MinimumBuffers = 32;
  p.MaximumBuffers = 256;
  p.LogFileMode = isPrivate ? (EVENT_TRACE_SYSTEM_LOGGER_MODE | EVENT_TRACE_REAL_TIME_MODE) : EVENT_TRACE_REAL_TIME_MODE;
  p.EnableFlags = enableFlags;
}

void FillPlainProperties(TracePropertiesBlock& block, const wchar_t* name) {
  ZeroWithName(block, name);
  EVENT_TRACE_PROPERTIES& p = block.properties;
  p.LogFileMode = EVENT_TRACE_REAL_TIME_MODE;
  p.BufferSize = 64;
  p.MinimumBuffers = 8;
  p.MaximumBuffers = 64;
}

ULONG StartSession(TraceSession& session, const wchar_t* name, bool isPrivate, ULONG enableFlags) {
  const TraceApi& api = *session.api;
  session.sessionName = name;
  session.privateSession = isPrivate;
  FillStartProperties(session.block, name, isPrivate, enableFlags);
  ULONG result = api.start(&session.sessionHandle, name, &session.block.properties);
  if (result == ERROR_ALREADY_EXISTS) {
    // A running "NT Kernel Logger" belongs to another program and is left alone.
    if (!isPrivate) return result;
    // A real-time session outlives the process that started it: this one is ours, left over.
    FillStartProperties(session.block, name, isPrivate, enableFlags);
    api.control(0, name, &session.block.properties, EVENT_TRACE_CONTROL_STOP);
    FillStartProperties(session.block, name, isPrivate, enableFlags);
    result = api.start(&session.sessionHandle, name, &session.block.properties);
  }
  if (result != ERROR_SUCCESS) return result;
  if (isPrivate && api.setInformation != nullptr) {
    // A system-logger session takes its groups from here on newer systems; the
    // enable flags of the block remain where this is refused.
    ULONG groups[8] = {enableFlags};
    api.setInformation(session.sessionHandle, static_cast<TRACE_INFO_CLASS>(4), groups, sizeof(groups));
  }
  return ERROR_SUCCESS;
}

ULONG OpenConsumer(TraceSession& session, PEVENT_RECORD_CALLBACK callback, void* context) {
  EVENT_TRACE_LOGFILEW logFile;
  memset(&logFile, 0, sizeof(logFile));
  logFile.LoggerName = const_cast<LPWSTR>(session.sessionName);
  logFile.ProcessTraceMode = kConsumerTraceMode;
  logFile.EventRecordCallback = callback;
  logFile.Context = context;
  session.consumerHandle = session.api->open(&logFile);
  if (session.consumerHandle != INVALID_PROCESSTRACE_HANDLE) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

ULONG StartConsumerThread(TraceSession& session) {
  session.consumerThread = CreateThread(nullptr, 0, ConsumerThread, &session, 0, nullptr);
  if (session.consumerThread != nullptr) return ERROR_SUCCESS;
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_GEN_FAILURE;
}

ULONG StartKernelTrace(TraceSession& session, ULONG enableFlags, PEVENT_RECORD_CALLBACK callback,
                       void* context) {
  if (StartSession(session, kPrivateKernelSessionName, true, enableFlags) != ERROR_SUCCESS) {
    // The private session's own code is not reported: the fallback's is what counts.
    const ULONG result = StartSession(session, kKernelLoggerName, false, enableFlags);
    if (result != ERROR_SUCCESS) return result;
  }
  ULONG result = OpenConsumer(session, callback, context);
  // A consumer without its thread would report a run that sees nothing.
  if (result == ERROR_SUCCESS) result = StartConsumerThread(session);
  if (result != ERROR_SUCCESS) StopTraceSession(session);
  return result;
}

void StopTraceSession(TraceSession& session) {
  FillPlainProperties(session.block, session.sessionName);
  session.api->control(session.sessionHandle, nullptr, &session.block.properties, EVENT_TRACE_CONTROL_STOP);
  if (session.consumerHandle != INVALID_PROCESSTRACE_HANDLE) session.api->close(session.consumerHandle);
  if (session.consumerThread != nullptr) {
    // A consumer that has not ended in 3 s is abandoned.
    if (WaitForSingleObject(session.consumerThread, kConsumerStopWaitMs) != WAIT_OBJECT_0) {
      session.consumerAbandoned = true;
    }
    CloseHandle(session.consumerThread);
    session.consumerThread = nullptr;
  }
  session.consumerHandle = INVALID_PROCESSTRACE_HANDLE;
}

bool ConsumerMayCallBack(const TraceSession& session) {
  return session.consumerHandle != INVALID_PROCESSTRACE_HANDLE || session.consumerThread != nullptr ||
         session.consumerAbandoned;
}

void FormatTraceError(char* text, size_t capacity, ULONG code, AccessDenied accessDenied) {
  const bool noRights = code == ERROR_ACCESS_DENIED && accessDenied == AccessDenied::kMeansNoRights;
  snprintf(text, capacity, "{\"event\":\"error\",\"what\":\"%s\",\"code\":%lu}", noRights ? "access" : "trace",
           static_cast<unsigned long>(code));
}

void ReportTraceError(ULONG code, AccessDenied accessDenied) {
  char line[200];
  FormatTraceError(line, sizeof(line), code, accessDenied);
  WriteEventLine(line);
}

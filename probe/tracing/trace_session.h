#pragma once

#include <cstdint>

#include "probe/tracing/trace_api.h"

// The kernel trace session of the latency and faults modes, and the pieces a
// user-mode session (the frame-time mode) shares with it.
//
// How to use it (kernel modes):
//   TraceSession session;                       // idle: no handles, "VantorelKernel"
//   session.api = &platform.trace;              // optional; RealTraceApi() by default
//   ConsumerState<State> state(session);        // what Callback works on (consumer_state.h)
//   DWORD error = StartKernelTrace(session, kFlags, Callback, state.get());
//   if (error != 0) { ReportTraceError(error, AccessDenied::kMeansNoRights); return kExitFailed; }
//   ... events reach Callback on the consumer thread, record->UserContext == state.get() ...
//   StopTraceSession(session);
//
// A user-mode session does its own StartTraceW/EnableTraceEx2 through
// session.api (FillPlainProperties gives its block), then OpenConsumer and
// StartConsumerThread, and StopTraceSession at the end.

inline constexpr wchar_t kPrivateKernelSessionName[] = L"VantorelKernel";
inline constexpr wchar_t kKernelLoggerName[] = L"NT Kernel Logger";
// {6B3C51F2-8E1D-4C7A-9A5E-217F0D44B193}
inline constexpr GUID kPrivateKernelSessionGuid = {
    0x6b3c51f2, 0x8e1d, 0x4c7a, {0x9a, 0x5e, 0x21, 0x7f, 0x0d, 0x44, 0xb1, 0x93}};
// SystemTraceControlGuid {9E814AAD-3204-11D2-9A82-006008A86939}
inline constexpr GUID kSystemTraceControlGuid = {
    0x9e814aad, 0x3204, 0x11d2, {0x9a, 0x82, 0x00, 0x60, 0x08, 0xa8, 0x69, 0x39}};

constexpr ULONG kLatencyEnableFlags = EVENT_TRACE_FLAG_DPC | EVENT_TRACE_FLAG_INTERRUPT;  // 0x60
constexpr ULONG kFaultsEnableFlags = EVENT_TRACE_FLAG_MEMORY_HARD_FAULTS;                 // 0x2000
constexpr ULONG kConsumerTraceMode =
    PROCESS_TRACE_MODE_EVENT_RECORD | PROCESS_TRACE_MODE_RAW_TIMESTAMP | PROCESS_TRACE_MODE_REAL_TIME;
constexpr DWORD kConsumerStopWaitMs = 3000;
constexpr int kSessionNameChars = 64;  // room in the block, terminator included

// EVENT_TRACE_PROPERTIES followed by the session name, as StartTraceW wants it.
struct TracePropertiesBlock {
  EVENT_TRACE_PROPERTIES properties;
  wchar_t name[kSessionNameChars];
};
static_assert(sizeof(EVENT_TRACE_PROPERTIES) == 120, "the name follows the structure at offset 120");
static_assert(sizeof(TracePropertiesBlock) == 248, "the block StartTraceW and ControlTraceW receive");

// Trace session record: one per mode run, a local of the run function.
struct TraceSession {
  TracePropertiesBlock block{};
  TRACEHANDLE sessionHandle = 0;
  TRACEHANDLE consumerHandle = INVALID_PROCESSTRACE_HANDLE;
  HANDLE consumerThread = nullptr;
  const wchar_t* sessionName = kPrivateKernelSessionName;
  bool privateSession = true;
  const TraceApi* api = &RealTraceApi();
  bool consumerAbandoned = false;  // the stop gave up waiting for the consumer thread
};

// Zeroes the block and fills it for StartTraceW (and the left-over stop) of a
// kernel session: the private one, or "NT Kernel Logger" when isPrivate is false.
void FillStartProperties(TracePropertiesBlock& block, const wchar_t* name, bool isPrivate, ULONG enableFlags);

// Zeroes the block and fills the small real-time block: no GUID, no enable
// flags, 64 KB buffers (8 to 64). The stop of every session uses it, and so
// does the start of a user-mode session.
void FillPlainProperties(TracePropertiesBlock& block, const wchar_t* name);

// One start of name; a left-over private session is stopped by name and
// started once more. Returns the Win32 error, 0 on success.
ULONG StartSession(TraceSession& session, const wchar_t* name, bool isPrivate, ULONG enableFlags);

// The private kernel session, else "NT Kernel Logger"; then the consumer and
// its thread. On failure nothing of this run is left running.
ULONG StartKernelTrace(TraceSession& session, ULONG enableFlags, PEVENT_RECORD_CALLBACK callback,
                       void* context);

// Opens the real-time consumer of session.sessionName; events reach callback
// with EVENT_RECORD::UserContext == context. Returns the Win32 error (31 when
// the system gave none); the consumer handle stays all ones on failure.
ULONG OpenConsumer(TraceSession& session, PEVENT_RECORD_CALLBACK callback, void* context);

// Runs ProcessTrace on the consumer handle in a thread of its own. Returns the
// Win32 error of the thread creation, 0 on success.
ULONG StartConsumerThread(TraceSession& session);

// Stops the session, closes the consumer, waits up to 3 s for the consumer
// thread. Safe after a partial start. A thread that has not ended by then is
// abandoned, and the session remembers it.
void StopTraceSession(TraceSession& session);

// True while a callback of this session's consumer may still run: a consumer
// is open or its thread held, or the stop abandoned its thread. What the
// callback uses must stay while this holds (ConsumerState sees to it).
bool ConsumerMayCallBack(const TraceSession& session);

// What code 5 (ERROR_ACCESS_DENIED) says in a trace error line. The kernel
// modes and the frame-time mode's session start read it as missing rights;
// once the frame-time session runs, a refused consumer or provider is a
// failure of tracing like any other.
enum class AccessDenied { kMeansNoRights, kIsATraceFailure };

// {"event":"error","what":"access"|"trace","code":N}: "access" only for code 5
// read as missing rights. Formatted into text (200 bytes is plenty), or written.
void FormatTraceError(char* text, size_t capacity, ULONG code, AccessDenied accessDenied);
void ReportTraceError(ULONG code, AccessDenied accessDenied);

#pragma once

// clang-format off
#include <windows.h>
#include <evntrace.h>
#include <evntcons.h>
// clang-format on

// Every call the tracing modes make into Event Tracing for Windows goes through
// one of these tables, so a test can put a replay in place of the system.
//
// How to use it:
//   - Production code takes RealTraceApi() (advapi32's own functions).
//   - A test builds its own TraceApi (see tests/probe/tracing/trace_replay.h),
//     stores its address in TraceSession::api or in MonitorPlatform::trace and
//     runs the real code against it.
//   - setInformation may be null: TraceSetInformation is looked up at run time
//     and the session goes on with its enable flags alone when it is missing.
using StartTraceFn = ULONG(WINAPI*)(PTRACEHANDLE handle, LPCWSTR name, PEVENT_TRACE_PROPERTIES properties);
using ControlTraceFn = ULONG(WINAPI*)(TRACEHANDLE handle, LPCWSTR name, PEVENT_TRACE_PROPERTIES properties,
                                      ULONG controlCode);
using EnableTraceFn = ULONG(WINAPI*)(TRACEHANDLE handle, LPCGUID provider, ULONG controlCode, UCHAR level,
                                     ULONGLONG anyKeyword, ULONGLONG allKeyword, ULONG timeout,
                                     PENABLE_TRACE_PARAMETERS parameters);
using OpenTraceFn = TRACEHANDLE(WINAPI*)(PEVENT_TRACE_LOGFILEW logFile);
using ProcessTraceFn = ULONG(WINAPI*)(PTRACEHANDLE handles, ULONG count, LPFILETIME start, LPFILETIME end);
using CloseTraceFn = ULONG(WINAPI*)(TRACEHANDLE handle);
using SetInformationFn = ULONG(WINAPI*)(TRACEHANDLE handle, TRACE_INFO_CLASS infoClass, PVOID information,
                                        ULONG length);

struct TraceApi {
  StartTraceFn start;
  ControlTraceFn control;
  EnableTraceFn enable;
  OpenTraceFn open;
  ProcessTraceFn process;
  CloseTraceFn close;
  SetInformationFn setInformation;  // null when the system lacks it
};

// advapi32's functions; TraceSetInformation comes from the already loaded
// advapi32 by name, looked up once on first use.
const TraceApi& RealTraceApi();

#pragma once

#include "probe/tracing/trace_api.h"

#include <cstddef>
#include <cstdint>

// Enabling the DXGI and Direct3D 9 providers with an event-id filter, so only
// the present events reach the session.

// EVENT_FILTER_EVENT_ID with room for two ids (the SDK declares one).
struct EventIdFilter {
  BOOLEAN filterIn;
  UCHAR reserved;
  USHORT count;
  USHORT events[2];
};
static_assert(sizeof(EventIdFilter) == 8, "the filter is handed to ETW as 8 bytes");
static_assert(offsetof(EventIdFilter, events) == 4, "ids follow the 4-byte head");

constexpr ULONG kEventFilterTypeEventId = 0x80000200;  // EVENT_FILTER_TYPE_EVENT_ID
constexpr UCHAR kTraceLevelVerbose = 5;
constexpr ULONGLONG kAnyKeyword = 0xFFFFFFFFFFFFFFFFull;

// The parameters of one filtered EnableTraceEx2 call. It points into itself:
// fill it where it will stay until the call returns.
struct ProviderEnable {
  EventIdFilter ids;
  EVENT_FILTER_DESCRIPTOR descriptor;
  ENABLE_TRACE_PARAMETERS parameters;
};

void FillProviderEnable(ProviderEnable& enable, USHORT firstId, USHORT secondId, USHORT idCount);

// The filtered call, and when that fails the same call once more without
// parameters; the result of the last call made.
ULONG EnableProvider(EnableTraceFn enableTrace, TRACEHANDLE session, const GUID& provider, USHORT firstId,
                     USHORT secondId, USHORT idCount);

struct ProvidersResult {
  ULONG dxgi;
  ULONG d3d9;
  bool anyEnabled() const { return dxgi == ERROR_SUCCESS || d3d9 == ERROR_SUCCESS; }
};

// DXGI (42, 55), then Direct3D 9 (1). One of them is enough to run.
ProvidersResult EnablePresentProviders(EnableTraceFn enableTrace, TRACEHANDLE session);

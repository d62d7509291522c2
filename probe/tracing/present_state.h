#pragma once

#include <windows.h>
#include <evntcons.h>

#include <cstdint>

#include "probe/tracing/frame_sampler.h"
#include "probe/tracing/present_table.h"

// The present callback's shared state: the present table and the lock the
// sampler takes for its visit. It is left to process exit, so a consumer that
// outlives the stop still finds it.
struct PresentState {
  CRITICAL_SECTION lock;
  PresentTable table;
};
PresentState* NewPresentState();  // null when out of memory

// On the consumer thread, with EVENT_RECORD::UserContext == the PresentState.
void WINAPI PresentCallback(PEVENT_RECORD record);

// The sampler's visit of the table under its lock; the callback waits
// meanwhile. visit comes in with its counters zero and its list empty.
void VisitUnderLock(PresentState& state, NameCache& names, const NameLookup& lookup, uint32_t targetId,
                    uint32_t foregroundId, uint32_t now, TableVisit& visit);

#pragma once

#include <windows.h>
#include <evntcons.h>

#include <cstdint>

#include "probe/tracing/critical_section.h"
#include "probe/tracing/frame_sampler.h"
#include "probe/tracing/present_table.h"

// The present callback's shared state: the present table and the lock the
// sampler takes for its visit.
struct PresentState {
  CriticalSection lock;
  PresentTable table;
};

// On the consumer thread, with EVENT_RECORD::UserContext == the PresentState.
void WINAPI PresentCallback(PEVENT_RECORD record);

// The sampler's visit of the table under its lock; the callback waits
// meanwhile.
void VisitUnderLock(PresentState& state, NameCache& names, const NameLookup& lookup, uint32_t targetId,
                    uint32_t foregroundId, uint32_t now, TableVisit& visit);

#include "probe/tracing/present_state.h"

#include "probe/tracing/trace_clock.h"

void WINAPI PresentCallback(PEVENT_RECORD record) {
  const EVENT_HEADER& header = record->EventHeader;
  if (!IsPresentEvent(header.ProviderId, header.EventDescriptor.Id)) return;
  PresentState* state = static_cast<PresentState*>(record->UserContext);
  EnterCriticalSection(&state->lock.section);
  try {
    RecordPresent(state->table, header.ProcessId, header.TimeStamp.QuadPart, msPerTick);
  } catch (...) {
    // Out of memory: this present is lost, the run goes on.
  }
  LeaveCriticalSection(&state->lock.section);
}

void VisitUnderLock(PresentState& state, NameCache& names, const NameLookup& lookup, uint32_t targetId,
                    uint32_t foregroundId, uint32_t now, TableVisit& visit) {
  EnterCriticalSection(&state.lock.section);
  try {
    VisitPresentTable(state.table, names, lookup, targetId, foregroundId, now, visit);
  } catch (...) {
    // Out of memory for a cached name: this second has no candidate.
  }
  LeaveCriticalSection(&state.lock.section);
}

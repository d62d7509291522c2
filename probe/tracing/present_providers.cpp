#include "probe/tracing/present_providers.h"

#include <cstring>

#include "probe/tracing/present_table.h"

void FillProviderEnable(ProviderEnable& enable, USHORT firstId, USHORT secondId, USHORT idCount) {
  memset(&enable, 0, sizeof(enable));
  enable.ids.filterIn = TRUE;
  enable.ids.count = idCount;
  enable.ids.events[0] = firstId;
  enable.ids.events[1] = secondId;
  enable.descriptor.Ptr = reinterpret_cast<ULONGLONG>(&enable.ids);
  enable.descriptor.Size = sizeof(enable.ids);
  enable.descriptor.Type = kEventFilterTypeEventId;
  enable.parameters.Version = ENABLE_TRACE_PARAMETERS_VERSION_2;
  enable.parameters.EnableFilterDesc = &enable.descriptor;
  enable.parameters.FilterDescCount = 1;
}

ULONG EnableProvider(EnableTraceFn enableTrace, TRACEHANDLE session, const GUID& provider, USHORT firstId,
                     USHORT secondId, USHORT idCount) {
  ProviderEnable enable;
  FillProviderEnable(enable, firstId, secondId, idCount);
  const ULONG filtered = enableTrace(session, &provider, EVENT_CONTROL_CODE_ENABLE_PROVIDER, kTraceLevelVerbose,
                                     kAnyKeyword, 0, 0, &enable.parameters);
  if (filtered == ERROR_SUCCESS) return filtered;
  // Systems without event-id filtering refuse the parameters; the callback
  // drops the other events itself.
  return enableTrace(session, &provider, EVENT_CONTROL_CODE_ENABLE_PROVIDER, kTraceLevelVerbose, kAnyKeyword, 0, 0,
                     nullptr);
}

ProvidersResult EnablePresentProviders(EnableTraceFn enableTrace, TRACEHANDLE session) {
  ProvidersResult result;
  result.dxgi = EnableProvider(enableTrace, session, kDxgiProvider, kDxgiPresentId, kDxgiPresentMultiplaneId, 2);
  result.d3d9 = EnableProvider(enableTrace, session, kD3d9Provider, kD3d9PresentId, 0, 1);
  return result;
}

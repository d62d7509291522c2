#include "probe/tracing/trace_api.h"

namespace {

SetInformationFn LookUpSetInformation() {
  // Older systems lack it; the enable flags of the properties block then stand alone.
  HMODULE advapi = GetModuleHandleW(L"advapi32.dll");
  if (advapi == nullptr) return nullptr;
  return reinterpret_cast<SetInformationFn>(
      reinterpret_cast<void (*)()>(GetProcAddress(advapi, "TraceSetInformation")));
}

}  // namespace

const TraceApi& RealTraceApi() {
  static const TraceApi api = {
      StartTraceW, ControlTraceW, EnableTraceEx2, OpenTraceW, ProcessTrace, CloseTrace, LookUpSetInformation(),
  };
  return api;
}

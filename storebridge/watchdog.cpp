#include "storebridge/watchdog.h"

namespace {

DWORD WINAPI WatchdogMain(void* parameter) {
  const WatchdogSettings& settings = *static_cast<const WatchdogSettings*>(parameter);
  const ULONGLONG end = settings.deadline + settings.graceMs;
  // Short naps, so a suspended machine that jumps the tick count ends us soon after.
  for (DWORD nap; (nap = WatchdogNapAt(GetTickCount64(), end)) > 0;) Sleep(nap);
  StoreResult(*settings.slot, kResultTimeout, kExitTimeout);
  PrintResultAndEndProcess(*settings.slot);
}

}  // namespace

DWORD WatchdogNapAt(ULONGLONG now, ULONGLONG end) {
  if (now >= end) return 0;
  const ULONGLONG left = end - now;
  return left < kWatchdogNapMs ? static_cast<DWORD>(left) : kWatchdogNapMs;
}

bool StartWatchdog(const WatchdogSettings* settings) {
  HANDLE thread = CreateThread(nullptr, 0, WatchdogMain, const_cast<WatchdogSettings*>(settings), 0, nullptr);
  if (thread == nullptr) return false;
  CloseHandle(thread);
  return true;
}

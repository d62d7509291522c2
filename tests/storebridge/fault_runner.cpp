// Plays the ways a store bridge run can end outside its normal path, with the
// real watchdog, crash handler and result slot but short times, so tests can
// watch the process end as the host would.
#include <windows.h>

#include <shellapi.h>

#include <cwchar>

#include "storebridge/crash_handler.h"
#include "storebridge/result_slot.h"
#include "storebridge/watchdog.h"

namespace {

constexpr ULONGLONG kTestWaitMs = 300;
constexpr ULONGLONG kTestGraceMs = 400;

WatchdogSettings watchdog;

void StartShortWatchdog(ResultSlot& slot) {
  watchdog.slot = &slot;
  watchdog.deadline = GetTickCount64() + kTestWaitMs;
  watchdog.graceMs = kTestGraceMs;
  StartWatchdog(&watchdog);
}

// A write into reserved, uncommitted memory: a real access violation that no
// optimiser can prove away, unlike a write through a null pointer.
void AccessViolation() {
  void* reserved = VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS);
  *static_cast<volatile int*>(reserved) = 1;
}

DWORD WINAPI CrashingThread(void*) {
  AccessViolation();
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  ResultSlot& slot = ProcessResultSlot();
  InitResultSlot(slot);
  InstallCrashHandler(slot);
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const wchar_t* scene = argv && argc > 1 ? argv[1] : L"";

  if (wcscmp(scene, L"hang") == 0) {
    StartShortWatchdog(slot);
    Sleep(INFINITE);
  } else if (wcscmp(scene, L"hang-after-answer") == 0) {
    StartShortWatchdog(slot);
    StoreResult(slot, kResultNoUpdate, kExitNoUpdate);
    Sleep(INFINITE);
  } else if (wcscmp(scene, L"late-answer") == 0) {
    // The main thread comes back with an answer just after the watchdog gave up.
    StartShortWatchdog(slot);
    while (!ResultIsSet(slot)) Sleep(1);
    StoreResult(slot, kResultUpdate, kExitUpdate);
    return PrintResultForExit(slot, GetStdHandle(STD_OUTPUT_HANDLE));
  } else if (wcscmp(scene, L"crash") == 0) {
    AccessViolation();
  } else if (wcscmp(scene, L"crash-after-answer") == 0) {
    StoreResult(slot, kResultUpdate, kExitUpdate);
    RaiseException(0xE0001234, 0, 0, nullptr);
  } else if (wcscmp(scene, L"crash-after-print") == 0) {
    StoreResult(slot, kResultNoUpdate, kExitNoUpdate);
    PrintResult(slot, GetStdHandle(STD_OUTPUT_HANDLE));
    RaiseException(0xE0005678, 0, 0, nullptr);
  } else if (wcscmp(scene, L"crash-on-other-thread") == 0) {
    StartShortWatchdog(slot);
    CloseHandle(CreateThread(nullptr, 0, CrashingThread, nullptr, 0, nullptr));
    Sleep(INFINITE);
  }
  return 99;  // an unknown scene
}

#include "probe/core/stop_control.h"

#include <windows.h>

bool RaiseStopIfRunning(int32_t value) {
  int32_t expected = kRunning;
  return stopFlag.compare_exchange_strong(expected, value);
}

bool ChunkRequestsStop(const char* bytes, unsigned long count) {
  for (unsigned long i = 0; i < count; ++i) {
    if (bytes[i] == 'q') return true;
  }
  return false;
}

namespace {

DWORD WINAPI WatchStdin(void*) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return 0;
  if (GetFileType(input) != FILE_TYPE_PIPE) return 0;
  for (;;) {
    char chunk[64];
    DWORD read = 0;
    // A failed read is the same as the host closing its end.
    if (!ReadFile(input, chunk, sizeof(chunk), &read, nullptr) || read == 0) break;
    if (ChunkRequestsStop(chunk, read)) break;
  }
  RaiseStop(kStopRequested);
  return 0;
}

}  // namespace

void StartStdinWatcher() {
  HANDLE thread = CreateThread(nullptr, 0, WatchStdin, nullptr, 0, nullptr);
  (void)thread;  // ends with the process; never waited for
}

#include <windows.h>

#include "probe/core/worker_entry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return WorkerEntry(); }

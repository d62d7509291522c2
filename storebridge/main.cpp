#include <windows.h>

#include "storebridge/update_check.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return StoreBridgeEntry(); }

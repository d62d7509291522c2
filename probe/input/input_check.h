#pragma once

#include "probe/core/options.h"

// Mode 10: raw mouse and keyboard timing, one sample a second, until the run
// time is up (0) or the host stops us (1); 4 after the "input" error line.
int RunInputCheck(const Options& options);

#pragma once

#include "probe/core/options.h"

// The "cpu" load: every logical processor does multiply-add work until the
// time is up (exit 0) or the host stops us (exit 1). Never fails to start.
int RunCpuStress(const Options& options);

#pragma once

#include "probe/core/options.h"

// Runs the one mode that options select and returns the process exit code.
int RunMode(const Options& options);

// Takes the output handle, parses the command line and runs the mode.
int WorkerEntry();

#pragma once

#include "probe/core/options.h"
#include "probe/gpu/gpu_context.h"

// Writes the start line, starts the stdin watcher and renders frames until the
// time is up, the host stops us, the card gets too hot or the device is lost.
// Returns 0 "time", 1 "stopped", 2 "temperature" or 3 "driver_reset".
int RunStressLoop(GpuStressContext& g, const Options& options);

// One draw of all particles as additive sprites into the off-screen target;
// nothing without a target view. The Frame buffer must be bound already.
void DrawParticles(GpuStressContext& g);

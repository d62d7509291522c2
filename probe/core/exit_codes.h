#pragma once

// The exit code of the worker process is the value its mode returns.
constexpr int kExitDone = 0;           // the mode ran to its own end: "time", "done" or "gone"
constexpr int kExitStopped = 1;        // the host asked us to stop
constexpr int kExitTemperature = 2;    // a GPU temperature reading reached the limit
constexpr int kExitDriverReset = 3;    // the graphics device was removed or reset
constexpr int kExitFailed = 4;         // the mode could not start; its error line was written

#pragma once

#include <atomic>
#include <cstdint>

// Stop flag values: it only ever goes from running to one of the others.
constexpr int32_t kRunning = 0;
constexpr int32_t kStopRequested = 1;
constexpr int32_t kTimeUp = 2;

// Read with plain loads by every thread; written only by exchange.
inline std::atomic<int32_t> stopFlag{kRunning};

inline bool StopRaised() { return stopFlag.load(std::memory_order_relaxed) != kRunning; }
inline void RaiseStop(int32_t value) { stopFlag.exchange(value); }

// Sets value only while the flag is still 0; true when this call set it.
bool RaiseStopIfRunning(int32_t value);

// True when a chunk read from standard input asks us to stop (any byte "q").
bool ChunkRequestsStop(const char* bytes, unsigned long count);

// The host stops us by writing q or closing the pipe. Input that is not a pipe
// (a console, a file, none) never stops the run. The thread is not kept.
void StartStdinWatcher();

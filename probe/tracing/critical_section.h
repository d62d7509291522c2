#pragma once

#include <windows.h>

// The lock of a tracing mode's shared state, alive exactly as long as that
// state: whoever frees the state frees its lock with it.
struct CriticalSection {
  CRITICAL_SECTION section;

  CriticalSection() { InitializeCriticalSection(&section); }
  ~CriticalSection() { DeleteCriticalSection(&section); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
};

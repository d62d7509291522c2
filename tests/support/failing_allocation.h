#pragma once

// The nothrow allocation of a test program that links failing_allocation.cpp
// can be made to fail on purpose: out of memory must come back as an error
// line or a result, never as a crash. Only that program's allocations change.

// The next `successes` nothrow allocations succeed, the one after fails, and
// the rest succeed again; -1 never fails.
void FailNothrowAllocationAfter(int successes);

// Fails the allocation after `successes` for its own lifetime.
struct FailAfter {
  explicit FailAfter(int successes) { FailNothrowAllocationAfter(successes); }
  ~FailAfter() { FailNothrowAllocationAfter(-1); }
  FailAfter(const FailAfter&) = delete;
  FailAfter& operator=(const FailAfter&) = delete;
};

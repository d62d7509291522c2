#include "tests/support/failing_allocation.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<int> allocationsBeforeFailure{-1};  // -1: never fail

}  // namespace

void FailNothrowAllocationAfter(int successes) { allocationsBeforeFailure = successes; }

// Replaces the library's nothrow allocation in the program that links this file.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  int left = allocationsBeforeFailure.load();
  while (left >= 0 && !allocationsBeforeFailure.compare_exchange_weak(left, left - 1)) {
  }
  if (left == 0) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

#pragma once

// What the hostile-input tables of the monitors (kernel records, presents, raw
// input) add to the shared generator: bytes that end where readable memory
// ends. Every table names its row with SCOPED_TRACE and, for a crash, CaseNote,
// so a failure can be replayed: VANTOREL_HOSTILE_SEED=0x... ctest -R <table>.

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "tests/support/hostile_input.h"
#include "tests/support/test_guard.h"

// Bytes placed so their last one is the last readable byte before a page the
// process may not touch: a read even one byte past them faults at once, in
// every build, and the test main reports the crash.
class GuardedBytes {
 public:
  explicit GuardedBytes(size_t capacity) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    readable_ = (capacity + page_ - 1) / page_ * page_;
    if (readable_ == 0) readable_ = page_;
    base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, readable_ + page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD old = 0;
    if (base_ != nullptr) VirtualProtect(base_ + readable_, page_, PAGE_NOACCESS, &old);
  }
  ~GuardedBytes() {
    if (base_ != nullptr) VirtualFree(base_, 0, MEM_RELEASE);
  }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  bool ok() const { return base_ != nullptr; }
  size_t capacity() const { return readable_; }

  // Copies size bytes (at most the capacity) so they end at the guard page;
  // for size 0 the pointer is the guard page itself.
  uint8_t* Place(const void* bytes, size_t size) {
    uint8_t* at = base_ + readable_ - size;
    if (size != 0) memcpy(at, bytes, size);
    return at;
  }

 private:
  size_t page_ = 4096;
  size_t readable_ = 0;
  uint8_t* base_ = nullptr;
};

// One process's or device's clock as a generator drives it. Every step is
// chosen (so many ticks on, so many back, or past the top of the counter's
// range and round to its bottom), so the interval a consumer must record is
// known from the step itself, never from subtracting two stamps.
class HostileTimeline {
 public:
  struct Step {
    int64_t stamp = 0;
    uint64_t gap = 0;  // ticks on from the previous stamp; 0 when the clock stood, went back or just started
  };

  bool started() const { return started_; }

  // The first stamp, anywhere on the range.
  Step Start(int64_t stamp) {
    started_ = true;
    memcpy(&bits_, &stamp, sizeof(bits_));
    return {stamp, 0};
  }
  // gap ticks on (gap >= 1). Past the top of the range the counter wraps round
  // to below where it was: a step back.
  Step Forward(uint64_t gap) {
    const uint64_t room = static_cast<uint64_t>(INT64_MAX) - bits_;  // ticks left above, as the generator keeps them
    bits_ += gap;
    return {Stamp(), gap <= room ? gap : 0};
  }
  // amount ticks back (0: the same stamp again), or to the bottom of the range.
  Step Back(uint64_t amount) {
    const uint64_t room = bits_ - static_cast<uint64_t>(INT64_MIN);
    bits_ -= amount <= room ? amount : room;
    return {Stamp(), 0};
  }

 private:
  int64_t Stamp() const {
    int64_t stamp;
    memcpy(&stamp, &bits_, sizeof(stamp));
    return stamp;
  }
  uint64_t bits_ = 0;
  bool started_ = false;
};

// Built for Windows and run under Wine by bench/memory-test, from the worker's
// own library: prints which form of the pattern code and of the copy the
// worker picks on this machine, and with BYTES and ROUNDS times the worker's
// own write and verify phases (its threads, its chunks) over a block of that
// size, printing "phase_<write|verify>_<kind> round wall cpu" in bytes per second.
//
//   memory_worker_phases.exe [BYTES ROUNDS]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "probe/stress/benchmark_unit.h"
#include "probe/stress/memory_test.h"
#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_kernel.h"

namespace {

HANDLE CreateSuspendedWorker(LPTHREAD_START_ROUTINE routine, void* job) {
  return CreateThread(nullptr, 0, routine, job, CREATE_SUSPENDED, nullptr);
}

void NoSample(void*) {}

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Processor time of the whole process; the main thread only waits meanwhile.
double ProcessSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto value = [](const FILETIME& t) {
    return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
  };
  return value(kernel) + value(user);
}

}  // namespace

int main(int argc, char** argv) {
  printf("pattern %s\n", PatternKernelName(MachinePatternKernel()));
  printf("copy %s\n", CopyFormName(MachineCopyForm()));
  if (argc < 3) return 0;
  const uint64_t bytes = strtoull(argv[1], nullptr, 10) / kBlockGranule * kBlockGranule;
  const int rounds = atoi(argv[2]);
  auto* block = static_cast<uint64_t*>(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (block == nullptr) {
    fprintf(stderr, "no block of %llu bytes\n", static_cast<unsigned long long>(bytes));
    return 1;
  }
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const uint32_t threads = MemoryThreadCount(info.dwNumberOfProcessors);
  for (int round = -1; round < rounds; ++round) {  // round -1 touches the block's pages first
    for (int32_t pass = 0; pass < 4; ++pass) {
      for (bool verify : {false, true}) {
        const PhaseSetup setup{block, bytes / 8, threads, pass, verify};
        const double t0 = Seconds(), c0 = ProcessSeconds();
        RunMemoryPhase(setup, CreateSuspendedWorker, NoSample, nullptr);
        const double wall = Seconds() - t0, cpu = ProcessSeconds() - c0;
        if (round >= 0) {
          printf("phase_%s_%d %d %.0f %.0f\n", verify ? "verify" : "write", pass, round,
                 static_cast<double>(bytes) / wall, static_cast<double>(bytes) * threads / cpu);
        }
      }
    }
  }
  printf("errors %lld\n", static_cast<long long>(MemoryErrorCount()));
  return 0;
}

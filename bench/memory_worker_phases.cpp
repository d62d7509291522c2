// Built for Windows and run under Wine by bench/memory-test, from the worker's
// own library.
//
//   memory_worker_phases.exe copy
//     runs the benchmark's copy trial on two 256 MiB regions as its memory step
//     does, printing "trial <form> <best seconds>" per form and "chosen <form>",
//     then the step's three 1 s repetitions in that form: "step" by the wall
//     clock and "step_cpu" by the thread's processor time, 10^9 bytes/s.
//   memory_worker_phases.exe phases BYTES ROUNDS [plain|streaming]
//     prints which pattern form and stores the worker picks (stores with the
//     last-level cache's size in bytes), then runs the worker's own
//     passes (its phases, threads and chunks) ROUNDS times over a block of that
//     size, printing per phase "phase_<write|verify>_<kind> round wall cpu" in
//     bytes per second, and per round of four passes what the wall time went to:
//     "steady round bytes_per_s work_s start_s uneven_s handover_s total_s".
//     The last argument overrides the stores the worker would choose.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "probe/stress/benchmark_unit.h"
#include "probe/stress/memory_test.h"
#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_kernel.h"

namespace {

double Seconds() {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double FileTimeSeconds(const FILETIME& t) {
  return static_cast<double>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) * 1e-7;
}

double ThreadSeconds() {
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  return FileTimeSeconds(kernel) + FileTimeSeconds(user);
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

// Each worker of a phase runs inside this wrapper, which notes when it began
// and when it returned, so a phase's wall time can be split into the workers'
// own work and what lies around it.
struct TimedWorker {
  LPTHREAD_START_ROUTINE routine;
  void* job;
  double began;
  double ended;
};
TimedWorker timed[kMaxMemoryThreads];
uint32_t timedCount = 0;

DWORD WINAPI RunTimed(void* parameter) {
  TimedWorker& worker = *static_cast<TimedWorker*>(parameter);
  worker.began = Seconds();
  const DWORD result = worker.routine(worker.job);
  worker.ended = Seconds();
  return result;
}

HANDLE CreateTimedWorker(LPTHREAD_START_ROUTINE routine, void* job) {
  TimedWorker& worker = timed[timedCount++];
  worker = {routine, job, 0, 0};
  return CreateThread(nullptr, 0, RunTimed, &worker, CREATE_SUSPENDED, nullptr);
}

// What the mode's own sample costs, without a reader: a line formatted per wait.
void FormatSample(void* context) {
  char line[320];
  snprintf(line, sizeof(line), "{\"t\":%.2f,\"pass\":%d,\"phase\":\"%s\",\"done\":%.4f,\"errors\":%lld,\"passes\":%d}",
           Seconds(), 1, "write", static_cast<double>(MemoryPhaseProgress()) / 1e9,
           static_cast<long long>(MemoryErrorCount()), 0);
  *static_cast<size_t*>(context) += strlen(line);
}

int RunCopyTrial() {
  void* source = VirtualAlloc(nullptr, kCopyRegionBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  void* destination = VirtualAlloc(nullptr, kCopyRegionBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (source == nullptr || destination == nullptr) {
    fprintf(stderr, "no two regions of %llu bytes\n", static_cast<unsigned long long>(kCopyRegionBytes));
    return 1;
  }
  memset(source, 0x5A, kCopyRegionBytes);
  memset(destination, 0, kCopyRegionBytes);
  const CopyTrial trial = TimeCopyForms(destination, source, kCopyRegionBytes, ReadProcessorFeatures(), Seconds);
  for (int i = 0; i < kCopyFormCount; ++i) {
    const double seconds = trial.bestSeconds[i];
    if (seconds > 0) printf("trial %s %.6f\n", CopyFormName(static_cast<CopyForm>(i)), seconds);
  }
  const CopyForm form = ChooseFastestCopyForm(trial);
  printf("chosen %s\n", CopyFormName(form));
  // The step's procedure in the chosen form, by the wall clock and by this
  // thread's processor time, which a busy machine does not stretch.
  double wall[kBenchRepetitions], cpu[kBenchRepetitions];
  for (int k = 0; k < kBenchRepetitions; ++k) {
    const double t0 = Seconds(), c0 = ThreadSeconds();
    int64_t copies = 0;
    while (Seconds() - t0 < 1.0) {
      CopyRegion(form, destination, source, kCopyRegionBytes);
      ++copies;
    }
    wall[k] = CopyGigabytesPerSecond(copies, kCopyRegionBytes, Seconds() - t0);
    cpu[k] = CopyGigabytesPerSecond(copies, kCopyRegionBytes, ThreadSeconds() - c0);
  }
  printf("step %.3f %.3f %.3f\nstep_cpu %.3f %.3f %.3f\n", wall[0], wall[1], wall[2], cpu[0], cpu[1], cpu[2]);
  return 0;
}

int Phases(uint64_t bytes, int rounds, const char* forced) {
  printf("pattern %s\n", PatternKernelName(MachinePatternKernel()));
  auto* block = static_cast<uint64_t*>(VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
  if (block == nullptr) {
    fprintf(stderr, "no block of %llu bytes\n", static_cast<unsigned long long>(bytes));
    return 1;
  }
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const uint32_t threads = MemoryThreadCount(info.dwNumberOfProcessors);
  // The memory test's own choice of stores, and what it rests on.
  const uint64_t cache = LastLevelCacheBytes();
  PatternStores stores = StoresForBlock(bytes, cache);
  printf("stores %s %llu\n", PatternStoresName(stores), static_cast<unsigned long long>(cache));
  if (forced != nullptr) stores = strcmp(forced, "streaming") == 0 ? PatternStores::kStreaming : PatternStores::kPlain;
  size_t sampled = 0;
  for (int round = -1; round < rounds; ++round) {  // round -1 touches the block's pages first
    // Per round: the workers' own time (first start to last end is split into
    // the slowest worker's work and the gap between the first and last to end),
    // the time from the phase call to the first worker starting, and from the
    // last worker's end to the phase call's return.
    double work = 0, start = 0, uneven = 0, handover = 0;
    const double roundStart = Seconds();
    for (int32_t pass = 0; pass < 4; ++pass) {
      for (bool verify : {false, true}) {
        const PhaseSetup setup{block, bytes / 8, threads, pass, verify, stores};
        timedCount = 0;
        const double t0 = Seconds(), c0 = ProcessSeconds();
        RunMemoryPhase(setup, CreateTimedWorker, FormatSample, &sampled);
        const double t1 = Seconds(), cpu = ProcessSeconds() - c0;
        double firstBegan = t1, firstEnded = t1, lastEnded = t0;
        for (uint32_t i = 0; i < timedCount; ++i) {
          if (timed[i].began < firstBegan) firstBegan = timed[i].began;
          if (timed[i].ended < firstEnded) firstEnded = timed[i].ended;
          if (timed[i].ended > lastEnded) lastEnded = timed[i].ended;
        }
        start += firstBegan - t0;
        work += firstEnded - firstBegan;
        uneven += lastEnded - firstEnded;
        handover += t1 - lastEnded;
        if (round >= 0) {
          printf("phase_%s_%d %d %.0f %.0f\n", verify ? "verify" : "write", pass, round,
                 static_cast<double>(bytes) / (t1 - t0), cpu > 0 ? static_cast<double>(bytes) * threads / cpu : 0.0);
        }
      }
    }
    const double total = Seconds() - roundStart;
    if (round >= 0) {
      printf("steady %d %.0f %.4f %.4f %.4f %.4f %.4f\n", round, 4.0 * static_cast<double>(bytes) / total, work,
             start, uneven, handover, total);
    }
  }
  printf("errors %lld\n", static_cast<long long>(MemoryErrorCount()));
  return sampled > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && strcmp(argv[1], "copy") == 0) return RunCopyTrial();
  if (argc >= 4 && strcmp(argv[1], "phases") == 0) {
    return Phases(strtoull(argv[2], nullptr, 10) / kBlockGranule * kBlockGranule, atoi(argv[3]),
                  argc >= 5 ? argv[4] : nullptr);
  }
  fprintf(stderr, "usage: memory_worker_phases.exe copy | phases BYTES ROUNDS [plain|streaming]\n");
  return 2;
}

#include "probe/stress/memory_test.h"

#include <atomic>
#include <cstdio>
#include <new>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/run_clock.h"
#include "probe/core/stop_control.h"
#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_kernel.h"

namespace {

struct MemoryJob {
  uint64_t* words;
  uint64_t count;
  uint64_t firstIndex;
  int32_t pass;
  uint64_t seed;
  bool verify;
  PatternStores stores;
};

std::atomic<int64_t> progressBytes{0};
std::atomic<int64_t> errorWords{0};

// Rewritten for every phase; a worker reads only its own entry.
MemoryJob jobs[kMaxMemoryThreads];
HANDLE threads[kMaxMemoryThreads];

DWORD WINAPI MemoryWorker(void* parameter) {
  const MemoryJob& job = *static_cast<const MemoryJob*>(parameter);
  const PatternKernel kernel = MachinePatternKernel();
  for (uint64_t done = 0; done < job.count; done += kChunkWords) {
    // A time-out or the host's stop ends the phase within one chunk.
    if (StopRaised()) return 0;
    const uint64_t chunk = job.count - done < kChunkWords ? job.count - done : kChunkWords;
    if (job.verify) {
      const uint64_t wrong =
          CountPatternErrors(kernel, job.words + done, chunk, job.firstIndex + done, job.pass, job.seed);
      if (wrong != 0) errorWords.fetch_add(static_cast<int64_t>(wrong));
    } else {
      WritePattern(kernel, job.stores, job.words + done, chunk, job.firstIndex + done, job.pass, job.seed);
    }
    progressBytes.fetch_add(static_cast<int64_t>(chunk * 8));
  }
  return 0;
}

HANDLE CreateSuspendedWorker(LPTHREAD_START_ROUTINE routine, void* job) {
  return CreateThread(nullptr, 0, routine, job, CREATE_SUSPENDED, nullptr);
}

struct RunState {
  const MemoryTestEnvironment* env;
  RunClock clock;
  double limitSeconds;
  uint64_t bytes;
  int32_t completedPasses;
  const char* phase;
};

void WriteSampleAndCheckTime(void* context) {
  RunState& run = *static_cast<RunState*>(context);
  const double t = run.env->secondsSince(run.clock);
  char line[320];
  snprintf(line, sizeof(line),
           "{\"t\":%.2f,\"pass\":%d,\"phase\":\"%s\",\"done\":%.4f,\"errors\":%lld,\"passes\":%d}", t,
           run.completedPasses + 1, run.phase,
           static_cast<double>(progressBytes.load(std::memory_order_relaxed)) / static_cast<double>(run.bytes),
           static_cast<long long>(errorWords.load(std::memory_order_relaxed)), run.completedPasses);
  WriteEventLine(line);
  if (t >= run.limitSeconds) RaiseStopIfRunning(kTimeUp);
}

}  // namespace

int64_t MemoryErrorCount() { return errorWords.load(); }
int64_t MemoryPhaseProgress() { return progressBytes.load(); }

uint64_t LastLevelCacheBytes() {
  DWORD bytes = 0;
  GetLogicalProcessorInformation(nullptr, &bytes);
  const DWORD count = bytes / sizeof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION);
  auto* entries = new (std::nothrow) SYSTEM_LOGICAL_PROCESSOR_INFORMATION[count == 0 ? 1 : count];
  uint64_t largest = 0;
  if (entries != nullptr && count > 0 && GetLogicalProcessorInformation(entries, &bytes)) {
    BYTE level = 0;
    for (DWORD i = 0; i < count; ++i) {
      if (entries[i].Relationship != RelationCache) continue;
      const CACHE_DESCRIPTOR& cache = entries[i].Cache;
      if (cache.Level > level || (cache.Level == level && cache.Size > largest)) {
        level = cache.Level;
        largest = cache.Size;
      }
    }
  }
  delete[] entries;
  return largest;
}

bool RunMemoryPhase(const PhaseSetup& setup, CreateWorkerFn createWorker, void (*afterWait)(void*),
                    void* context) {
  progressBytes.exchange(0);
  // Workers start suspended: once we know which exist, the created ones take
  // over the slices of the missing ones before any of them runs.
  bool created[kMaxMemoryThreads] = {};
  for (uint32_t i = 0; i < setup.threads; ++i) {
    threads[i] = createWorker(MemoryWorker, &jobs[i]);
    created[i] = threads[i] != nullptr;
  }
  Slice covered[kMaxMemoryThreads];
  if (!CoverBlock(setup.words, setup.threads, created, covered)) {
    // Nothing runs this phase; keep the pace of the samples and the time check.
    Sleep(500);
    afterWait(context);
    return false;
  }

  // A wait-all over a null entry would return at once and end the phase with
  // workers still running, so only the created handles are waited for.
  HANDLE running[kMaxMemoryThreads];
  DWORD count = 0;
  for (uint32_t i = 0; i < setup.threads; ++i) {
    if (!created[i]) continue;
    jobs[i] = {setup.block + covered[i].firstWord, covered[i].words, covered[i].firstWord, setup.pass,
               PatternSeed(setup.pass), setup.verify, setup.stores};
    SetThreadPriority(threads[i], THREAD_PRIORITY_BELOW_NORMAL);
    ResumeThread(threads[i]);
    running[count++] = threads[i];
  }

  DWORD result;
  do {
    result = WaitForMultipleObjects(count, running, TRUE, 500);
    afterWait(context);
  } while (result == WAIT_TIMEOUT);
  if (result == WAIT_FAILED) {
    // Never leave a worker behind: the next phase reuses the jobs.
    for (DWORD i = 0; i < count; ++i) WaitForSingleObject(running[i], INFINITE);
  }

  for (uint32_t i = 0; i < setup.threads; ++i) {
    if (threads[i] != nullptr) CloseHandle(threads[i]);
    threads[i] = nullptr;
  }
  return true;
}

void* ObtainTestBlock(uint64_t availPhys, uint64_t* bytes) {
  uint64_t size = MemoryBlockSize(availPhys);
  // Asked once, for the first size (a smaller block fits in it too); the
  // test runs whatever the answer.
  SetProcessWorkingSetSizeEx(GetCurrentProcess(), size + 64 * kMiB, size + 512 * kMiB,
                             QUOTA_LIMITS_HARDWS_MIN_DISABLE);
  void* block = AllocateHalving(size, [](uint64_t want) {
    return VirtualAlloc(nullptr, static_cast<SIZE_T>(want), MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  });
  *bytes = size;
  return block;
}

int RunMemoryTest(const Options& options, const MemoryTestEnvironment& env) {
  const MEMORYSTATUSEX status = env.memoryStatus();
  uint64_t size = 0;
  void* block = env.obtainBlock(status.ullAvailPhys, &size);
  if (block == nullptr) {
    WriteLiteralLine("{\"event\":\"error\",\"what\":\"memory\"}");
    return kExitFailed;
  }

  const uint32_t threadCount = MemoryThreadCount(env.processors());

  char line[320];
  snprintf(line, sizeof(line),
           "{\"event\":\"start\",\"ram\":true,\"bytes\":%llu,\"total\":%llu,\"avail\":%llu,\"threads\":%lu,"
           "\"minutes\":%.2f}",
           static_cast<unsigned long long>(size), static_cast<unsigned long long>(status.ullTotalPhys),
           static_cast<unsigned long long>(status.ullAvailPhys), static_cast<unsigned long>(threadCount),
           options.minutes);
  WriteEventLine(line);
  env.startStdinWatcher();

  RunState run{};
  run.env = &env;
  run.clock = StartRunClock();
  run.limitSeconds = options.minutes * 60.0;
  run.bytes = size;

  PhaseSetup setup{static_cast<uint64_t*>(block), size / 8, threadCount, 0, false};
  setup.stores = StoresForBlock(size, LastLevelCacheBytes());
  while (!StopRaised()) {
    setup.pass = run.completedPasses;
    setup.verify = false;
    run.phase = "write";
    const bool written = RunMemoryPhase(setup, CreateSuspendedWorker, WriteSampleAndCheckTime, &run);
    if (StopRaised()) break;
    // Without a write there is nothing to verify; the pass is tried again.
    if (!written) continue;
    setup.verify = true;
    run.phase = "verify";
    if (!RunMemoryPhase(setup, CreateSuspendedWorker, WriteSampleAndCheckTime, &run)) continue;
    if (StopRaised()) break;
    ++run.completedPasses;
  }

  struct EndReason {
    const char* word;
    int exitCode;
  };
  const EndReason end = stopFlag.load() == kTimeUp ? EndReason{"time", kExitDone} : EndReason{"stopped", kExitStopped};
  env.releaseBlock(block);
  snprintf(line, sizeof(line),
           "{\"event\":\"end\",\"reason\":\"%s\",\"errors\":%lld,\"passes\":%d,\"bytes\":%llu,\"t\":%.2f}", end.word,
           static_cast<long long>(errorWords.load()), run.completedPasses,
           static_cast<unsigned long long>(size), env.secondsSince(run.clock));
  WriteEventLine(line);
  return end.exitCode;
}

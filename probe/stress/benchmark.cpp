#include "probe/stress/benchmark.h"

#include <atomic>
#include <cstdio>
#include <cstring>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/run_clock.h"
#include "probe/core/stop_control.h"
#include "probe/stress/benchmark_unit.h"
#include "probe/stress/cpu_stress_unit.h"

namespace {

std::atomic<int64_t> benchWork{0};
std::atomic<int32_t> runEnded{0};
RunClock benchClock;

// Only differences of it are used.
double Now() { return SecondsSince(benchClock); }

int EndStopped() {
  WriteEndLine("stopped");
  return kExitStopped;
}

DWORD WINAPI BenchWorker(void*) {
  if (runEnded.load(std::memory_order_relaxed) == 1) return 0;
  StressAccumulators acc = InitialAccumulators(0);  // 1.0, 1.1, ... 1.7 for every thread
  for (;;) {
    if (StopRaised()) return 0;
    RunStressIterations(acc, kBenchBatchIterations);
    benchWork.fetch_add(kBenchBatchUpdates);
    if (AccumulatorSum(acc) == 0.0) Sleep(0);
    if (runEnded.load(std::memory_order_relaxed) == 1) return 0;
  }
}

double ProcessorRun(uint32_t threadCount) {
  benchWork.exchange(0);
  runEnded.exchange(0);
  const double t0 = Now();
  HANDLE handles[kMaxStressWorkers];
  DWORD created = 0;
  for (uint32_t i = 0; i < threadCount; ++i) {
    HANDLE thread = CreateThread(nullptr, 0, BenchWorker, nullptr, 0, nullptr);
    if (thread != nullptr) handles[created++] = thread;  // a missing worker is skipped
  }
  Sleep(2000);
  runEnded.exchange(1);
  if (created > 0) WaitForAllThreads(handles, created, 5000);
  const double t1 = Now();
  for (DWORD i = 0; i < created; ++i) CloseHandle(handles[i]);
  return UpdatesPerSecondMillions(benchWork.load(std::memory_order_relaxed), t1 - t0);
}

void WriteResult(const char* result, const double (&values)[kBenchRepetitions], const char* step) {
  char line[400];
  snprintf(line, sizeof(line), "{\"result\":\"%s\",\"values\":[%.3f,%.3f,%.3f],\"step\":\"%s\"}", result, values[0],
           values[1], values[2], step);
  WriteEventLine(line);
}

void WriteStep(const char* step) {
  char line[400];
  snprintf(line, sizeof(line), "{\"step\":\"%s\"}", step);
  WriteEventLine(line);
}

// Both processor steps: up to three runs, stopping early on the host's stop.
// Returns false when the run must end as stopped.
bool ProcessorStep(const char* step, uint32_t threadCount, const BenchmarkEnvironment& env) {
  WriteStep(step);
  double values[kBenchRepetitions] = {};
  for (int k = 0; k < kBenchRepetitions && !StopRaised(); ++k) values[k] = env.processorRun(threadCount);
  if (StopRaised()) return false;
  WriteResult(step, values, step);
  return true;
}

void MemoryStep() {
  WriteStep("mem");
  void* source = VirtualAlloc(nullptr, kCopyRegionBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  void* destination = VirtualAlloc(nullptr, kCopyRegionBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
  if (source != nullptr && destination != nullptr) {
    memset(source, 0x5A, kCopyRegionBytes);
    memset(destination, 0, kCopyRegionBytes);
    // Which copy is fastest here is found by copying these very regions a few
    // times in every form; those copies are not counted.
    const CopyForm form = ChooseFastestCopyForm(
        TimeCopyForms(destination, source, kCopyRegionBytes, ReadProcessorFeatures(), Now));
    double values[kBenchRepetitions] = {};
    for (int k = 0; k < kBenchRepetitions && !StopRaised(); ++k) {
      const double t0 = Now();
      int64_t copies = 0;
      while (Now() - t0 < 1.0 && !StopRaised()) {
        CopyRegion(form, destination, source, kCopyRegionBytes);
        ++copies;
      }
      values[k] = CopyGigabytesPerSecond(copies, kCopyRegionBytes, Now() - t0);
    }
    if (!StopRaised()) WriteResult("mem", values, "mem");
  }
  // Without both regions the step yields nothing and the run goes on.
  if (source != nullptr) VirtualFree(source, 0, MEM_RELEASE);
  if (destination != nullptr) VirtualFree(destination, 0, MEM_RELEASE);
}

struct DriveResults {
  double read[kBenchRepetitions] = {};
  double write[kBenchRepetitions] = {};
  double iops[kBenchRepetitions] = {};
};

bool TransferWholeFile(const DriveCalls& io, HANDLE file, uint8_t* buffer, bool writing, double& value) {
  const double t0 = Now();
  for (int i = 0; i < kDriveBuffersPerFile; ++i) {
    if (StopRaised()) break;
    DWORD moved = 0;
    constexpr DWORD kBytes = static_cast<DWORD>(kDriveBufferBytes);
    const BOOL done = writing ? io.write(file, buffer, kBytes, &moved) : io.read(file, buffer, kBytes, &moved);
    if (!done || moved != kDriveBufferBytes) {
      value = 0.0;
      return false;
    }
  }
  value = PerSecond(kDriveBuffersPerFile, Now() - t0);
  return true;
}

bool RandomReads(const DriveCalls& io, HANDLE file, uint8_t* buffer, int repetition, double& value) {
  uint64_t x = RandomReadSeed(repetition);
  int64_t count = 0;
  const double t0 = Now();
  for (;;) {
    const double elapsed = Now() - t0;
    if (StopRaised() || elapsed >= 2.0) {
      value = PerSecond(static_cast<double>(count), elapsed);
      return true;
    }
    x = XorshiftNext(x);
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(RandomReadOffset(x));
    SetFilePointerEx(file, offset, nullptr, FILE_BEGIN);
    DWORD read = 0;
    if (!io.read(file, buffer, kRandomReadBytes, &read) || read != kRandomReadBytes) {
      value = 0.0;
      return false;
    }
    ++count;
  }
}

// The three repetitions in the folder the caller holds open. Returns whether
// all three completed.
bool DriveRepetitions(const DriveCalls& io, HANDLE folder, DriveResults& results) {
  wchar_t name[kDriveNameCapacity];
  DriveTestName(name, kDriveNameCapacity, GetCurrentProcessId());
  auto* buffer = static_cast<uint8_t*>(VirtualAlloc(nullptr, kDriveBufferBytes, MEM_RESERVE | MEM_COMMIT,
                                                    PAGE_READWRITE));
  bool ok = buffer != nullptr;
  for (int k = 0; k < kBenchRepetitions && ok && !StopRaised(); ++k) {
    FillDriveBuffer(buffer, kDriveBufferBytes, k);
    // Each repetition starts from an empty file, which the system deletes
    // when we close it. A name someone else took ends the test here.
    HANDLE file = io.create(folder, name);
    if (file == INVALID_HANDLE_VALUE) {
      ok = false;
      break;
    }
    ok = TransferWholeFile(io, file, buffer, true, results.write[k]);
    LARGE_INTEGER start{};
    SetFilePointerEx(file, start, nullptr, FILE_BEGIN);
    if (ok) ok = TransferWholeFile(io, file, buffer, false, results.read[k]);
    if (ok) ok = RandomReads(io, file, buffer, k, results.iops[k]);
    CloseHandle(file);
  }
  if (buffer != nullptr) VirtualFree(buffer, 0, MEM_RELEASE);
  return ok;
}

// Returns whether all three repetitions completed. The folder is opened once
// and held: every file goes into the folder this handle names, even when the
// path names another one later.
bool DriveTest(const DriveCalls& io, const wchar_t* dir, DriveResults& results) {
  const HANDLE folder = OpenDriveFolder(dir);
  if (folder == INVALID_HANDLE_VALUE) return false;
  const bool completed = DriveRepetitions(io, folder, results);
  CloseHandle(folder);
  return completed;
}

}  // namespace

bool WaitForAllThreads(const HANDLE* handles, DWORD count, DWORD timeoutMs) {
  // Groups of 64 share one deadline; the end time is taken only after every
  // group returned or the time ran out.
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (DWORD first = 0; first < count; first += MAXIMUM_WAIT_OBJECTS) {
    const DWORD group = count - first < MAXIMUM_WAIT_OBJECTS ? count - first : MAXIMUM_WAIT_OBJECTS;
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    const DWORD result = WaitForMultipleObjects(group, handles + first, TRUE, left);
    if (result == WAIT_TIMEOUT || result == WAIT_FAILED) return false;
  }
  return true;
}

double MeasureProcessorRun(uint32_t threadCount) { return ProcessorRun(threadCount); }

void RunMemoryCopyStep() { MemoryStep(); }

int RunBenchmark(const Options& options, const BenchmarkEnvironment& env) {
  benchClock = StartRunClock();
  WriteLiteralLine("{\"event\":\"start\",\"bench\":true}");
  env.startStdinWatcher();

  SYSTEM_INFO info;
  GetSystemInfo(&info);
  if (!ProcessorStep("cpu1", 1, env) || !ProcessorStep("cpuN", StressWorkerCount(info.dwNumberOfProcessors), env)) {
    return EndStopped();
  }

  env.memoryStep();
  if (StopRaised()) return EndStopped();

  if (options.dir[0] != 0) {
    WriteStep("drive");
    DriveResults results;
    const bool completed = DriveTest(env.drive, options.dir, results);
    if (StopRaised()) return EndStopped();
    if (completed) {
      WriteResult("read", results.read, "drive");
      WriteResult("write", results.write, "drive");
      WriteResult("iops", results.iops, "drive");
    } else {
      WriteLiteralLine("{\"event\":\"note\",\"what\":\"drive\"}");
    }
  }

  WriteEndLine("done");
  return kExitDone;
}

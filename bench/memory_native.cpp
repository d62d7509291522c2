// Native Linux counterpart of the worker's memory work, built with the host
// compiler from the same arithmetic sources, so the bench script can print
// the worker's figures (under Wine) next to what this machine does natively.
//
//   memory_native copy                 glibc memcpy and the non-temporal copies of two 256 MiB
//                                      regions, as the "mem" step times them
//   memory_native fill BYTES THREADS   memset, read-sum and the pattern code over one block
//   memory_native kernels BYTES THREADS ROUNDS
//                                      memset, read-sum and every form of the pattern code
//                                      over one block, side by side, ROUNDS times
//   memory_native copies ROUNDS        glibc memcpy and each form of our copy, side by side, and
//                                      the form the trial picks natively
//
// The kernels and copies modes print, per measurement, "name round wall cpu": bytes per
// second by the wall clock and by the threads' own processor time. On a shared machine the
// wall clock mostly measures how long the threads waited for a processor; their own time
// is what the memory and the code cost.
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include "probe/stress/benchmark_unit.h"
#include "probe/stress/memory_test_unit.h"
#include "probe/stress/pattern_kernel.h"

namespace {

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double ThreadSeconds();

// The bench step's procedure: up to 1 s of whole-region copies, three times.
// Prints the rates by the wall clock, then by the thread's own processor time
// as "<name>_cpu".
void CopyFigures(const char* name, const std::function<void(void*, const void*, size_t)>& copy) {
  void* source = mmap(nullptr, kCopyRegionBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  void* destination = mmap(nullptr, kCopyRegionBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  memset(source, 0x5A, kCopyRegionBytes);
  memset(destination, 0, kCopyRegionBytes);
  double wall[kBenchRepetitions], cpu[kBenchRepetitions];
  for (int k = 0; k < kBenchRepetitions; ++k) {
    const double t0 = Now(), c0 = ThreadSeconds();
    int64_t copies = 0;
    while (Now() - t0 < 1.0) {
      copy(destination, source, kCopyRegionBytes);
      ++copies;
    }
    wall[k] = CopyGigabytesPerSecond(copies, kCopyRegionBytes, Now() - t0);
    cpu[k] = CopyGigabytesPerSecond(copies, kCopyRegionBytes, ThreadSeconds() - c0);
  }
  printf("%s", name);
  for (double v : wall) printf(" %.3f", v);
  printf("\n%s_cpu", name);
  for (double v : cpu) printf(" %.3f", v);
  printf("\n");
  munmap(source, kCopyRegionBytes);
  munmap(destination, kCopyRegionBytes);
}

// Runs work(slice) on every thread at once, slices split as the worker splits
// them; returns bytes per second over the whole block.
double Parallel(uint64_t words, uint32_t threads, const std::function<void(const Slice&)>& work) {
  const double t0 = Now();
  std::vector<std::thread> running;
  for (uint32_t i = 0; i < threads; ++i) {
    const Slice slice = SliceOf(words, threads, i);
    running.emplace_back([&work, slice] { work(slice); });
  }
  for (std::thread& thread : running) thread.join();
  return static_cast<double>(words * 8) / (Now() - t0);
}

int Fill(uint64_t bytes, uint32_t threads) {
  auto* block = static_cast<uint64_t*>(
      mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
  if (block == MAP_FAILED) {
    perror("mmap");
    return 1;
  }
  const uint64_t words = bytes / 8;
  auto memsetAll = [&](int value) {
    return Parallel(words, threads, [&](const Slice& s) { memset(block + s.firstWord, value, s.words * 8); });
  };
  printf("memset_first_touch %.0f\n", memsetAll(1));
  printf("memset %.0f\n", memsetAll(2));
  std::atomic<uint64_t> checksum{0};  // keeps the reads from being dropped
  printf("read_sum %.0f\n", Parallel(words, threads, [&](const Slice& s) {
           uint64_t sum = 0;
           for (uint64_t i = 0; i < s.words; ++i) sum += block[s.firstWord + i];
           checksum += sum;
         }));
  // The worker's own pattern code, natively, in the worker's 1 MiB chunks.
  for (int32_t pass = 0; pass < 2; ++pass) {
    const uint64_t seed = PatternSeed(pass);
    printf("pattern_write_%d %.0f\n", pass, Parallel(words, threads, [&](const Slice& s) {
             for (uint64_t done = 0; done < s.words; done += kChunkWords) {
               const uint64_t chunk = s.words - done < kChunkWords ? s.words - done : kChunkWords;
               WritePattern(MachinePatternKernel(), block + s.firstWord + done, chunk, s.firstWord + done, pass,
                            seed);
             }
           }));
    std::atomic<uint64_t> errors{0};
    printf("pattern_verify_%d %.0f\n", pass, Parallel(words, threads, [&](const Slice& s) {
             uint64_t wrong = 0;
             for (uint64_t done = 0; done < s.words; done += kChunkWords) {
               const uint64_t chunk = s.words - done < kChunkWords ? s.words - done : kChunkWords;
               wrong += CountPatternErrors(MachinePatternKernel(), block + s.firstWord + done, chunk,
                                           s.firstWord + done, pass, seed);
             }
             errors += wrong;
           }));
    if (errors != 0) printf("pattern_errors_%d %llu\n", pass, static_cast<unsigned long long>(errors.load()));
  }
  printf("checksum %llu\n", static_cast<unsigned long long>(checksum.load()));
  munmap(block, bytes);
  return 0;
}

double ThreadSeconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

struct Rate {
  double wall;  // bytes per second of wall time
  double cpu;   // each thread's bytes per second of its own processor time, summed
};

Rate Timed(uint64_t words, uint32_t threads, const std::function<void(const Slice&)>& work) {
  std::vector<double> cpu(threads);
  const double t0 = Now();
  std::vector<std::thread> running;
  for (uint32_t i = 0; i < threads; ++i) {
    const Slice slice = SliceOf(words, threads, i);
    running.emplace_back([&work, &cpu, slice, i] {
      const double c0 = ThreadSeconds();
      work(slice);
      cpu[i] = static_cast<double>(slice.words * 8) / (ThreadSeconds() - c0);
    });
  }
  for (std::thread& thread : running) thread.join();
  Rate rate{static_cast<double>(words * 8) / (Now() - t0), 0};
  for (double c : cpu) rate.cpu += c;
  return rate;
}

void Print(const char* name, int round, Rate rate) { printf("%s %d %.0f %.0f\n", name, round, rate.wall, rate.cpu); }

// In the worker's 1 MiB chunks, as its threads call the pattern code.
template <typename Chunk>
void InChunks(const Slice& s, Chunk chunk) {
  for (uint64_t done = 0; done < s.words; done += kChunkWords) {
    chunk(s.firstWord + done, s.words - done < kChunkWords ? s.words - done : kChunkWords);
  }
}

int Kernels(uint64_t bytes, uint32_t threads, int rounds) {
  auto* block = static_cast<uint64_t*>(
      mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0));
  if (block == MAP_FAILED) {
    perror("mmap");
    return 1;
  }
  const uint64_t words = bytes / 8;
  const ProcessorFeatures features = ReadProcessorFeatures();
  Timed(words, threads, [&](const Slice& s) { memset(block + s.firstWord, 1, s.words * 8); });  // first touch
  const long cache = sysconf(_SC_LEVEL3_CACHE_SIZE);
  printf("chosen %s %s\n", PatternKernelName(ChoosePatternKernel(features)),
         PatternStoresName(StoresForBlock(bytes, cache > 0 ? static_cast<uint64_t>(cache) : 0)));
  std::atomic<uint64_t> sink{0};  // keeps the reads and counts from being dropped
  for (int round = 0; round < rounds; ++round) {
    Print("memset", round, Timed(words, threads, [&](const Slice& s) { memset(block + s.firstWord, 2, s.words * 8); }));
    Print("read_sum", round, Timed(words, threads, [&](const Slice& s) {
            uint64_t sum = 0;
            for (uint64_t i = 0; i < s.words; ++i) sum += block[s.firstWord + i];
            sink += sum;
          }));
    for (PatternKernel kernel :
         {PatternKernel::kPlain, PatternKernel::kSse2, PatternKernel::kAvx2, PatternKernel::kAvx512}) {
      if (!PatternKernelRuns(kernel, features)) continue;
      for (int32_t pass = 0; pass < 4; ++pass) {
        const uint64_t seed = PatternSeed(pass);
        char name[64];
        for (PatternStores stores : {PatternStores::kPlain, PatternStores::kStreaming}) {
          if (kernel == PatternKernel::kPlain && stores == PatternStores::kStreaming) continue;
          snprintf(name, sizeof(name), "write_%s%s_%d", PatternKernelName(kernel),
                   stores == PatternStores::kStreaming ? "_nt" : "", pass);
          Print(name, round, Timed(words, threads, [&](const Slice& s) {
                  InChunks(s, [&](uint64_t first, uint64_t count) {
                    WritePattern(kernel, stores, block + first, count, first, pass, seed);
                  });
                }));
        }
        snprintf(name, sizeof(name), "verify_%s_%d", PatternKernelName(kernel), pass);
        Print(name, round, Timed(words, threads, [&](const Slice& s) {
                uint64_t wrong = 0;
                InChunks(s, [&](uint64_t first, uint64_t count) {
                  wrong += CountPatternErrors(kernel, block + first, count, first, pass, seed);
                });
                sink += wrong;
              }));
      }
    }
  }
  printf("sink %llu\n", static_cast<unsigned long long>(sink.load()));
  munmap(block, bytes);
  return 0;
}

int Copies(int rounds) {
  void* source = mmap(nullptr, kCopyRegionBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  void* destination = mmap(nullptr, kCopyRegionBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  memset(source, 0x5A, kCopyRegionBytes);
  memset(destination, 0, kCopyRegionBytes);
  const ProcessorFeatures features = ReadProcessorFeatures();
  printf("chosen %s\n", CopyFormName(ChooseFastestCopyForm(
                             TimeCopyForms(destination, source, kCopyRegionBytes, features, Now))));
  // glibc's memcpy first in every round, then each of our forms.
  for (int round = 0; round < rounds; ++round) {
    for (int i = -1; i < kCopyFormCount; ++i) {
      const CopyForm form = static_cast<CopyForm>(i < 0 ? 0 : i);
      if (i >= 0 && !CopyFormRuns(form, features)) continue;
      const double t0 = Now(), c0 = ThreadSeconds();
      if (i < 0) {
        memcpy(destination, source, kCopyRegionBytes);
      } else {
        CopyRegion(form, destination, source, kCopyRegionBytes);
      }
      // Bytes read and written, as the benchmark counts them.
      const double moved = 2.0 * static_cast<double>(kCopyRegionBytes);
      Print(i < 0 ? "glibc_memcpy" : CopyFormName(form), round, {moved / (Now() - t0), moved / (ThreadSeconds() - c0)});
    }
  }
  munmap(source, kCopyRegionBytes);
  munmap(destination, kCopyRegionBytes);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && strcmp(argv[1], "copy") == 0) {
    // The fastest native copies to compare the worker's step with: glibc's, and
    // the non-temporal copies (each vector width) that glibc itself switches to
    // on some machines and not on others.
    CopyFigures("memcpy", [](void* d, const void* s, size_t n) { memcpy(d, s, n); });
    const ProcessorFeatures features = ReadProcessorFeatures();
    for (CopyForm form : {CopyForm::kStreamingSse2, CopyForm::kStreamingAvx2, CopyForm::kStreamingAvx512}) {
      if (!CopyFormRuns(form, features)) continue;
      CopyFigures(CopyFormName(form), [form](void* d, const void* s, size_t n) { CopyRegion(form, d, s, n); });
    }
    return 0;
  }
  if (argc >= 4 && strcmp(argv[1], "fill") == 0) {
    return Fill(strtoull(argv[2], nullptr, 10), static_cast<uint32_t>(strtoul(argv[3], nullptr, 10)));
  }
  if (argc >= 5 && strcmp(argv[1], "kernels") == 0) {
    return Kernels(strtoull(argv[2], nullptr, 10), static_cast<uint32_t>(strtoul(argv[3], nullptr, 10)),
                   atoi(argv[4]));
  }
  if (argc >= 3 && strcmp(argv[1], "copies") == 0) return Copies(atoi(argv[2]));
  fprintf(stderr, "usage: %s copy | fill BYTES THREADS | kernels BYTES THREADS ROUNDS | copies ROUNDS\n", argv[0]);
  return 2;
}

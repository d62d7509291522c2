// Native Linux build of the processor stress loop: the same arithmetic source
// as the worker, on the same number of threads, for a fixed time.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "probe/stress/cpu_stress_unit.h"

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? atof(argv[1]) : 10.0;
  const unsigned threads = StressWorkerCount(std::thread::hardware_concurrency());
  std::atomic<int64_t> work{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> workers;
  const auto start = std::chrono::steady_clock::now();
  for (unsigned index = 0; index < threads; ++index) {
    workers.emplace_back([&, index] {
      StressAccumulators acc = InitialAccumulators(index);
      while (!stop.load(std::memory_order_relaxed)) {
        RunStressIterations(acc, kStressUnitIterations);
        work.fetch_add(1);
        if (AccumulatorSum(acc) == 0.0) std::this_thread::yield();
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const int64_t done = work.load();
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  stop = true;
  for (std::thread& worker : workers) worker.join();
  printf("%u %.3f\n", threads, done / elapsed);
  return 0;
}

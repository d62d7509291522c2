// The benchmark's run in this process with instant processor runs, so its
// memory and drive steps can be stopped or made to fail exactly where a test
// wants: a stop ends the run without the interrupted step's result, and a
// drive that fails after its file exists gives the note, never partial values.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "probe/stress/benchmark.h"
#include "tests/support/captured_output.h"

namespace {

std::wstring NewTempFolder(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + name + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

bool FolderIsEmpty(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") empty = false;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return empty;
}

BenchmarkEnvironment QuickEnvironment() {
  BenchmarkEnvironment env;
  env.processorRun = [](uint32_t) { return 1.0; };
  env.startStdinWatcher = [] {};
  return env;
}

struct BenchRun {
  int code = -1;
  std::vector<std::string> lines;
};

BenchRun RunBench(const BenchmarkEnvironment& env, const std::wstring& dir) {
  Options options;
  wcsncpy(options.dir, dir.c_str(), kDirCapacity - 1);
  stopFlag.store(kRunning);
  BenchRun run;
  {
    CapturedOutput captured;
    run.code = RunBenchmark(options, env);
    captured.RunEnded(run.code);
    for (const EventLine& line : captured.Lines()) run.lines.push_back(line.text);
  }
  stopFlag.store(kRunning);
  return run;
}

const std::vector<std::string> kProcessorLines = {
    "{\"event\":\"start\",\"bench\":true}",
    "{\"step\":\"cpu1\"}",
    "{\"result\":\"cpu1\",\"values\":[1.000,1.000,1.000],\"step\":\"cpu1\"}",
    "{\"step\":\"cpuN\"}",
    "{\"result\":\"cpuN\",\"values\":[1.000,1.000,1.000],\"step\":\"cpuN\"}",
};

std::vector<std::string> ProcessorLinesThen(std::vector<std::string> rest) {
  std::vector<std::string> lines = kProcessorLines;
  lines.insert(lines.end(), rest.begin(), rest.end());
  return lines;
}

// The host's stop during the copy: no "mem" result, "stopped", exit 1, and
// the drive step never begins.
TEST(BenchEnds, StopDuringMemoryCopy) {
  const std::wstring folder = NewTempFolder(L"vantorel-bench-memstop-");
  BenchmarkEnvironment env = QuickEnvironment();
  env.memoryStep = [] {
    std::thread stopper([] {
      Sleep(1500);  // inside the first of the three one-second copies
      RaiseStop(kStopRequested);
    });
    RunMemoryCopyStep();
    stopper.join();
  };
  const BenchRun run = RunBench(env, folder);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.lines, ProcessorLinesThen({"{\"step\":\"mem\"}", "{\"event\":\"end\",\"reason\":\"stopped\"}"}));
  RemoveDirectoryW(folder.c_str());
}

// The host's stop in the middle of the drive step: no drive results and no
// note, "stopped", exit 1, and the file is gone.
TEST(BenchEnds, StopDuringDriveTest) {
  const std::wstring folder = NewTempFolder(L"vantorel-bench-drivestop-");
  BenchmarkEnvironment env = QuickEnvironment();
  env.memoryStep = [] {};
  auto reads = std::make_shared<int>(0);
  const DriveCalls real;
  env.drive.read = [reads, real](HANDLE file, void* bytes, DWORD count, DWORD* got) {
    if (++*reads == 100) RaiseStop(kStopRequested);  // during the first sequential read
    return real.read(file, bytes, count, got);
  };
  const BenchRun run = RunBench(env, folder);
  EXPECT_EQ(run.code, 1);
  EXPECT_EQ(run.lines, ProcessorLinesThen({"{\"step\":\"drive\"}", "{\"event\":\"end\",\"reason\":\"stopped\"}"}));
  EXPECT_EQ(*reads, 100) << "the drive test went on after the stop";
  EXPECT_TRUE(FolderIsEmpty(folder));
  RemoveDirectoryW(folder.c_str());
}

// A drive call that fails once the file exists: the drive step line, the note
// (no partial "read", "write" or "iops"), "done", exit 0, no file left behind,
// and nothing more is tried after the failure.
TEST(BenchEnds, DriveFailingAfterTheFileExistsGivesTheNote) {
  enum class Call { Write, SequentialRead, RandomRead };
  struct Case {
    const char* name;
    Call call;
    int repetition;   // 1 to 3: the file of that repetition exists
    int failingCall;  // counted per kind of call within the repetition
    bool shortCount;  // succeeds with half the bytes instead of failing
  } const cases[] = {
      {"short write", Call::Write, 1, 10, true},
      {"failed last write", Call::Write, 1, 256, false},
      {"failed sequential read", Call::SequentialRead, 1, 3, false},
      {"short random read in the second repetition", Call::RandomRead, 2, 50, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring folder = NewTempFolder(L"vantorel-bench-drivefail-");
    BenchmarkEnvironment env = QuickEnvironment();
    env.memoryStep = [] {};
    struct Counts {
      int creates = 0;
      int calls = 0;  // of the failing kind in the current repetition
      bool failed = false;
      int callsAfterFailure = 0;
    };
    auto counts = std::make_shared<Counts>();
    const DriveCalls real;
    // True when this call is the one that must fail.
    auto failsNow = [&c, counts](Call kind) {
      if (counts->failed) ++counts->callsAfterFailure;
      if (kind != c.call || counts->creates != c.repetition || ++counts->calls != c.failingCall) return false;
      counts->failed = true;
      return true;
    };
    env.drive.create = [real, counts](HANDLE folder, const wchar_t* name) {
      if (counts->failed) ++counts->callsAfterFailure;
      ++counts->creates;
      counts->calls = 0;
      return real.create(folder, name);
    };
    env.drive.write = [&c, real, failsNow](HANDLE f, const void* b, DWORD n, DWORD* done) {
      if (!failsNow(Call::Write)) return real.write(f, b, n, done);
      return c.shortCount ? real.write(f, b, n / 2, done) : FALSE;
    };
    env.drive.read = [&c, real, failsNow](HANDLE f, void* b, DWORD n, DWORD* done) {
      // Sequential reads move 1 MiB, random ones 4 KiB.
      if (!failsNow(n == 4096 ? Call::RandomRead : Call::SequentialRead)) return real.read(f, b, n, done);
      return c.shortCount ? real.read(f, b, n / 2, done) : FALSE;
    };
    const BenchRun run = RunBench(env, folder);
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.lines, ProcessorLinesThen({"{\"step\":\"drive\"}", "{\"event\":\"note\",\"what\":\"drive\"}",
                                             "{\"event\":\"end\",\"reason\":\"done\"}"}));
    EXPECT_TRUE(counts->failed) << "the failing call was never reached";
    EXPECT_EQ(counts->callsAfterFailure, 0) << "the drive test went on after a failure";
    EXPECT_EQ(counts->creates, c.repetition);
    EXPECT_TRUE(FolderIsEmpty(folder)) << "the file was left behind";
    RemoveDirectoryW(folder.c_str());
  }
}

}  // namespace

// The memory test's whole run in this process, on a small block with a
// supplied memory figure and a scripted clock, so each way the run can end is
// reached exactly and no test commits gigabytes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "probe/stress/memory_test.h"
#include "probe/stress/memory_test_unit.h"
#include "tests/support/captured_output.h"

namespace {

constexpr uint64_t kSmallBlockWords = 3 * kChunkWords + 5;  // several chunks, a short last one
constexpr uint64_t kSmallBlockBytes = kSmallBlockWords * 8;

MEMORYSTATUSEX MemoryFigure(uint64_t avail) {
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof(status);
  status.ullTotalPhys = 16 * kGiB;
  status.ullAvailPhys = avail;
  return status;
}

// The clock hands out one scripted t per reading (the last one repeats): one
// reading for each sample line and one for the end line. Each phase of a small
// block ends within its first 500 ms wait, so reading n is the sample after
// phase n (write of pass 1, verify of pass 1, write of pass 2, ...).
// onReading runs at each reading with its number and the block, before the
// next phase starts.
struct ScriptedRun {
  std::vector<double> times;
  std::function<void(size_t reading, uint64_t* block)> onReading;
  double minutes = 0.05;
};

struct RunResult {
  int code = -1;
  std::vector<EventLine> lines;
  std::vector<uint64_t> block;
};

RunResult RunScripted(const ScriptedRun& script, CapturedOutput::Kind output = CapturedOutput::Kind::File) {
  RunResult result;
  result.block.assign(kSmallBlockWords, 0);
  uint64_t* block = result.block.data();
  auto readings = std::make_shared<size_t>(0);

  MemoryTestEnvironment env;
  env.memoryStatus = [] { return MemoryFigure(4 * kGiB); };
  env.obtainBlock = [block](uint64_t, uint64_t* bytes) {
    *bytes = kSmallBlockBytes;
    return static_cast<void*>(block);
  };
  env.releaseBlock = [](void*) {};
  env.processors = [] { return 3u; };
  env.secondsSince = [&script, readings, block](const RunClock&) {
    const size_t n = (*readings)++;
    if (script.onReading) script.onReading(n, block);
    return script.times[n < script.times.size() ? n : script.times.size() - 1];
  };
  env.startStdinWatcher = [] {};

  Options options;
  options.minutes = script.minutes;
  stopFlag.store(kRunning);
  CapturedOutput captured(output);
  result.code = RunMemoryTest(options, env);
  result.lines = captured.Lines();
  stopFlag.store(kRunning);
  return result;
}

// How a run ends: the time-out at a write skips that pass's verify, a time-out
// found as a verify ends does not count that pass, the host's stop wins over a
// time-out at the same moment.
TEST(MemoryTestEnds, TimeAndStopAtPhaseBoundaries) {
  struct Case {
    const char* name;
    std::vector<double> times;
    size_t stopAtReading;  // the host writes q during this phase; -1: never
    int code;
    const char* reason;
    size_t samples;
    const char* lastPhase;
    int passes;
  } const cases[] = {
      {"time-out at the end of a verify", {0.1, 0.2, 0.3, 0.4, 0.5, 3.5, 3.6}, size_t(-1), 0, "time", 6, "verify", 2},
      {"time-out in a write", {0.1, 0.2, 3.5, 3.6}, size_t(-1), 0, "time", 3, "write", 1},
      {"time-out in the first write", {2.5, 3.5, 3.6}, size_t(-1), 0, "time", 2, "verify", 0},
      {"host stops in a verify", {0.1, 0.2, 0.3, 0.4}, 3, 1, "stopped", 4, "verify", 1},
      {"host stops as the time runs out", {0.1, 5.0, 5.1}, 1, 1, "stopped", 2, "verify", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedRun script;
    script.times = c.times;
    script.onReading = [&c](size_t n, uint64_t*) {
      if (n == c.stopAtReading) RaiseStop(kStopRequested);
    };
    const int64_t errorsBefore = MemoryErrorCount();
    const RunResult run = RunScripted(script);
    EXPECT_EQ(run.code, c.code);
    ASSERT_EQ(run.lines.size(), c.samples + 2);
    EXPECT_EQ(run.lines.front().json["event"], "start");
    EXPECT_EQ(run.lines.front().json["bytes"], kSmallBlockBytes);
    EXPECT_EQ(run.lines.front().json["threads"], 3);
    for (size_t i = 1; i <= c.samples; ++i) {
      SCOPED_TRACE(run.lines[i].text);
      const nlohmann::json& sample = run.lines[i].json;
      // Phases alternate write, verify from the first pass on.
      EXPECT_EQ(sample["phase"], (i % 2 == 1) ? "write" : "verify");
      EXPECT_EQ(sample["pass"], static_cast<int>((i + 1) / 2));
      EXPECT_DOUBLE_EQ(sample["done"].get<double>(), 1.0) << "a phase left part of the block";
      EXPECT_DOUBLE_EQ(sample["t"].get<double>(), c.times[i - 1]);
    }
    EXPECT_EQ(run.lines[c.samples].json["phase"], c.lastPhase);
    const nlohmann::json& end = run.lines.back().json;
    EXPECT_EQ(end["event"], "end");
    EXPECT_EQ(end["reason"], c.reason);
    EXPECT_EQ(end["passes"], c.passes);
    EXPECT_EQ(end["bytes"], kSmallBlockBytes);
    EXPECT_EQ(end["errors"].get<int64_t>(), errorsBefore);
  }
}

// Each pass writes its own pattern (the kind cycles through four, the seed
// moves on), and a word changed between a pass's write and its verify is
// counted, in the samples from that verify on and in the end line.
TEST(MemoryTestEnds, EachPassWritesItsPatternAndVerifyFindsChangedWords) {
  std::vector<std::vector<uint64_t>> written;  // first words after each write
  ScriptedRun script;
  script.times = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 3.5, 3.6};  // ends at the fifth verify
  script.onReading = [&written](size_t n, uint64_t* block) {
    if (n % 2 == 0 && n < 10) {  // reading 10 is the end line
      written.emplace_back(block, block + 8);
      if (n == 4) block[kChunkWords + 3] ^= 1ull << 40;  // goes bad after the third pass's write
    }
  };
  const int64_t errorsBefore = MemoryErrorCount();
  const RunResult run = RunScripted(script);
  EXPECT_EQ(run.code, 0);
  ASSERT_EQ(written.size(), 5u);
  for (int32_t pass = 0; pass < 5; ++pass) {
    SCOPED_TRACE(testing::Message() << "pass " << pass + 1);
    for (uint64_t e = 0; e < 8; ++e) EXPECT_EQ(written[pass][e], PatternValue(e, pass, PatternSeed(pass))) << e;
  }
  // Known words: the first pass's mix, the third pass's single walking bit, the
  // fourth pass's alternating halves; the fifth repeats the first kind with another seed.
  EXPECT_EQ(written[0][0], 0x4FA71BB256CB033Bull);
  EXPECT_EQ(written[0][1], 0x2C4CB89C05F00679ull);
  EXPECT_EQ(written[2][0], 0x0000000000000080ull);
  EXPECT_EQ(written[3][0], 0x5555555555555555ull);
  EXPECT_EQ(written[3][1], 0xAAAAAAAAAAAAAAAAull);
  EXPECT_NE(written[4][0], written[0][0]);

  ASSERT_EQ(run.lines.size(), 12u);
  for (size_t i = 1; i <= 10; ++i) {
    SCOPED_TRACE(run.lines[i].text);
    const int64_t expected = errorsBefore + (i >= 6 ? 1 : 0);  // from the third pass's verify on
    EXPECT_EQ(run.lines[i].json["errors"].get<int64_t>(), expected);
  }
  EXPECT_EQ(run.lines.back().json["errors"].get<int64_t>(), errorsBefore + 1);
  EXPECT_EQ(run.lines.back().json["passes"], 4);
}

// No block: the one "memory" line, no start line, exit 4, whether the figure is
// too small to try or every allocation fails.
TEST(MemoryTestEnds, NoBlockGivesTheMemoryErrorAlone) {
  struct Case {
    const char* name;
    uint64_t avail;
    bool allocationsFail;
  } const cases[] = {
      {"768 MiB available", 768 * kMiB, false},
      {"nothing available", 0, false},
      {"1 GiB available, no allocation succeeds", kGiB, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryTestEnvironment env;
    env.memoryStatus = [&c] { return MemoryFigure(c.avail); };
    std::vector<uint64_t> tried;
    if (c.allocationsFail) {
      env.obtainBlock = [&tried](uint64_t avail, uint64_t* bytes) -> void* {
        uint64_t size = MemoryBlockSize(avail);
        void* block = AllocateHalving(size, [&tried](uint64_t want) -> void* {
          tried.push_back(want);
          return nullptr;
        });
        *bytes = size;
        return block;
      };
    }
    bool watcherStarted = false;
    env.startStdinWatcher = [&watcherStarted] { watcherStarted = true; };
    CapturedOutput captured;
    EXPECT_EQ(RunMemoryTest(Options{}, env), 4);
    const std::vector<EventLine> lines = captured.Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "{\"event\":\"error\",\"what\":\"memory\"}");
    EXPECT_FALSE(watcherStarted);
    if (c.allocationsFail) {
      EXPECT_EQ(tried, (std::vector<uint64_t>{512 * kMiB, 256 * kMiB}));
    }
  }
}

// The reader of standard output went away: the run still goes to its own end
// and exit code.
TEST(MemoryTestEnds, ClosedOutputRunsToItsEnd) {
  ScriptedRun script;
  script.times = {0.1, 0.2, 3.5, 3.6};
  const RunResult run = RunScripted(script, CapturedOutput::Kind::ClosedPipe);
  EXPECT_EQ(run.code, 0);
  EXPECT_EQ(run.block[0], PatternValue(0, 1, PatternSeed(1))) << "the second pass did not write";
}

}  // namespace

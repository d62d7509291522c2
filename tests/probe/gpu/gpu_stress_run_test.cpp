// The GPU stress end to end on a real Direct3D 11 device, started the way the
// host starts it. The test compiler returns byte code that vkd3d built from the
// worker's own program text, or on request a failure or a faulty kernel.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "probe/gpu/gpu_stress_unit.h"
#include "tests/probe/gpu/gpu_run_support.h"

namespace {

constexpr DWORD kRunTimeout = 120000;  // the first frame of a process alone can take ~9 s
constexpr const wchar_t* kCompilerDirective = L"VANTOREL_STANDIN_COMPILER";

const char* const kSampleKeys[] = {"t",     "frames", "checks",    "errors",    "temp", "fan",  "power",
                                   "watts", "clock",  "clock_max", "mem_clock", "work", "busy"};

struct ProbeRun {
  DWORD code = 0;
  std::vector<EventLine> lines;
  std::vector<nlohmann::json> samples;
};

ProbeRun RunProbe(const std::wstring& arguments, const std::wstring& directive = L"") {
  ProbeProcess probe;
  if (!directive.empty()) probe.SetEnvironment(kCompilerDirective, directive);
  ProbeRun run;
  if (!probe.Start(arguments)) {
    ADD_FAILURE() << "could not start the worker";
    return run;
  }
  run.code = probe.WaitForExit(kRunTimeout);
  run.lines = probe.Lines();
  ExpectAllLinesAreJson(run.lines);
  for (const EventLine& line : run.lines) {
    if (StartsWith(line.text, "{\"t\":")) run.samples.push_back(line.json);
  }
  return run;
}

// Checks the shape of a finished run: start first, end last, samples between,
// counters never going back. Returns the end line.
nlohmann::json ExpectWellFormed(const ProbeRun& run) {
  EXPECT_GE(run.lines.size(), 2u);
  if (run.lines.size() < 2) return {};
  EXPECT_TRUE(StartsWith(run.lines.front().text, "{\"event\":\"start\",\"gpu\":")) << run.lines.front().text;
  EXPECT_TRUE(StartsWith(run.lines.back().text, "{\"event\":\"end\",\"reason\":")) << run.lines.back().text;
  EXPECT_EQ(run.samples.size(), run.lines.size() - 2) << "lines other than samples between start and end";
  nlohmann::json previous;
  for (const nlohmann::json& sample : run.samples) {
    SCOPED_TRACE(sample.dump());
    for (const char* key : kSampleKeys) EXPECT_TRUE(sample.contains(key)) << key;
    if (!previous.is_null()) {
      EXPECT_GE(sample["t"].get<double>() - previous["t"].get<double>(), 0.49);
      EXPECT_GE(sample["frames"].get<uint64_t>(), previous["frames"].get<uint64_t>());
      EXPECT_GE(sample["checks"].get<uint64_t>(), previous["checks"].get<uint64_t>());
      EXPECT_GE(sample["errors"].get<uint64_t>(), previous["errors"].get<uint64_t>());
    }
    previous = sample;
  }
  const nlohmann::json& end = run.lines.back().json;
  if (!previous.is_null()) {
    EXPECT_GE(end["frames"].get<uint64_t>(), previous["frames"].get<uint64_t>());
    EXPECT_GE(end["errors"].get<uint64_t>(), previous["errors"].get<uint64_t>());
  }
  return end;
}

// Gentle load, minutes and limit below their floors: the start line reports the
// adapter and the clamped options; the card passes every check; no burn work.
TEST(GpuStressRun, GentleRunChecksAndEndsOnTime) {
  std::string adapterName;
  uint64_t videoMemory = 0;
  uint32_t vendor = 0;
  ASSERT_TRUE(AutomaticAdapter(&adapterName, &videoMemory, &vendor));

  const ProbeRun run = RunProbe(L"--load gentle --minutes 0.01 --limit 20");
  EXPECT_EQ(run.code, 0u);
  const nlohmann::json end = ExpectWellFormed(run);
  ASSERT_FALSE(run.lines.empty());
  const nlohmann::json& start = run.lines.front().json;
  EXPECT_EQ(start["gpu"], adapterName);
  EXPECT_EQ(start["vram"].get<uint64_t>(), videoMemory);
  EXPECT_EQ(start["particles"], 262144);
  EXPECT_EQ(start["blocks"], 1);
  EXPECT_EQ(start["load"], 0);
  EXPECT_DOUBLE_EQ(start["minutes"].get<double>(), 0.05);
  EXPECT_DOUBLE_EQ(start["limit"].get<double>(), 50.0);
  ASSERT_TRUE(start["sensors"].is_boolean());
  if (!start["sensors"].get<bool>()) {
    EXPECT_EQ(start["temp_max"], -1.0);
    EXPECT_EQ(start["temp_warn"], -1.0);
  }

  // On a loaded machine the software rasteriser's first frame alone can outlast
  // the 3 s run; the cadence is held only when the first sample came in time.
  ASSERT_GE(run.samples.size(), 1u);
  double startArrival = -1, firstSampleArrival = -1;
  for (const EventLine& line : run.lines) {
    if (startArrival < 0 && EventOf(line) == "start") startArrival = line.arrival;
    if (firstSampleArrival < 0 && EventOf(line).empty()) firstSampleArrival = line.arrival;
  }
  const bool framesInTime = firstSampleArrival >= 0 && firstSampleArrival - startArrival < 1.0;
  if (framesInTime) {
    EXPECT_GE(run.samples.size(), 2u);
  }
  EXPECT_EQ(run.samples.front()["busy"], -1) << "the first sample has no interval to measure";
  for (const nlohmann::json& sample : run.samples) {
    SCOPED_TRACE(sample.dump());
    EXPECT_EQ(sample["errors"], 0);
    EXPECT_EQ(sample["work"], 0);
    EXPECT_LT(sample["t"].get<double>(), 3.0) << "the run went on past its time";
    EXPECT_LE(sample["frames"].get<double>(), sample["t"].get<double>() * 60.0 + 2.0) << "above the 60 fps cap";
    const int busy = sample["busy"].get<int>();
    EXPECT_TRUE(busy == -1 || (busy >= 0 && busy <= 100));
    if (!start["sensors"].get<bool>()) {
      for (const char* key : {"temp", "fan", "power", "watts", "clock", "clock_max", "mem_clock"}) {
        EXPECT_EQ(sample[key], -1) << key;
      }
    }
  }
  EXPECT_EQ(end["reason"], "time");
  if (framesInTime) {
    EXPECT_GE(end["frames"].get<uint64_t>(), 2u);
  }
  EXPECT_GE(end["checks"].get<uint64_t>(), 1u) << "no verify pass in 3 s";
  EXPECT_EQ(end["errors"], 0);
  if (!start["sensors"].get<bool>()) {
    EXPECT_EQ(end["temp_peak"], -1.0);
  }
}

// "q" as soon as the worker runs: the run ends "stopped" with exit 1 after at
// most the frame in flight, and counts nothing it did not do.
TEST(GpuStressRun, StopRequestAtOnce) {
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load gentle --minutes 1"));
  ASSERT_TRUE(probe.WriteStdin("q"));
  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 1u);
  const std::vector<EventLine> lines = probe.Lines();
  ExpectAllLinesAreJson(lines);
  ASSERT_GE(lines.size(), 2u);
  ASSERT_LE(lines.size(), 3u) << "more than the one frame in flight ran";
  EXPECT_EQ(EventOf(lines.front()), "start");
  const nlohmann::json& end = lines.back().json;
  EXPECT_EQ(end["event"], "end");
  EXPECT_EQ(end["reason"], "stopped");
  EXPECT_LE(end["frames"].get<uint64_t>(), 1u);
  EXPECT_EQ(end["checks"], 0);
  EXPECT_EQ(end["errors"], 0);
  if (end["frames"] == 0) {
    EXPECT_EQ(lines.size(), 2u);
  }
  if (lines.front().json["sensors"] == false) {
    EXPECT_EQ(end["temp_peak"], -1.0);
  }
}

// A set-up that cannot find its adapter: one error line, nothing else, exit 4.
// (Without a display, see gpu_no_display_test.cpp.)
TEST(GpuStressRun, SetupFailuresWriteOneErrorLine) {
  struct Case {
    const char* name;
    const wchar_t* arguments;
    const char* what;
  } const cases[] = {
      {"adapter past the last", L"--adapter 99 --load gentle", "no_adapter"},
      {"adapter past the last, memory load", L"--load memory --adapter 1", "no_adapter"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProbeProcess probe;
    ASSERT_TRUE(probe.Start(c.arguments));
    EXPECT_EQ(probe.WaitForExit(kRunTimeout), 4u);
    const std::vector<EventLine> lines = probe.Lines();
    ASSERT_EQ(lines.size(), 1u) << (lines.empty() ? "" : lines.back().text);
    EXPECT_EQ(lines[0].text, std::string("{\"event\":\"error\",\"what\":\"") + c.what + "\"}");
  }
}

// A d3dcompiler_47.dll planted beside the worker (one that refuses everything)
// is never loaded: the compiler comes from the system directory only.
TEST(GpuStressRun, CompilerBesideTheWorkerIsIgnored) {
  ProbeProcess probe;
  ASSERT_TRUE(probe.Start(L"--load gentle --minutes 0.01", StdinKind::Pipe, L"", L"planted\\vantorelprobe.exe"));
  EXPECT_EQ(probe.WaitForExit(kRunTimeout), 0u);
  const std::vector<EventLine> lines = probe.Lines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(EventOf(lines.front()), "start") << lines.front().text;
  EXPECT_EQ(lines.back().json["reason"], "time");
}

// A kernel that fails to compile: its "shader" line (made JSON-safe), then the
// "shaders" error; no later entry is compiled. A warning alone does not stop the run.
TEST(GpuStressRun, CompilerMessages) {
  {
    SCOPED_TRACE("error");
    const ProbeRun run = RunProbe(L"--load gentle", L"fail:VerifyCS:vantorel(80,9): error X3000: \"Block\" \\ bad\ttab");
    EXPECT_EQ(run.code, 4u);
    ASSERT_EQ(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[0].text,
              "{\"event\":\"shader\",\"entry\":\"VerifyCS\",\"message\":\"vantorel(80,9): error X3000:  Block    bad tab\"}");
    EXPECT_EQ(run.lines[1].text, "{\"event\":\"error\",\"what\":\"shaders\"}");
  }
  {
    SCOPED_TRACE("warning");
    const ProbeRun run = RunProbe(L"--load gentle --minutes 0.01", L"warn:DrawPS:vantorel(1,1): warning X3206: truncation");
    EXPECT_EQ(run.code, 0u);
    ASSERT_GE(run.lines.size(), 3u);
    EXPECT_EQ(EventOf(run.lines[0]), "shader");
    EXPECT_EQ(run.lines[0].json["entry"], "DrawPS");
    EXPECT_EQ(EventOf(run.lines[1]), "start");
    EXPECT_EQ(run.lines.back().json["reason"], "time");
  }
}

// A card whose arithmetic gets one word wrong per check: every check read back
// adds exactly 1. With one block the video-memory check accounts for one check
// every second frame, so the arithmetic checks are the rest.
TEST(GpuStressRun, FaultyArithmeticCountsOnePerCheck) {
  const ProbeRun run = RunProbe(L"--load gentle --minutes 0.1", L"faulty:CheckCS");
  EXPECT_EQ(run.code, 0u);
  const nlohmann::json end = ExpectWellFormed(run);
  ASSERT_TRUE(end.is_object());
  const uint64_t frames = end["frames"].get<uint64_t>();
  const uint64_t verifyPasses = frames / 2;
  const uint64_t arithmeticChecks = end["checks"].get<uint64_t>() - verifyPasses;
  EXPECT_GE(arithmeticChecks, 1u) << "no arithmetic check was read back";
  EXPECT_EQ(end["errors"].get<uint64_t>(), arithmeticChecks);
}

// A card that keeps 2,052 words of every filled block wrong, most of them in
// clusters: each verify pass adds exactly 2,052, however the read-backs of the
// running total interleave.
TEST(GpuStressRun, FaultyVideoMemoryCountsEveryBadWordOnce) {
  constexpr uint64_t kBadWordsPerFill = 2052;
  const ProbeRun run = RunProbe(L"--load gentle --minutes 0.1", L"faulty:FillCS");
  EXPECT_EQ(run.code, 0u);
  const nlohmann::json end = ExpectWellFormed(run);
  ASSERT_TRUE(end.is_object());
  for (const nlohmann::json& sample : run.samples) {
    EXPECT_EQ(sample["errors"].get<uint64_t>() % kBadWordsPerFill, 0u);
  }
  const uint64_t errors = end["errors"].get<uint64_t>();
  const uint64_t verifyPasses = end["frames"].get<uint64_t>() / 2;
  EXPECT_EQ(errors % kBadWordsPerFill, 0u);
  EXPECT_LE(errors, kBadWordsPerFill * verifyPasses) << "a bad word was counted twice";
  EXPECT_GE(errors + 2 * kBadWordsPerFill, kBadWordsPerFill * verifyPasses)
      << "verify passes were lost (only the last may be unread)";
  EXPECT_GE(errors, kBadWordsPerFill);
}

// The standard load starts at work level 2; each later sample adapts it towards
// 24 frames per second exactly as the adaptation rule says. (A standard frame
// takes many seconds on a software rasteriser, so a short run sees few samples.)
TEST(GpuStressRun, StandardLoadStartsAtWorkTwoAndAdapts) {
  const ProbeRun run = RunProbe(L"--load x --minutes 0.05");
  EXPECT_EQ(run.code, 0u);
  const nlohmann::json end = ExpectWellFormed(run);
  ASSERT_FALSE(run.lines.empty());
  EXPECT_EQ(run.lines.front().json["load"], 1);
  EXPECT_EQ(run.lines.front().json["particles"], 2097152);
  ASSERT_GE(run.samples.size(), 1u);
  EXPECT_EQ(run.samples[0]["work"], 2);
  EXPECT_EQ(run.samples[0]["busy"], -1);
  double work = 2.0;
  for (size_t i = 1; i < run.samples.size(); ++i) {
    SCOPED_TRACE(run.samples[i].dump());
    const double interval = run.samples[i]["t"].get<double>() - run.samples[i - 1]["t"].get<double>();
    const double rate =
        static_cast<double>(run.samples[i]["frames"].get<uint64_t>() - run.samples[i - 1]["frames"].get<uint64_t>()) /
        interval;
    work = AdaptWork(work, rate, 24.0);
    EXPECT_LE(std::abs(run.samples[i]["work"].get<double>() - work), 0.5 + 1e-9);
  }
  EXPECT_EQ(end["errors"], 0);
}

}  // namespace

// The stress loop in this process on a real Direct3D 11 device with the
// worker's own objects, sized by small profiles. Its clock, sensor readings
// and device health are scripted, so the temperature guard, a lost device and
// the exact amount of work per frame can be checked without a hot card.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "probe/core/stop_control.h"
#include "probe/gpu/gpu_setup.h"
#include "probe/gpu/gpu_stress_loop.h"
#include "tests/support/captured_output.h"

namespace {

constexpr LONGLONG kTicksPerSecond = 1000;

// A few particles (not a multiple of 256, so a dispatch that rounds down leaves
// some unmoved), no burn, no blocks, no cap: frames take milliseconds.
LoadProfile SmallProfile() {
  LoadProfile p{};
  p.particles = 1000;
  p.rounds = 2;
  p.spriteSize = 0.022f;
  p.targetFrameRate = 0.0;
  p.initialWork = 0.0;
  p.burnItems = 65536;
  p.blocksWanted = 0;
  p.capAt60 = false;
  p.blockWords = 16384;
  return p;
}

bool CreateLoopContext(GpuStressContext* g, const LoadProfile& profile) {
  if (FAILED(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION,
                               &g->device, nullptr, &g->context))) {
    return false;
  }
  g->profile = profile;
  return CreateStressObjects(g) == StressObjects::kCreated;
}

// Frames start stepMs apart (125 ms keeps every t an exact binary fraction, so
// sample times never fall between two frames by rounding): without the 60 fps cap the loop reads the clock
// once for its time base and once at the start of each frame, so frame k
// (from 0) runs at t = (k + 1) * step. ticks is the next value to hand out.
struct ScriptedClock {
  std::shared_ptr<LONGLONG> ticks = std::make_shared<LONGLONG>(0);
};

StressLoopEnvironment ScriptedEnvironment(const ScriptedClock& clock, LONGLONG stepMs) {
  StressLoopEnvironment env;
  env.counterFrequency = [] { return kTicksPerSecond; };
  env.readCounter = [ticks = clock.ticks, stepMs] {
    const LONGLONG now = *ticks;
    *ticks += stepMs;
    return now;
  };
  env.sleep = [](DWORD) {};
  env.startStdinWatcher = [] {};  // this process's own stdin must not stop the run
  return env;
}

Options RunFor(double seconds, double limit = 87.0) {
  Options options;
  options.minutes = seconds / 60.0;
  options.limit = limit;
  options.load = 0;
  return options;
}

struct LoopRun {
  int code = -1;
  std::vector<EventLine> lines;
  std::vector<nlohmann::json> samples;
  nlohmann::json end;
};

LoopRun RunLoop(GpuStressContext& g, const Options& options, const StressLoopEnvironment& env) {
  stopFlag.store(kRunning);
  LoopRun run;
  {
    CapturedOutput output;
    run.code = RunStressLoop(g, options, env);
    run.lines = output.Lines();
  }
  for (const EventLine& line : run.lines) {
    EXPECT_TRUE(line.json.is_object()) << line.text;
    if (line.text.rfind("{\"t\":", 0) == 0) run.samples.push_back(line.json);
  }
  if (!run.lines.empty()) run.end = run.lines.back().json;
  return run;
}

// A reading of exactly the limit ends the run right after its sample line
// ("temperature", exit 2, the peak in the end line); a reading just below,
// or none at all, never does.
TEST(GpuLoop, TemperatureGuardFiresAtTheLimit) {
  struct Case {
    const char* name;
    double limit;
    std::vector<double> temperatures;  // one per sample; the last repeats
    int code;
    size_t samples;
    double peak;
  } const cases[] = {
      {"reaches the limit exactly", 87.0, {50.0, 86.9, 87.0, 40.0}, 2, 3, 87.0},
      {"jumps past the limit", 60.0, {59.0, 95.0}, 2, 2, 95.0},
      {"stays just below", 87.0, {86.9}, 0, 6, 86.9},
      {"no temperature sensor", 50.0, {-1.0}, 0, 6, -1.0},
      {"peak then cooler, then a failed reading", 87.0, {70.0, 80.5, 60.0, -1.0}, 0, 6, 80.5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GpuStressContext g;
    ASSERT_TRUE(CreateLoopContext(&g, SmallProfile()));
    ScriptedClock clock;
    StressLoopEnvironment env = ScriptedEnvironment(clock, 125);
    auto readings = std::make_shared<size_t>(0);
    env.readSensors = [readings, &c](const SensorContext&) {
      SensorReading r;
      const size_t i = *readings < c.temperatures.size() ? *readings : c.temperatures.size() - 1;
      r.temperature = c.temperatures[i];
      r.fan = 1200;
      r.power = 18.5;
      r.watts = 185;
      r.clock = 1950;
      r.clockMax = 2100;
      r.memClock = 7000;
      ++*readings;
      return r;
    };
    // Frames at t = 0.125 ... 2.875: samples at 0.125, 0.625, ... 2.625.
    const LoopRun run = RunLoop(g, RunFor(2.95, c.limit), env);
    EXPECT_EQ(run.code, c.code);
    ASSERT_EQ(run.samples.size(), c.samples);
    EXPECT_EQ(run.lines.size(), c.samples + 2) << "lines after the sample that ended the run";
    EXPECT_EQ(run.samples.back()["temp"].get<double>(),
              c.temperatures[c.samples - 1 < c.temperatures.size() ? c.samples - 1 : c.temperatures.size() - 1]);
    EXPECT_EQ(run.end["reason"], c.code == 2 ? "temperature" : "time");
    EXPECT_DOUBLE_EQ(run.end["temp_peak"].get<double>(), c.peak);
    // Every reading reaches its own key of the sample line.
    for (const nlohmann::json& sample : run.samples) {
      EXPECT_EQ(sample["fan"], 1200);
      EXPECT_EQ(sample["power"], 18.5);
      EXPECT_EQ(sample["watts"], 185);
      EXPECT_EQ(sample["clock"], 1950);
      EXPECT_EQ(sample["clock_max"], 2100);
      EXPECT_EQ(sample["mem_clock"], 7000);
    }
  }
}

// The host's stop: before the first frame the run writes only its start and
// end lines (nothing counted, no peak); during a frame, that frame ends with
// its sample and the run ends "stopped" with exit 1.
TEST(GpuLoop, StopEndsTheRunWhereItComes) {
  struct Case {
    const char* name;
    bool beforeFirstFrame;
    size_t stopAtReading;  // the sensor reading (1 = first sample) during which the stop comes
    uint64_t frames;
    size_t samples;
  } const cases[] = {
      {"before the first frame", true, 0, 0, 0},
      {"in the frame of the second sample", false, 2, 5, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GpuStressContext g;
    ASSERT_TRUE(CreateLoopContext(&g, SmallProfile()));
    ScriptedClock clock;
    StressLoopEnvironment env = ScriptedEnvironment(clock, 125);
    env.startStdinWatcher = [&c] {
      if (c.beforeFirstFrame) RaiseStop(kStopRequested);
    };
    auto readings = std::make_shared<size_t>(0);
    env.readSensors = [readings, &c](const SensorContext&) {
      if (++*readings == c.stopAtReading) RaiseStop(kStopRequested);
      SensorReading r;
      r.temperature = 60.0;
      return r;
    };
    const LoopRun run = RunLoop(g, RunFor(60.0), env);
    EXPECT_EQ(run.code, 1);
    ASSERT_EQ(run.lines.size(), c.samples + 2);
    EXPECT_EQ(run.samples.size(), c.samples);
    EXPECT_EQ(run.end["reason"], "stopped");
    EXPECT_EQ(run.end["frames"], c.frames);
    if (c.beforeFirstFrame) {
      EXPECT_EQ(run.end["checks"], 0);
      EXPECT_EQ(run.end["errors"], 0);
      EXPECT_EQ(run.end["temp_peak"], -1.0);
    }
  }
}

// The work level adapts at each sample after the first to the frame rate of
// the interval since the previous sample, and the sample line reports the new
// level: too slow cuts it by a fifth, inside the band it stays, too fast
// raises it. (No burn view, so a level of 100 costs nothing here; a clock of
// 1,024 ticks a second keeps every frame time an exact binary fraction.)
TEST(GpuLoop, WorkAdaptsToTheFrameRateOfEachInterval) {
  struct Case {
    const char* name;
    LONGLONG stepTicks;
    double works[4];  // the first four samples
  } const cases[] = {
      {"8 fps: cut", 128, {100.0, 80.0, 64.0, 51.2}},
      {"25.6 fps: inside 0.85 ... 1.1 of 24", 40, {100.0, 100.0, 100.0, 100.0}},
      {"32 fps: raised", 32, {100.0, 126.0, 158.5, 199.125}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LoadProfile profile = SmallProfile();
    profile.targetFrameRate = 24.0;
    profile.initialWork = 100.0;
    GpuStressContext g;
    ASSERT_TRUE(CreateLoopContext(&g, profile));
    g.burnUav.Reset();
    ScriptedClock clock;
    StressLoopEnvironment env = ScriptedEnvironment(clock, c.stepTicks);
    env.counterFrequency = [] { return LONGLONG{1024}; };
    const LoopRun run = RunLoop(g, RunFor(2.2), env);
    EXPECT_EQ(run.code, 0);
    ASSERT_GE(run.samples.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
      SCOPED_TRACE(run.samples[i].dump());
      EXPECT_NEAR(run.samples[i]["work"].get<double>(), c.works[i], 0.5);
    }
  }
}

// Sets the test compiler's directive while it lives: the worker's next
// compilations hand out the faulty kernel of one entry.
class CompilerDirective {
 public:
  explicit CompilerDirective(const char* directive) {
    SetEnvironmentVariableA("VANTOREL_STANDIN_COMPILER", directive);
  }
  ~CompilerDirective() { SetEnvironmentVariableA("VANTOREL_STANDIN_COMPILER", nullptr); }
  CompilerDirective(const CompilerDirective&) = delete;
  CompilerDirective& operator=(const CompilerDirective&) = delete;
};

// A faulty card, 21 frames over two small blocks: every bad word is counted
// once, clustered ones too (2,052 per fill: a lone word, three neighbours in
// one thread's eight words, a whole thread group), and each arithmetic check
// read back adds its one wrong result; the checks themselves count as always.
TEST(GpuLoop, FaultyCardsCountEveryBadWord) {
  struct Case {
    const char* directive;
    uint64_t errorsPerPass;
    uint64_t fewestPasses, passes;
  } const cases[] = {
      // Ten verify passes; the last one's count may still be on its way.
      {"faulty:FillCS", 2052, 9, 10},
      {"faulty:CheckCS", 1, 2, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.directive);
    LoadProfile profile = SmallProfile();
    profile.blocksWanted = 2;
    GpuStressContext g;
    {
      const CompilerDirective directive(c.directive);
      ASSERT_TRUE(CreateLoopContext(&g, profile));
    }
    ASSERT_EQ(g.blocks.size(), 2u);
    ScriptedClock clock;
    // Frames at t = 0.125 ... 2.625; arithmetic checks at 1.0 and 2.0.
    const LoopRun run = RunLoop(g, RunFor(2.7), ScriptedEnvironment(clock, 125));
    EXPECT_EQ(run.code, 0);
    ASSERT_EQ(run.end["frames"], 21);
    EXPECT_EQ(run.end["checks"], 10 + 2);
    const uint64_t errors = run.end["errors"].get<uint64_t>();
    EXPECT_EQ(errors % c.errorsPerPass, 0u) << "a pass counted in part";
    EXPECT_GE(errors, c.fewestPasses * c.errorsPerPass);
    EXPECT_LE(errors, c.passes * c.errorsPerPass);
  }
}

// A runtime that does not know level 11.1 rejects any list holding it with
// E_INVALIDARG; otherwise it is the real one. Records each call's list.
std::vector<std::vector<D3D_FEATURE_LEVEL>> deviceCalls;
HRESULT deviceAnswer = S_OK;  // S_OK: act as the runtime says; else refuse every call with it

HRESULT WINAPI RuntimeWithout111(IDXGIAdapter* adapter, D3D_DRIVER_TYPE type, HMODULE software, UINT flags,
                                 const D3D_FEATURE_LEVEL* levels, UINT count, UINT sdk, ID3D11Device** device,
                                 D3D_FEATURE_LEVEL* obtained, ID3D11DeviceContext** context) {
  deviceCalls.emplace_back(levels, levels + count);
  if (FAILED(deviceAnswer)) return deviceAnswer;
  for (UINT i = 0; i < count; ++i) {
    if (levels[i] == D3D_FEATURE_LEVEL_11_1) return E_INVALIDARG;
  }
  return D3D11CreateDevice(adapter, type, software, flags, levels, count, sdk, device, obtained, context);
}

HRESULT WINAPI RuntimeWith111(IDXGIAdapter* adapter, D3D_DRIVER_TYPE type, HMODULE software, UINT flags,
                              const D3D_FEATURE_LEVEL* levels, UINT count, UINT sdk, ID3D11Device** device,
                              D3D_FEATURE_LEVEL* obtained, ID3D11DeviceContext** context) {
  deviceCalls.emplace_back(levels, levels + count);
  return D3D11CreateDevice(adapter, type, software, flags, levels, count, sdk, device, obtained, context);
}

// The device is asked for 11.1 and 11.0 first; a runtime that rejects that
// list is asked for 11.0 alone, and the run gets its device; when both calls
// fail there is no device.
TEST(GpuSetup, DeviceFallsBackToLevel110Alone) {
  using Levels = std::vector<D3D_FEATURE_LEVEL>;
  const Levels both{D3D_FEATURE_LEVEL_11_1, D3D_FEATURE_LEVEL_11_0};
  const Levels alone{D3D_FEATURE_LEVEL_11_0};
  struct Case {
    const char* name;
    PFN_D3D11_CREATE_DEVICE create;
    HRESULT answer;
    bool created;
    std::vector<Levels> calls;
  } const cases[] = {
      {"runtime knows 11.1", RuntimeWith111, S_OK, true, {both}},
      {"runtime without 11.1", RuntimeWithout111, S_OK, true, {both, alone}},
      {"no device at all", RuntimeWithout111, DXGI_ERROR_UNSUPPORTED, false, {both, alone}},
  };
  ComPtr<IDXGIFactory1> factory;
  ASSERT_TRUE(SUCCEEDED(CreateDXGIFactory1(__uuidof(IDXGIFactory1), reinterpret_cast<void**>(factory.GetAddressOf()))));
  DXGI_ADAPTER_DESC1 desc{};
  ComPtr<IDXGIAdapter1> adapter;
  adapter.Attach(ChooseAdapter(factory.Get(), -1, &desc));
  ASSERT_TRUE(adapter);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    deviceCalls.clear();
    deviceAnswer = c.answer;
    GpuStressContext g;
    EXPECT_EQ(CreateDevice(c.create, adapter.Get(), &g), c.created);
    EXPECT_EQ(static_cast<bool>(g.device), c.created);
    EXPECT_EQ(static_cast<bool>(g.context), c.created);
    EXPECT_EQ(deviceCalls, c.calls);
  }
}

// The device goes away while the fifth frame runs: that frame still counts, nothing
// after it runs, and the run ends "driver_reset" with exit 3.
TEST(GpuLoop, LostDeviceEndsTheRun) {
  GpuStressContext g;
  ASSERT_TRUE(CreateLoopContext(&g, SmallProfile()));
  ScriptedClock clock;
  StressLoopEnvironment env = ScriptedEnvironment(clock, 125);
  // While frame k runs the next tick to hand out is (k + 2) * 125.
  env.deviceRemovedReason = [ticks = clock.ticks](ID3D11Device*) {
    return *ticks > 625 ? DXGI_ERROR_DEVICE_REMOVED : S_OK;
  };
  const LoopRun run = RunLoop(g, RunFor(60.0), env);
  EXPECT_EQ(run.code, 3);
  ASSERT_EQ(run.lines.size(), 3u);  // start, the sample of the first frame, end
  EXPECT_EQ(run.end["reason"], "driver_reset");
  EXPECT_EQ(run.end["frames"], 5);
  EXPECT_EQ(*clock.ticks, 750) << "a frame began after the device was lost";
}

// Slots whose queries are missing are passed over, so the others go on
// timing frames and "busy" becomes a measured share after the first sample.
TEST(GpuLoop, MissingTimestampSlotsDoNotStopTiming) {
  GpuStressContext probe;
  ASSERT_TRUE(CreateLoopContext(&probe, SmallProfile()));
  if (!probe.slots[0].disjoint || !probe.slots[0].begin) GTEST_SKIP() << "no timestamp queries on this device";

  struct Case {
    const char* name;
    std::vector<int> missing;
  } const cases[] = {
      {"all slots there", {}},
      {"the first slot missing", {0}},
      {"only the last slot left", {0, 1, 2, 3, 4}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GpuStressContext g;
    ASSERT_TRUE(CreateLoopContext(&g, SmallProfile()));
    for (int slot : c.missing) g.slots[slot].end.Reset();
    ScriptedClock clock;
    const LoopRun run = RunLoop(g, RunFor(2.05), ScriptedEnvironment(clock, 125));
    EXPECT_EQ(run.code, 0);
    ASSERT_GE(run.samples.size(), 3u);
    EXPECT_EQ(run.samples[0]["busy"], -1);
    int measured = 0;
    for (size_t i = 1; i < run.samples.size(); ++i) {
      const int busy = run.samples[i]["busy"].get<int>();
      EXPECT_LE(busy, 100);
      if (busy >= 0) ++measured;
    }
    EXPECT_GE(measured, 2) << "timing stopped";
  }
}

struct PipelineCount {
  ComPtr<ID3D11Query> query;
};

// Compute-shader threads run between Begin and End on the device's context.
bool StartCountingComputeThreads(GpuStressContext& g, PipelineCount* count) {
  D3D11_QUERY_DESC desc{D3D11_QUERY_PIPELINE_STATISTICS, 0};
  if (FAILED(g.device->CreateQuery(&desc, &count->query))) return false;
  g.context->Begin(count->query.Get());
  return true;
}

bool ComputeThreadsRun(GpuStressContext& g, PipelineCount* count, uint64_t* threads) {
  g.context->End(count->query.Get());
  D3D11_QUERY_DATA_PIPELINE_STATISTICS stats{};
  for (int i = 0; i < 2000; ++i) {
    const HRESULT hr = g.context->GetData(count->query.Get(), &stats, sizeof(stats), 0);
    if (hr == S_OK) {
      *threads = stats.CSInvocations;
      return true;
    }
    if (FAILED(hr)) return false;
    Sleep(1);
  }
  return false;
}

std::vector<uint32_t> ReadBuffer(GpuStressContext& g, ID3D11Buffer* buffer) {
  D3D11_BUFFER_DESC desc{};
  buffer->GetDesc(&desc);
  D3D11_BUFFER_DESC staging{};
  staging.ByteWidth = desc.ByteWidth;
  staging.Usage = D3D11_USAGE_STAGING;
  staging.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  ComPtr<ID3D11Buffer> copy;
  std::vector<uint32_t> words;
  if (FAILED(g.device->CreateBuffer(&staging, nullptr, &copy))) return words;
  g.context->CopyResource(copy.Get(), buffer);
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (FAILED(g.context->Map(copy.Get(), 0, D3D11_MAP_READ, 0, &mapped))) return words;
  words.resize(desc.ByteWidth / 4);
  memcpy(words.data(), mapped.pData, desc.ByteWidth);
  g.context->Unmap(copy.Get(), 0);
  return words;
}

// Burn work is the integer part of the work level in dispatches of 4,096
// groups per frame: the card runs exactly that many threads, plus the particle
// kernel's over all particles. (Burn dispatches are slow on a software
// rasteriser, so three frames.)
TEST(GpuLoop, BurnDispatchesFollowTheWorkLevel) {
  LoadProfile profile = SmallProfile();
  profile.initialWork = 2.75;  // no target frame rate: it stays
  GpuStressContext g;
  ASSERT_TRUE(CreateLoopContext(&g, profile));
  ASSERT_TRUE(g.burnUav);
  PipelineCount count;
  ASSERT_TRUE(StartCountingComputeThreads(g, &count));
  ScriptedClock clock;
  const LoopRun run = RunLoop(g, RunFor(0.4), ScriptedEnvironment(clock, 125));  // frames at 0.125, 0.25, 0.375
  EXPECT_EQ(run.code, 0);
  ASSERT_EQ(run.end["frames"], 3);
  EXPECT_EQ(run.samples[0]["work"], 3) << "the level itself is reported rounded";
  uint64_t threads = 0;
  ASSERT_TRUE(ComputeThreadsRun(g, &count, &threads)) << "the device counts no compute threads";
  EXPECT_EQ(threads, 3 * (2 * kBurnGroups * 256 + 4 * 256 /* 1000 particles */));

  // And they ran on the burn buffer: every element holds a finite sum of chains.
  const std::vector<uint32_t> words = ReadBuffer(g, g.burn.Get());
  ASSERT_EQ(words.size(), 4u * profile.burnItems);
  int unwritten = 0;
  for (uint32_t word : words) {
    float value;
    memcpy(&value, &word, sizeof(value));
    if (!(value > 0.0f && value < 100.0f)) ++unwritten;
  }
  EXPECT_EQ(unwritten, 0);
}

// 21 frames over three small blocks: each block holds the pattern of the seed
// it was last filled with (the cursor moves on after every verify, the seed
// after every round of blocks), every verify and arithmetic check is counted,
// and the arithmetic check runs once a second, not every frame.
TEST(GpuLoop, VideoMemoryAndArithmeticChecksCoverTheirWork) {
  LoadProfile profile = SmallProfile();
  profile.blocksWanted = 3;
  GpuStressContext g;
  ASSERT_TRUE(CreateLoopContext(&g, profile));
  ASSERT_EQ(g.blocks.size(), 3u);

  PipelineCount count;
  ASSERT_TRUE(StartCountingComputeThreads(g, &count));
  ScriptedClock clock;
  // Frames at t = 0.125 ... 2.625; arithmetic checks at 1.0 and 2.0.
  const LoopRun run = RunLoop(g, RunFor(2.7), ScriptedEnvironment(clock, 125));
  EXPECT_EQ(run.code, 0);
  ASSERT_EQ(run.end["frames"], 21);

  constexpr uint64_t kFrames = 21;
  constexpr uint64_t kVerifies = 10;  // fills in frames 0, 2, ... 20; verifies in 1, 3, ... 19
  constexpr uint64_t kArithmeticChecks = 2;
  EXPECT_EQ(run.end["checks"], kVerifies + kArithmeticChecks);
  EXPECT_EQ(run.end["errors"], 0);

  uint64_t threads = 0;
  ASSERT_TRUE(ComputeThreadsRun(g, &count, &threads)) << "the device counts no compute threads";
  const uint64_t perFrame = 4 * 256 /* 1000 particles */ + BlockGroups(16384) * 256;
  EXPECT_EQ(threads, kFrames * perFrame + kArithmeticChecks * kCheckGroups * 256);

  // Seeds: s0 for the first round of blocks, then one step per round.
  const uint32_t s2 = NextPatternSeed(NextPatternSeed(kFirstPatternSeed));
  const uint32_t s3 = NextPatternSeed(s2);
  // Fills: block 0 in frames 0, 6, 12, 18; block 1 in 2, 8, 14, 20; block 2 in 4, 10, 16.
  const uint32_t lastSeed[3] = {s3, s3, s2};
  for (int b = 0; b < 3; ++b) {
    SCOPED_TRACE(testing::Message() << "block " << b);
    const std::vector<uint32_t> words = ReadBuffer(g, g.blocks[b].buffer.Get());
    ASSERT_EQ(words.size(), 16384u);
    int wrong = 0;
    for (uint32_t i = 0; i < words.size(); ++i) wrong += words[i] != Pattern(i, lastSeed[b]);
    EXPECT_EQ(wrong, 0);
  }
}

// One frame of the particle kernel on the processor, step for step.
struct Vec3 {
  float x, y, z;
};
Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(Vec3 a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Flow(Vec3 p, float t) {
  return Vec3{std::sin(p.y * 1.7f + t) + std::cos(p.z * 1.3f - t * 0.7f),
              std::sin(p.z * 1.9f - t * 0.6f) + std::cos(p.x * 1.1f + t * 0.4f),
              std::sin(p.x * 1.5f + t * 0.5f) + std::cos(p.y * 1.2f - t)} *
         0.5f;
}

void MoveOnProcessor(Particle& q, float time, float dt, uint32_t rounds) {
  Vec3 p{q.pos[0], q.pos[1], q.pos[2]};
  Vec3 v{q.vel[0], q.vel[1], q.vel[2]};
  const float h = dt / static_cast<float>(rounds);
  for (uint32_t r = 0; r < rounds; ++r) {
    const Vec3 toCenter = p * (-1.0f / std::max(0.15f, Dot(p, p)));
    const Vec3 swirl{-p.z, 0.15f * std::sin(time + p.x), p.x};
    v = v + (Flow(p * 1.3f, time) * 0.9f + toCenter * 0.35f + swirl * 0.6f) * h;
    v = v * (1.0f - 0.35f * h);
    p = p + v * h;
  }
  if (Dot(p, p) > 16.0f) {
    p = p * 0.25f;
    v = v * -0.2f;
  }
  q.pos[0] = p.x, q.pos[1] = p.y, q.pos[2] = p.z;
  q.vel[0] = v.x, q.vel[1] = v.y, q.vel[2] = v.z;
}

// Four frames move every particle (the last of 1,000 too) exactly as four
// steps of the kernel on the processor with the frames' times: a frame
// without its particle dispatch, a wrong dt, time or step count shows.
TEST(GpuLoop, ParticlesMoveAsTheFramesSay) {
  GpuStressContext g;
  ASSERT_TRUE(CreateLoopContext(&g, SmallProfile()));
  ScriptedClock clock;
  const LoopRun run = RunLoop(g, RunFor(0.55), ScriptedEnvironment(clock, 125));  // t = 0.125 ... 0.5
  ASSERT_EQ(run.end["frames"], 4);

  std::vector<Particle> expected(1000), fewer(1000);
  GenerateParticles(expected.data(), 1000);
  for (int frame = 0; frame < 4; ++frame) {
    if (frame == 3) fewer = expected;
    // dt is the time since the previous frame, at most 0.05.
    for (Particle& q : expected) MoveOnProcessor(q, 0.125f * static_cast<float>(frame + 1), 0.05f, 2);
  }
  const std::vector<uint32_t> words = ReadBuffer(g, g.particles.Get());
  ASSERT_EQ(words.size(), 1000u * 8);
  std::vector<Particle> card(1000);
  memcpy(card.data(), words.data(), words.size() * 4);
  double worst = 0.0, gap = 1e9;
  for (size_t i = 0; i < card.size(); ++i) {
    double offBy = 0.0, missingFrame = 0.0;
    for (int k = 0; k < 3; ++k) {
      offBy = std::max(offBy, static_cast<double>(std::fabs(card[i].pos[k] - expected[i].pos[k])));
      offBy = std::max(offBy, static_cast<double>(std::fabs(card[i].vel[k] - expected[i].vel[k])));
      missingFrame = std::max(missingFrame, static_cast<double>(std::fabs(fewer[i].pos[k] - expected[i].pos[k])));
    }
    worst = std::max(worst, offBy);
    gap = std::min(gap, missingFrame);
    EXPECT_EQ(card[i].pos[3], 1.0f) << i;
    EXPECT_EQ(card[i].vel[3], 0.0f) << i;
  }
  EXPECT_LT(worst, 1e-4) << "the card's particles are not where four frames put them";
  EXPECT_GT(gap, 1e-3) << "one frame less would go unnoticed";
}

}  // namespace

#include "probe/gpu/gpu_stress_loop.h"

#include <cstdio>
#include <cstring>

#include "probe/core/event_line.h"
#include "probe/core/exit_codes.h"
#include "probe/core/stop_control.h"

namespace {

constexpr size_t kLineBytes = 1400;

struct LoopState {
  uint64_t frames = 0;
  uint64_t checks = 0;
  uint64_t errors = 0;
  double work = 0.0;
  uint32_t seed = kFirstPatternSeed;
  uint32_t blockCursor = 0;
  bool fillPhase = true;
  bool checkPending = false;
  bool countPending = false;
  uint64_t lastWrongTotal = 0;
  double nextCheckT = 1.0;
  double nextSampleT = 0.0;
  double lastSampleT = 0.0;
  uint64_t lastSampleFrames = 0;
  double busyMs = 0.0;
  uint32_t timestampIndex = 0;
  double temperaturePeak = -1.0;
};

struct EndReason {
  const char* word;
  int exitCode;
};
constexpr EndReason kTime{"time", kExitDone};
constexpr EndReason kStopped{"stopped", kExitStopped};
constexpr EndReason kTemperature{"temperature", kExitTemperature};
constexpr EndReason kDriverReset{"driver_reset", kExitDriverReset};

int End(GpuStressContext& g, const LoopState& s, EndReason reason) {
  char line[kLineBytes];
  snprintf(line, sizeof(line),
           "{\"event\":\"end\",\"reason\":\"%s\",\"frames\":%llu,\"checks\":%llu,\"errors\":%llu,"
           "\"temp_peak\":%.1f}",
           reason.word, static_cast<unsigned long long>(s.frames), static_cast<unsigned long long>(s.checks),
           static_cast<unsigned long long>(s.errors), s.temperaturePeak);
  WriteEventLine(line);
  CloseSensorContext(&g.sensors);
  g.reference.reset();
  return reason.exitCode;
}

void UnbindUavs(ID3D11DeviceContext* c) {
  ID3D11UnorderedAccessView* none[2] = {};
  c->CSSetUnorderedAccessViews(0, 2, none, nullptr);
}

void WriteFrame(GpuStressContext& g, const LoopState& s, float t, float dt) {
  D3D11_MAPPED_SUBRESOURCE mapped{};
  // A failed map keeps the previous frame's values.
  if (FAILED(g.context->Map(g.frame.Get(), 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped))) return;
  Frame frame{t, dt, kAspect, g.profile.spriteSize, g.profile.particles, g.profile.rounds, s.seed,
              g.profile.blockWords,
              g.profile.burnItems, 0, 0, 0};
  WriteFrameBytes(frame, static_cast<unsigned char*>(mapped.pData));
  g.context->Unmap(g.frame.Get(), 0);
}

void Burn(GpuStressContext& g, const LoopState& s) {
  if (s.work < 1.0 || !g.burnUav) return;
  ID3D11DeviceContext* c = g.context.Get();
  c->CSSetShader(g.burnCS.Get(), nullptr, 0);
  ID3D11UnorderedAccessView* view = g.burnUav.Get();
  c->CSSetUnorderedAccessViews(0, 1, &view, nullptr);
  const int dispatches = static_cast<int>(s.work);
  for (int k = 0; k < dispatches; ++k) c->Dispatch(kBurnGroups, 1, 1);
  ID3D11UnorderedAccessView* none = nullptr;
  c->CSSetUnorderedAccessViews(0, 1, &none, nullptr);
}

void MoveParticles(GpuStressContext& g) {
  ID3D11DeviceContext* c = g.context.Get();
  c->CSSetShader(g.moveCS.Get(), nullptr, 0);
  ID3D11UnorderedAccessView* view = g.particleUav.Get();
  c->CSSetUnorderedAccessViews(0, 1, &view, nullptr);
  c->Dispatch((g.profile.particles + 255) / 256, 1, 1);
  UnbindUavs(c);
}

// One block is filled in one frame and verified in the next, block after block.
void CheckVideoMemory(GpuStressContext& g, LoopState& s) {
  if (g.blocks.empty()) return;
  ID3D11DeviceContext* c = g.context.Get();
  ID3D11UnorderedAccessView* views[2] = {g.blocks[s.blockCursor].view.Get(), g.wrongUav.Get()};
  c->CSSetUnorderedAccessViews(0, 2, views, nullptr);
  if (s.fillPhase) {
    c->CSSetShader(g.fillCS.Get(), nullptr, 0);
    c->Dispatch(BlockGroups(g.profile.blockWords), 1, 1);
    s.fillPhase = false;
  } else {
    c->CSSetShader(g.verifyCS.Get(), nullptr, 0);
    c->Dispatch(BlockGroups(g.profile.blockWords), 1, 1);
    s.fillPhase = true;
    s.checks += 1;
    s.blockCursor = (s.blockCursor + 1) % static_cast<uint32_t>(g.blocks.size());
    if (s.blockCursor == 0) s.seed = NextPatternSeed(s.seed);
    // One copy outstanding at a time; a later copy picks up this pass's count.
    if (!s.countPending) {
      c->CopyResource(g.wrongStaging.Get(), g.wrong.Get());
      s.countPending = true;
    }
  }
  UnbindUavs(c);
}

void StartArithmeticCheck(GpuStressContext& g, LoopState& s, double t) {
  if (t < s.nextCheckT || s.checkPending) return;
  ID3D11DeviceContext* c = g.context.Get();
  c->CSSetShader(g.checkCS.Get(), nullptr, 0);
  ID3D11UnorderedAccessView* view = g.checkUav.Get();
  c->CSSetUnorderedAccessViews(0, 1, &view, nullptr);
  c->Dispatch(kCheckGroups, 1, 1);
  UnbindUavs(c);
  c->CopyResource(g.checkStaging.Get(), g.check.Get());
  s.checkPending = true;
  s.nextCheckT = t + 1.0;
}

}  // namespace

void DrawParticles(GpuStressContext& g) {
  if (!g.targetView) return;
  ID3D11DeviceContext* c = g.context.Get();
  ID3D11RenderTargetView* target = g.targetView.Get();
  c->OMSetRenderTargets(1, &target, nullptr);
  const float clear[4] = {0.012f, 0.02f, 0.045f, 1.0f};
  c->ClearRenderTargetView(target, clear);
  D3D11_VIEWPORT viewport{0.0f, 0.0f, static_cast<float>(kTargetWidth), static_cast<float>(kTargetHeight), 0.0f, 1.0f};
  c->RSSetViewports(1, &viewport);
  c->RSSetState(g.raster.Get());
  c->OMSetBlendState(g.blend.Get(), nullptr, 0xFFFFFFFF);
  c->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  c->IASetInputLayout(nullptr);
  c->VSSetShader(g.drawVS.Get(), nullptr, 0);
  c->PSSetShader(g.drawPS.Get(), nullptr, 0);
  ID3D11ShaderResourceView* particles = g.particleSrv.Get();
  c->VSSetShaderResources(0, 1, &particles);
  c->Draw(g.profile.particles * 6, 0);
  ID3D11ShaderResourceView* none = nullptr;
  c->VSSetShaderResources(0, 1, &none);
}

namespace {

bool SlotUsable(const TimestampSlot& slot) { return slot.disjoint && slot.begin && slot.end; }

// Never flushes or waits: a slot that is not ready stays pending for a later frame.
void CollectTimings(GpuStressContext& g, LoopState& s) {
  ID3D11DeviceContext* c = g.context.Get();
  for (TimestampSlot& slot : g.slots) {
    if (!slot.pending) continue;
    D3D11_QUERY_DATA_TIMESTAMP_DISJOINT disjoint{};
    UINT64 begin = 0, end = 0;
    if (c->GetData(slot.disjoint.Get(), &disjoint, sizeof(disjoint), D3D11_ASYNC_GETDATA_DONOTFLUSH) != S_OK ||
        c->GetData(slot.begin.Get(), &begin, sizeof(begin), D3D11_ASYNC_GETDATA_DONOTFLUSH) != S_OK ||
        c->GetData(slot.end.Get(), &end, sizeof(end), D3D11_ASYNC_GETDATA_DONOTFLUSH) != S_OK) {
      continue;
    }
    // Some drivers hand back pairs with end before begin; they measure nothing.
    if (!disjoint.Disjoint && disjoint.Frequency != 0 && end > begin) {
      s.busyMs += static_cast<double>(end - begin) * 1000.0 / static_cast<double>(disjoint.Frequency);
    }
    slot.pending = false;
  }
}

// At most one frame stays in flight: wait for the one issued a frame earlier.
void WaitForPreviousFrame(GpuStressContext& g, const LoopState& s, const StressLoopEnvironment& env) {
  ID3D11DeviceContext* c = g.context.Get();
  ID3D11Query* current = g.fence[s.frames % 2].Get();
  ID3D11Query* previous = g.fence[(s.frames + 1) % 2].Get();
  if (current) c->End(current);
  if (s.frames == 0 || !previous || StopRaised()) return;
  BOOL done = FALSE;
  while (c->GetData(previous, &done, sizeof(done), 0) == S_FALSE) {
    if (FAILED(env.deviceRemovedReason(g.device.Get()))) return;
    env.sleep(0);
    if (StopRaised()) return;
  }
}

void ReadBackChecks(GpuStressContext& g, LoopState& s) {
  ID3D11DeviceContext* c = g.context.Get();
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (s.checkPending &&
      SUCCEEDED(c->Map(g.checkStaging.Get(), 0, D3D11_MAP_READ, D3D11_MAP_FLAG_DO_NOT_WAIT, &mapped))) {
    s.errors += CountMismatches(static_cast<const uint32_t*>(mapped.pData), g.reference.get(), kCheckWords);
    c->Unmap(g.checkStaging.Get(), 0);
    s.checks += 1;
    s.checkPending = false;
  }
  if (s.countPending &&
      SUCCEEDED(c->Map(g.wrongStaging.Get(), 0, D3D11_MAP_READ, D3D11_MAP_FLAG_DO_NOT_WAIT, &mapped))) {
    uint32_t wrongTotal = 0;
    std::memcpy(&wrongTotal, mapped.pData, sizeof(wrongTotal));
    c->Unmap(g.wrongStaging.Get(), 0);
    s.errors += TakeWrongGrowth(wrongTotal, &s.lastWrongTotal);
    s.countPending = false;
  }
}

// Returns true when the temperature guard ends the run.
bool Sample(GpuStressContext& g, LoopState& s, const Options& options, double t, const StressLoopEnvironment& env) {
  s.nextSampleT = t + 0.5;
  const SampleOutcome outcome =
      ComputeSample({t, s.frames, s.lastSampleT, s.lastSampleFrames, s.busyMs, s.work, g.profile.targetFrameRate});
  s.work = outcome.work;
  s.busyMs = 0.0;
  s.lastSampleFrames = s.frames;
  s.lastSampleT = t;

  const SensorReading r = env.readSensors(g.sensors);
  if (r.temperature > s.temperaturePeak) s.temperaturePeak = r.temperature;
  char line[kLineBytes];
  snprintf(line, sizeof(line),
           "{\"t\":%.2f,\"frames\":%llu,\"checks\":%llu,\"errors\":%llu,\"temp\":%.1f,\"fan\":%.0f,\"power\":%.1f,"
           "\"watts\":%.0f,\"clock\":%.0f,\"clock_max\":%.0f,\"mem_clock\":%.0f,\"work\":%.0f,\"busy\":%.0f}",
           t, static_cast<unsigned long long>(s.frames), static_cast<unsigned long long>(s.checks),
           static_cast<unsigned long long>(s.errors), r.temperature, r.fan, r.power, r.watts, r.clock, r.clockMax,
           r.memClock, s.work, outcome.busyShare < 0 ? -1.0 : outcome.busyShare * 100.0);
  WriteEventLine(line);
  // An unavailable temperature (-1) never ends the run.
  return r.temperature >= options.limit;
}

}  // namespace

int RunStressLoop(GpuStressContext& g, const Options& options, const StressLoopEnvironment& env) {
  char line[kLineBytes];
  snprintf(line, sizeof(line),
           "{\"event\":\"start\",\"gpu\":\"%s\",\"vram\":%llu,\"particles\":%u,\"blocks\":%u,\"load\":%d,"
           "\"minutes\":%.2f,\"limit\":%.1f,\"sensors\":%s,\"temp_max\":%.1f,\"temp_warn\":%.1f}",
           g.adapterName, static_cast<unsigned long long>(g.adapter.DedicatedVideoMemory), g.profile.particles,
           static_cast<unsigned>(g.blocks.size()), static_cast<int>(g.mode), options.minutes, options.limit,
           g.sensors.available ? "true" : "false", g.sensors.temperatureMax, g.sensors.temperatureWarning);
  WriteEventLine(line);
  env.startStdinWatcher();

  const double ticksPerSecond = static_cast<double>(env.counterFrequency());
  const LONGLONG base = env.readCounter();
  LoopState s;
  s.work = g.profile.initialWork;
  if (StopRaised()) return End(g, s, kStopped);

  ID3D11DeviceContext* c = g.context.Get();
  LONGLONG previous = base;
  bool usable[kTimestampSlots];
  for (int i = 0; i < kTimestampSlots; ++i) usable[i] = SlotUsable(g.slots[i]);
  for (;;) {
    const LONGLONG now = env.readCounter();
    const double t = static_cast<double>(now - base) / ticksPerSecond;
    float dt = static_cast<float>(static_cast<double>(now - previous) / ticksPerSecond);
    if (dt > 0.05f) dt = 0.05f;
    previous = now;
    if (t >= options.minutes * 60.0) return End(g, s, kTime);

    WriteFrame(g, s, static_cast<float>(t), dt);
    ID3D11Buffer* frame = g.frame.Get();
    c->CSSetConstantBuffers(0, 1, &frame);
    c->VSSetConstantBuffers(0, 1, &frame);
    c->PSSetConstantBuffers(0, 1, &frame);

    bool pending[kTimestampSlots];
    for (int i = 0; i < kTimestampSlots; ++i) pending[i] = g.slots[i].pending;
    const int32_t slotIndex = ChooseTimestampSlot(usable, pending, kTimestampSlots, &s.timestampIndex);
    const bool timed = slotIndex >= 0;
    TimestampSlot& slot = g.slots[timed ? slotIndex : 0];
    if (timed) {
      c->Begin(slot.disjoint.Get());
      c->End(slot.begin.Get());
    }
    Burn(g, s);
    MoveParticles(g);
    CheckVideoMemory(g, s);
    StartArithmeticCheck(g, s, t);
    DrawParticles(g);
    if (timed) {
      c->End(slot.end.Get());
      c->End(slot.disjoint.Get());
      slot.pending = true;
      s.timestampIndex += 1;
    }
    CollectTimings(g, s);
    WaitForPreviousFrame(g, s, env);

    if (g.profile.capAt60) {
      const double spent = static_cast<double>(env.readCounter() - now) / ticksPerSecond;
      if (spent < 1.0 / 60.0) env.sleep(static_cast<DWORD>((1.0 / 60.0 - spent) * 1000.0));
    }
    s.frames += 1;
    if (env.deviceRemovedReason(g.device.Get()) != S_OK) return End(g, s, kDriverReset);
    ReadBackChecks(g, s);
    if (t >= s.nextSampleT && Sample(g, s, options, t, env)) return End(g, s, kTemperature);
    if (StopRaised()) return End(g, s, kStopped);
  }
}

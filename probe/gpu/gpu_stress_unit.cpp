#include "probe/gpu/gpu_stress_unit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

uint32_t CheckValue(uint32_t i) {
  uint32_t x = i * 2654435761u + 0x9E3779B9u;
  uint32_t y = i ^ 0xA511E9B3u;
  for (int r = 0; r < 1024; ++r) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    y = y * 1664525u + 1013904223u;
    x += y ^ (x >> 7);
  }
  return x;
}

uint32_t Pattern(uint32_t i, uint32_t seed) {
  const uint32_t v = (i ^ seed) * 0x27D4EB2Du;
  return v ^ (v >> 15) ^ seed;
}

void GenerateParticles(Particle* particles, uint32_t count) {
  uint32_t s = 12345;
  auto next = [&s] {
    s = s * 1664525u + 1013904223u;
    return static_cast<float>(s >> 8) * (1.0f / 16777216.0f);
  };
  for (uint32_t k = 0; k < count; ++k) {
    const float angle = next() * 6.2831855f;
    const float radius = next() * 1.4f + 0.3f;
    const float y = (next() - 0.5f) * 0.6f;
    const float c = std::cos(angle);
    const float n = std::sin(angle);
    Particle& p = particles[k];
    p.pos[0] = c * radius;
    p.pos[1] = y;
    p.pos[2] = n * radius;
    p.pos[3] = 1.0f;
    p.vel[0] = -n * 0.4f;
    p.vel[1] = 0.0f;
    p.vel[2] = c * 0.4f;
    p.vel[3] = 0.0f;
  }
}

void WriteFrameBytes(const Frame& frame, unsigned char* bytes48) {
  // Field by field at the shader's offsets, independent of the compiler's layout.
  const uint32_t words[12] = {0, 0, 0, 0, frame.count, frame.rounds, frame.seed, frame.chunkWords,
                              frame.burnItems, frame.pad0, frame.pad1, frame.pad2};
  std::memcpy(bytes48, words, sizeof(words));
  std::memcpy(bytes48 + 0, &frame.time, 4);
  std::memcpy(bytes48 + 4, &frame.dt, 4);
  std::memcpy(bytes48 + 8, &frame.aspect, 4);
  std::memcpy(bytes48 + 12, &frame.size, 4);
}

LoadProfile ProfileForMode(int32_t mode, uint64_t dedicatedVideoMemory) {
  switch (mode) {
    case 0:
      return {262144, 2, 0.022f, 0.0, 0.0, 65536, 1, true};
    case 2: {
      const uint64_t units = dedicatedVideoMemory / 268435456ull;
      const uint32_t blocks = static_cast<uint32_t>(std::clamp<uint64_t>(units, 1, kMaxBlocks));
      return {524288, 6, 0.022f, 30.0, 2.0, 16777216, blocks, false};
    }
    default:
      return {2097152, 24, 0.06f, 24.0, 2.0, 16777216, 1, false};
  }
}

int32_t ChooseTimestampSlot(const bool* usable, const bool* pending, uint32_t slots, uint32_t* ringIndex) {
  for (uint32_t tried = 0; tried < slots; ++tried) {
    const uint32_t slot = *ringIndex % slots;
    if (usable[slot]) return pending[slot] ? -1 : static_cast<int32_t>(slot);
    *ringIndex += 1;
  }
  return -1;
}

int32_t ChooseAdapterIndex(const AdapterFacts* adapters, size_t count, int32_t requested) {
  if (requested >= 0) return static_cast<size_t>(requested) < count ? requested : -1;
  int32_t chosen = -1;
  for (size_t i = 0; i < count; ++i) {
    if (adapters[i].flags & kAdapterFlagSoftware) continue;
    if (chosen < 0 || adapters[i].dedicatedVideoMemory > adapters[chosen].dedicatedVideoMemory) {
      chosen = static_cast<int32_t>(i);
    }
  }
  return chosen;
}

double AdaptWork(double work, double frameRate, double targetFrameRate) {
  if (!(targetFrameRate > 0.0)) return work;
  if (targetFrameRate * 0.85 > frameRate) {
    work *= 0.8;
  } else if (frameRate > targetFrameRate * 1.1) {
    work = work * 1.25 + 1.0;
  }
  return std::min(work, kMaxWork);
}

SampleOutcome ComputeSample(const SampleInputs& in) {
  SampleOutcome out{-1.0, in.work};
  const double interval = in.t - in.lastSampleT;
  // Too short an interval says nothing about the frame rate.
  if (!(interval > 0.2)) return out;
  const double frameRate = static_cast<double>(in.frames - in.lastSampleFrames) / interval;
  if (in.busyMs > 0.0) out.busyShare = std::min(1.0, in.busyMs / (interval * 1000.0));
  out.work = AdaptWork(in.work, frameRate, in.targetFrameRate);
  return out;
}

uint64_t CountMismatches(const uint32_t* card, const uint32_t* reference, size_t count) {
  uint64_t differing = 0;
  for (size_t i = 0; i < count; ++i) differing += card[i] != reference[i];
  return differing;
}

uint64_t TakeWrongGrowth(uint32_t wrongTotal, uint64_t* lastWrongTotal) {
  const uint32_t growth = wrongTotal - static_cast<uint32_t>(*lastWrongTotal);
  *lastWrongTotal += growth;
  return growth;
}

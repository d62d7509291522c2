// The computed parts of the GPU stress, called directly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "probe/gpu/gpu_stress_unit.h"

namespace {

// A slot with a missing query is passed over instead of stalling the ring on it;
// a usable slot that is still pending is waited for; none usable: no timing.
TEST(TimestampRing, SkipsUnusableSlotsAndWaitsForPendingOnes) {
  struct Case {
    const char* name;
    const char* usable;   // one character per slot, '1' usable
    const char* pending;  // '1' pending
    uint32_t index;
    int32_t slot;
    uint32_t indexAfter;
  } const cases[] = {
      {"usable and free", "111111", "000000", 0, 0, 0},
      {"ring index past the end", "111111", "000000", 13, 1, 13},
      {"current slot missing", "011111", "000000", 0, 1, 1},
      {"several missing, wrapping", "100001", "000000", 1, 5, 5},
      {"wraps to the only usable slot", "100000", "000000", 3, 0, 6},
      {"usable slot pending: wait", "111111", "010000", 1, -1, 1},
      {"missing then pending", "011111", "010000", 0, -1, 1},
      {"none usable", "000000", "000000", 4, -1, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool usable[6], pending[6];
    for (int i = 0; i < 6; ++i) {
      usable[i] = c.usable[i] == '1';
      pending[i] = c.pending[i] == '1';
    }
    uint32_t index = c.index;
    EXPECT_EQ(ChooseTimestampSlot(usable, pending, 6, &index), c.slot);
    EXPECT_EQ(index, c.indexAfter);
  }
}

// Catches any slip in the shift/xor/multiply chain the card must reproduce.
TEST(CheckValue, KnownResults) {
  struct Case {
    uint32_t index;
    uint32_t value;
  } const cases[] = {{0, 3909883269u}, {1, 2392717705u}, {262143, 2165152188u}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.index);
    EXPECT_EQ(CheckValue(c.index), c.value);
  }
}

// Catches a pattern that ignores the seed (stale blocks would then pass).
TEST(Pattern, KnownWordsAndSeedDependence) {
  EXPECT_EQ(Pattern(0, kFirstPatternSeed), 242777268u);
  EXPECT_EQ(Pattern(1, kFirstPatternSeed), 3869425879u);
  const uint32_t next = NextPatternSeed(kFirstPatternSeed);
  EXPECT_EQ(next, kFirstPatternSeed * 747796405u + 2891336453u);
  EXPECT_NE(Pattern(0, next), Pattern(0, kFirstPatternSeed));
  EXPECT_NE(Pattern(1, next), Pattern(1, kFirstPatternSeed));
}

// Catches a generator seeded differently, drawn in another order or in double precision.
TEST(Particles, StartStateIsFixed) {
  std::vector<Particle> particles(3);
  GenerateParticles(particles.data(), 3);
  const Particle& p = particles[0];
  EXPECT_NEAR(p.pos[0], 0.32052f, 1e-5f);
  EXPECT_NEAR(p.pos[1], 0.02589f, 1e-5f);
  EXPECT_NEAR(p.pos[2], 0.04131f, 1e-5f);
  EXPECT_EQ(p.pos[3], 1.0f);
  EXPECT_NEAR(p.vel[0], -0.05114f, 1e-5f);
  EXPECT_EQ(p.vel[1], 0.0f);
  EXPECT_NEAR(p.vel[2], 0.39672f, 1e-5f);
  EXPECT_EQ(p.vel[3], 0.0f);
  for (const Particle& q : particles) {
    const float r2 = q.pos[0] * q.pos[0] + q.pos[2] * q.pos[2];
    EXPECT_GE(r2, 0.3f * 0.3f - 1e-4f);
    EXPECT_LE(r2, 1.7f * 1.7f + 1e-4f);
    EXPECT_LE(std::abs(q.pos[1]), 0.3f);
  }
  std::vector<Particle> again(3);
  GenerateParticles(again.data(), 3);
  EXPECT_EQ(std::memcmp(particles.data(), again.data(), 3 * sizeof(Particle)), 0);
}

// Catches fields at the wrong offsets of the constant buffer.
TEST(FrameRecord, BytesAtShaderOffsets) {
  const Frame frame{1.5f, 0.05f, kAspect, 0.06f, 2097152, 24, 24301, kBlockWords, 16777216, 0, 0, 0};
  unsigned char bytes[48];
  std::memset(bytes, 0xCC, sizeof(bytes));
  WriteFrameBytes(frame, bytes);
  auto f32 = [&](int offset) {
    float v;
    std::memcpy(&v, bytes + offset, 4);
    return v;
  };
  auto u32 = [&](int offset) {
    uint32_t v;
    std::memcpy(&v, bytes + offset, 4);
    return v;
  };
  EXPECT_EQ(f32(0), 1.5f);
  EXPECT_EQ(f32(4), 0.05f);
  EXPECT_EQ(f32(8), 1.7777778f);
  EXPECT_EQ(f32(12), 0.06f);
  EXPECT_EQ(u32(16), 2097152u);
  EXPECT_EQ(u32(20), 24u);
  EXPECT_EQ(u32(24), 24301u);
  EXPECT_EQ(u32(28), 33554432u);
  EXPECT_EQ(u32(32), 16777216u);
  EXPECT_EQ(u32(36), 0u);
  EXPECT_EQ(u32(40), 0u);
  EXPECT_EQ(u32(44), 0u);
}

// Catches a wrong profile table or a block count that is not clamped to 1 … 48.
TEST(LoadProfile, SizesByModeAndVideoMemory) {
  constexpr uint64_t MiB = 1024ull * 1024;
  struct Case {
    int32_t mode;
    uint64_t vram;
    uint32_t particles, rounds, burnItems, blocks;
    double target, work;
  } const cases[] = {
      {0, 8192 * MiB, 262144, 2, 65536, 1, 0.0, 0.0},
      {1, 8192 * MiB, 2097152, 24, 16777216, 1, 24.0, 2.0},
      {2, 200 * MiB, 524288, 6, 16777216, 1, 30.0, 2.0},
      {2, 12288 * MiB, 524288, 6, 16777216, 48, 30.0, 2.0},
      {2, 16384 * MiB, 524288, 6, 16777216, 48, 30.0, 2.0},
      {2, 2600 * MiB, 524288, 6, 16777216, 10, 30.0, 2.0},
      {2, 25 * 1024 * MiB, 524288, 6, 16777216, 48, 30.0, 2.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << " vram MiB " << c.vram / MiB);
    const LoadProfile p = ProfileForMode(c.mode, c.vram);
    EXPECT_EQ(p.particles, c.particles);
    EXPECT_EQ(p.rounds, c.rounds);
    EXPECT_EQ(p.burnItems, c.burnItems);
    EXPECT_EQ(p.blocksWanted, c.blocks);
    EXPECT_EQ(p.targetFrameRate, c.target);
    EXPECT_EQ(p.initialWork, c.work);
    EXPECT_EQ(p.capAt60, c.mode == 0);
  }
}

// Catches a choice that takes software adapters, prefers later ties, or ignores "--adapter".
TEST(ChooseAdapter, AutomaticAndExplicit) {
  constexpr uint64_t MiB = 1024ull * 1024;
  const AdapterFacts integratedFirst[] = {{128 * MiB, 0}, {8192 * MiB, 0}};
  const AdapterFacts discreteFirst[] = {{8192 * MiB, 0}, {128 * MiB, 0}};
  const AdapterFacts tie[] = {{4096 * MiB, 0}, {4096 * MiB, 0}};
  const AdapterFacts softwareOnly[] = {{0, kAdapterFlagSoftware}};
  const AdapterFacts softwareBiggest[] = {{64 * MiB, 0}, {1 << 30, kAdapterFlagSoftware}};
  struct Case {
    const char* name;
    const AdapterFacts* list;
    size_t count;
    int32_t requested;
    int32_t chosen;
  } const cases[] = {
      {"integrated first", integratedFirst, 2, -1, 1},
      {"discrete first", discreteFirst, 2, -1, 0},
      {"tie keeps first", tie, 2, -1, 0},
      {"software only, automatic", softwareOnly, 1, -1, -1},
      {"software only, by index", softwareOnly, 1, 0, 0},
      {"software skipped", softwareBiggest, 2, -1, 0},
      {"index past the last", discreteFirst, 2, 2, -1},
      {"explicit smaller", discreteFirst, 2, 1, 1},
      {"no adapters", nullptr, 0, -1, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ChooseAdapterIndex(c.list, c.count, c.requested), c.chosen);
  }
}

// Catches a wrong adaptation rule or a missing cap.
TEST(WorkAdaptation, ClimbsShrinksAndCaps) {
  double work = 2.0;
  const double climbing[] = {3.5, 5.375, 7.71875};
  for (double expected : climbing) {
    work = AdaptWork(work, 60.0, 24.0);
    EXPECT_DOUBLE_EQ(work, expected);
  }
  // The band is 0.85 to 1.1 of the target: rows on both sides of each edge,
  // for the standard (24) and the memory (30) load.
  struct Case {
    const char* name;
    double frameRate, target, work;
  } const cases[] = {
      {"too slow: -20 %", 24.0 * 0.84, 24.0, 8.0},
      {"just below 0.85", 20.3, 24.0, 8.0},
      {"just above 0.85", 20.5, 24.0, 10.0},
      {"0.9 of the target", 21.6, 24.0, 10.0},
      {"at the target", 24.0, 24.0, 10.0},
      {"the band's upper edge stays", 24.0 * 1.1, 24.0, 10.0},
      {"just above 1.1", 26.5, 24.0, 13.5},
      {"memory load, 0.86", 25.8, 30.0, 10.0},
      {"memory load, just below 0.85", 25.4, 30.0, 8.0},
      {"memory load, just below 1.1", 32.9, 30.0, 10.0},
      {"memory load, just above 1.1", 33.1, 30.0, 13.5},
      {"no target: unchanged", 1000.0, 0.0, 10.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_DOUBLE_EQ(AdaptWork(10.0, c.frameRate, c.target), c.work);
  }
  for (int i = 0; i < 100; ++i) work = AdaptWork(work, 1000.0, 24.0);
  EXPECT_DOUBLE_EQ(work, kMaxWork);
}

// Catches a busy share or adaptation computed over a too-short interval, or a share above 100 %.
TEST(SampleStep, BusyShareAndAdaptation) {
  struct Case {
    const char* name;
    SampleInputs in;
    double busy, work;
  } const cases[] = {
      {"first sample", {0.0, 0, 0.0, 0, 0.0, 2.0, 24.0}, -1.0, 2.0},
      {"short interval", {0.15, 5, 0.0, 0, 50.0, 2.0, 24.0}, -1.0, 2.0},
      {"slow frames", {10.0, 2, 5.0, 1, 2500.0, 2.0, 24.0}, 0.5, 1.6},
      {"nothing measured", {1.0, 60, 0.5, 30, 0.0, 2.0, 24.0}, -1.0, 3.5},
      {"share capped", {1.0, 60, 0.5, 30, 900.0, 0.0, 0.0}, 1.0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const SampleOutcome out = ComputeSample(c.in);
    EXPECT_DOUBLE_EQ(out.busyShare, c.busy);
    EXPECT_DOUBLE_EQ(out.work, c.work);
  }
}

// Catches counting a running total twice, or losing counts between read-backs.
TEST(WrongCounter, OnlyGrowthCounts) {
  uint64_t last = 0;
  struct Step {
    uint32_t total;
    uint64_t growth;
  } const steps[] = {{0, 0}, {3, 3}, {3, 0}, {9, 6}, {9, 0}, {12, 3}};
  uint64_t errors = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.total);
    const uint64_t growth = TakeWrongGrowth(s.total, &last);
    EXPECT_EQ(growth, s.growth);
    errors += growth;
  }
  EXPECT_EQ(errors, 12u);
  EXPECT_EQ(last, 12u);
}

// Catches errors that freeze once the card's 32-bit counter wraps: a card that
// gets every word of a block wrong wraps it after 128 verify passes.
TEST(WrongCounter, KeepsCountingAcrossTheCardCounterWrap) {
  uint64_t last = 0;
  uint64_t errors = 0;
  uint32_t card = 0;
  for (int pass = 0; pass < 300; ++pass) {
    card += kBlockWords;  // wraps like the card's InterlockedAdd
    errors += TakeWrongGrowth(card, &last);
  }
  EXPECT_EQ(errors, 300ull * kBlockWords);
  EXPECT_EQ(last, 300ull * kBlockWords);
}

// Catches a comparison that stops at the first difference.
TEST(ArithmeticCheck, CountsEveryMismatch) {
  std::vector<uint32_t> reference(64), card(64);
  for (uint32_t i = 0; i < 64; ++i) reference[i] = card[i] = CheckValue(i);
  EXPECT_EQ(CountMismatches(card.data(), reference.data(), 64), 0u);
  card[0] ^= 1;
  card[63] ^= 0x80000000u;
  card[17] = 0;
  EXPECT_EQ(CountMismatches(card.data(), reference.data(), 64), 3u);
}

}  // namespace

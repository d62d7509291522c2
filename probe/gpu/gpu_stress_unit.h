#pragma once

// The computed parts of the GPU stress, kept free of Direct3D so tests call them directly.

#include <cstddef>
#include <cstdint>

// What CheckCS writes for index i; the card must reproduce it bit for bit.
uint32_t CheckValue(uint32_t i);

// Expected word i of a video-memory block for a pattern seed (the card computes it too).
uint32_t Pattern(uint32_t i, uint32_t seed);

constexpr uint32_t kFirstPatternSeed = 0x5EED;  // 24,301

// The seed moves on each time the block cursor wraps, so stale blocks are caught.
inline uint32_t NextPatternSeed(uint32_t seed) { return seed * 747796405u + 2891336453u; }

constexpr uint32_t kCheckWords = 262144;        // CheckCS results per arithmetic check
constexpr uint32_t kCheckGroups = 1024;
constexpr uint32_t kBlockWords = 33554432;      // 128 MiB of 32-bit words
constexpr uint64_t kBlockBytes = 134217728;
constexpr uint32_t kBlockGroups = 16384;        // eight words per thread
constexpr uint32_t kBurnGroups = 4096;
constexpr uint32_t kMaxBlocks = 48;
constexpr float kAspect = 1.7777778f;           // 16:9 render target

// The shader's Particle record.
struct Particle {
  float pos[4];
  float vel[4];
};
static_assert(sizeof(Particle) == 32);

// Fills count particles with the fixed start state: a flat ring moving tangentially.
// Depends on nothing but the index, so every run starts alike.
void GenerateParticles(Particle* particles, uint32_t count);

// The shader's Frame constant buffer, byte for byte.
struct Frame {
  float time;
  float dt;
  float aspect;
  float size;
  uint32_t count;
  uint32_t rounds;
  uint32_t seed;
  uint32_t chunkWords;
  uint32_t burnItems;
  uint32_t pad0;
  uint32_t pad1;
  uint32_t pad2;
};
static_assert(sizeof(Frame) == 48);

// Writes the 48 bytes the constant buffer must hold.
void WriteFrameBytes(const Frame& frame, unsigned char* bytes48);

// Sizes of a GPU stress run, chosen by the mode number.
struct LoadProfile {
  uint32_t particles;
  uint32_t rounds;
  float spriteSize;
  double targetFrameRate;  // 0: no work adaptation
  double initialWork;
  uint32_t burnItems;      // float4 elements
  uint32_t blocksWanted;
  bool capAt60;
  uint32_t blockWords = kBlockWords;  // 32-bit words per video-memory block
};

// Groups of FillCS and VerifyCS that cover a block: eight words per thread.
constexpr uint32_t BlockGroups(uint32_t blockWords) { return (blockWords + 2047) / 2048; }
static_assert(BlockGroups(kBlockWords) == kBlockGroups && kBlockWords * 4ull == kBlockBytes);

// mode is 0 gentle, 1 standard or 2 memory; the memory load wants one block per
// whole 256 MiB of dedicated video memory, 1 to 48.
LoadProfile ProfileForMode(int32_t mode, uint64_t dedicatedVideoMemory);

// What the automatic and the explicit adapter choice look at.
struct AdapterFacts {
  uint64_t dedicatedVideoMemory;
  uint32_t flags;  // DXGI_ADAPTER_FLAG_*
};
constexpr uint32_t kAdapterFlagSoftware = 2;

// Index of the chosen adapter, or -1. requested < 0: the hardware adapter with
// the most dedicated memory (the first on a tie); otherwise exactly that index.
int32_t ChooseAdapterIndex(const AdapterFacts* adapters, size_t count, int32_t requested);

// Work adaptation towards the target frame rate: -20 % when too slow, +25 % and
// one more dispatch when too fast, never above 400. No target: unchanged.
double AdaptWork(double work, double frameRate, double targetFrameRate);

constexpr double kMaxWork = 400.0;

// One sample's bookkeeping: frame rate, busy share and the new work level.
struct SampleInputs {
  double t;
  uint64_t frames;
  double lastSampleT;
  uint64_t lastSampleFrames;
  double busyMs;           // measured GPU time since the last sample
  double work;
  double targetFrameRate;
};
struct SampleOutcome {
  double busyShare;        // 0 … 1, or -1 when not measured
  double work;
};
SampleOutcome ComputeSample(const SampleInputs& in);

// Picks the timestamp slot that times the next frame. Slots whose queries could
// not all be created are skipped (ringIndex moves past them), so one missing
// query does not end all timing; a usable slot still pending is waited for.
// Returns the slot index, or -1 when this frame is not timed.
int32_t ChooseTimestampSlot(const bool* usable, const bool* pending, uint32_t slots, uint32_t* ringIndex);

// Differing words between the card's check results and the reference table.
uint64_t CountMismatches(const uint32_t* card, const uint32_t* reference, size_t count);

// The card's Wrong[0] is a running total that is never reset: only its growth
// since the last read-back is new errors. Returns that growth. The card's
// counter is 32 bits and wraps on a badly failing card (every word of a block
// wrong wraps it after 128 passes), so growth is taken modulo 2^32 and
// lastWrongTotal keeps the full 64-bit total.
uint64_t TakeWrongGrowth(uint32_t wrongTotal, uint64_t* lastWrongTotal);

#include "probe/stress/benchmark_unit.h"

#include <emmintrin.h>
#if defined(_MSC_VER)
#include <intrin.h>
#endif

#include <cstring>

double UpdatesPerSecondMillions(int64_t updates, double seconds) {
  return seconds > 0 ? static_cast<double>(updates) / seconds / 1e6 : 0.0;
}

double CopyGigabytesPerSecond(int64_t copies, uint64_t regionBytes, double seconds) {
  return seconds > 0 ? static_cast<double>(copies) * static_cast<double>(regionBytes) * 2.0 / seconds / 1e9 : 0.0;
}

double PerSecond(double items, double seconds) { return seconds > 0 ? items / seconds : 0.0; }

void FillDriveBuffer(uint8_t* buffer, size_t bytes, int repetition) {
  for (size_t i = 0; i < bytes; ++i) {
    buffer[i] = static_cast<uint8_t>(static_cast<unsigned>(repetition) - 125u * static_cast<unsigned>(i));
  }
}

uint64_t RandomReadSeed(int repetition) { return static_cast<uint64_t>(repetition) ^ 0x9E3779B97F4A7C15ull; }

uint64_t XorshiftNext(uint64_t x) {
  x ^= x << 13;
  x ^= x >> 7;
  x ^= x << 17;
  return x;
}

uint64_t RandomReadOffset(uint64_t x) { return (x % 65536) * kRandomReadBytes; }

namespace {

// Appends text to the terminated string of length in buffer, cut to capacity.
void AppendCut(wchar_t* buffer, size_t capacity, size_t& length, const wchar_t* text) {
  while (*text != 0 && length + 1 < capacity) buffer[length++] = *text++;
  buffer[length] = 0;
}

}  // namespace

void DriveTestName(wchar_t* name, size_t capacity, unsigned long processId) {
  if (capacity == 0) return;
  wchar_t digits[24];  // room for a 64-bit unsigned long too (the native build)
  int n = 0;
  do {
    digits[n++] = static_cast<wchar_t>(L'0' + processId % 10);
    processId /= 10;
  } while (processId != 0);
  wchar_t number[24];
  for (int i = 0; i < n; ++i) number[i] = digits[n - 1 - i];
  number[n] = 0;
  size_t length = 0;
  name[0] = 0;
  AppendCut(name, capacity, length, L"vantorel-bench-");
  AppendCut(name, capacity, length, number);
  AppendCut(name, capacity, length, L".tmp");
}

void DriveTestPath(wchar_t* path, size_t capacity, const wchar_t* dir, unsigned long processId) {
  if (capacity == 0) return;
  wchar_t name[kDriveNameCapacity];
  DriveTestName(name, kDriveNameCapacity, processId);
  size_t length = 0;
  path[0] = 0;
  AppendCut(path, capacity, length, dir);
  AppendCut(path, capacity, length, L"\\");
  AppendCut(path, capacity, length, name);
}

namespace {

void StreamingCopy(void* destination, const void* source, size_t bytes) {
  // Streaming stores skip reading the destination into the cache before it
  // is overwritten, which is most of what a plain copy loses on large regions.
  auto* out = static_cast<__m128i*>(destination);
  const auto* in = static_cast<const __m128i*>(source);
  const size_t blocks = bytes / 64;
  for (size_t i = 0; i < blocks; ++i, in += 4, out += 4) {
    const __m128i a = _mm_load_si128(in);
    const __m128i b = _mm_load_si128(in + 1);
    const __m128i c = _mm_load_si128(in + 2);
    const __m128i d = _mm_load_si128(in + 3);
    _mm_stream_si128(out, a);
    _mm_stream_si128(out + 1, b);
    _mm_stream_si128(out + 2, c);
    _mm_stream_si128(out + 3, d);
  }
  _mm_sfence();
  const size_t rest = bytes % 64;
  if (rest != 0) memcpy(reinterpret_cast<char*>(out), reinterpret_cast<const char*>(in), rest);
}

void StringMove(void* destination, const void* source, size_t bytes) {
#if defined(_MSC_VER)
  __movsb(static_cast<unsigned char*>(destination), static_cast<const unsigned char*>(source), bytes);
#else
  __asm__ volatile("rep movsb" : "+D"(destination), "+S"(source), "+c"(bytes) : : "memory");
#endif
}

}  // namespace

CopyForm ChooseCopyForm(const ProcessorFeatures& features) {
  return features.erms ? CopyForm::kStringMove : CopyForm::kStreaming;
}

CopyForm MachineCopyForm() {
  static const CopyForm form = ChooseCopyForm(ReadProcessorFeatures());
  return form;
}

const char* CopyFormName(CopyForm form) { return form == CopyForm::kStringMove ? "rep_movsb" : "streaming"; }

void CopyRegion(CopyForm form, void* destination, const void* source, size_t bytes) {
  if (form == CopyForm::kStringMove) {
    StringMove(destination, source, bytes);
  } else {
    StreamingCopy(destination, source, bytes);
  }
}

void CopyRegion(void* destination, const void* source, size_t bytes) {
  CopyRegion(MachineCopyForm(), destination, source, bytes);
}

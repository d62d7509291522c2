#pragma once

// What the processor offers and what the operating system saves on a thread
// switch; a vector form may run only when both hold.
struct ProcessorFeatures {
  bool sse2 = false;
  bool avx2 = false;       // with AVX and the operating system saving the 256-bit registers
  bool avx512f = false;    // with the operating system saving the 512-bit and mask registers
  bool avx512dq = false;   // the 64-bit multiply
  bool erms = false;       // a fast string copy (rep movsb)
};

// cpuid and xgetbv of the running machine.
ProcessorFeatures ReadProcessorFeatures();

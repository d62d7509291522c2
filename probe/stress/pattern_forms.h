#pragma once

#include <cstdint>

// The vector forms behind PatternKernel; each file compiles its own with the
// instructions it needs, so only pattern_kernel.cpp calls these, after
// checking the processor. With streaming, the vector stores skip the caches.
void WritePatternSse2(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed,
                      bool streaming);
uint64_t CountPatternErrorsSse2(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                                uint64_t seed);
void WritePatternAvx2(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed,
                      bool streaming);
uint64_t CountPatternErrorsAvx2(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                                uint64_t seed);
void WritePatternAvx512(uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass, uint64_t seed,
                        bool streaming);
uint64_t CountPatternErrorsAvx512(const uint64_t* words, uint64_t count, uint64_t firstIndex, int32_t pass,
                                  uint64_t seed);

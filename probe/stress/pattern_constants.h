#pragma once

#include <cstdint>

// The constants of the memory test's pattern, shared by the plain form and
// the vector forms.
constexpr uint64_t kPatternGolden = 0x9E3779B97F4A7C15ull;  // mix: x = (e + 1) * golden ^ seed
constexpr uint64_t kPatternMixMultiplier = 0xBF58476D1CE4E5B9ull;
constexpr uint64_t kPatternOddWords = 0xAAAAAAAAAAAAAAAAull;
constexpr uint64_t kPatternEvenWords = 0x5555555555555555ull;

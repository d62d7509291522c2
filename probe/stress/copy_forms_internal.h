#pragma once

#include <cstddef>

// The streaming forms that need instructions beyond the build's baseline;
// each file compiles its own, so only copy_forms.cpp calls these, after
// checking the processor.
void StreamingCopyAvx2(void* destination, const void* source, size_t bytes);
void StreamingCopyAvx512(void* destination, const void* source, size_t bytes);

#pragma once

#include <cstddef>

// Size of the UTF-8 work copy of the source text (at most 511 bytes of text).
constexpr size_t kEscapeWorkBytes = 512;

// Converts UTF-16 source to UTF-8 that can stand between double quotes in an
// event line. The output (with its NUL) fits in capacity, never ends inside an
// escape and never ends inside a multi-byte character. Allocates nothing.
void EscapeJsonString(char* dest, size_t capacity, const wchar_t* source);

#pragma once

#include <cstddef>

// Takes the standard output once; every event line goes to this handle.
void TakeOutputHandle();

// Writes text and then a single "\n", each with one WriteFile. Does nothing when
// there is no standard output; write failures are ignored (the run goes on).
void WriteEventLine(const char* text);
void WriteEventLine(const char* text, size_t length);

// {"event":"end","reason":"<reason>"}, the last line of a run that says no
// more than why it ended.
void WriteEndLine(const char* reason);

// For literal lines: the length is known at compile time.
template <size_t N>
void WriteLiteralLine(const char (&text)[N]) {
  WriteEventLine(text, N - 1);
}

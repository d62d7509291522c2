#include "probe/core/event_line.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {
HANDLE outputHandle = INVALID_HANDLE_VALUE;
}

void TakeOutputHandle() { outputHandle = GetStdHandle(STD_OUTPUT_HANDLE); }

void WriteEventLine(const char* text) { WriteEventLine(text, strlen(text)); }

void WriteEventLine(const char* text, size_t length) {
  if (outputHandle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(outputHandle, text, static_cast<DWORD>(length), &written, nullptr);
  WriteFile(outputHandle, "\n", 1, &written, nullptr);
}

void WriteEndLine(const char* reason) {
  char line[64];
  snprintf(line, sizeof(line), "{\"event\":\"end\",\"reason\":\"%s\"}", reason);
  WriteEventLine(line);
}

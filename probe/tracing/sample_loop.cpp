#include "probe/tracing/sample_loop.h"

#include <cstdio>

#include "probe/core/event_line.h"

void WriteEndLine(const char* reason) {
  char line[64];
  snprintf(line, sizeof(line), "{\"event\":\"end\",\"reason\":\"%s\"}", reason);
  WriteEventLine(line);
}

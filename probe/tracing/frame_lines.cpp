#include "probe/tracing/frame_lines.h"

#include <cstdio>
#include <cstring>

#include "probe/core/json_escape.h"

namespace {

// snprintf that reports how much it wrote, or 0 when the text did not fit.
size_t Append(char* at, size_t room, const char* format, double value) {
  const int written = snprintf(at, room, format, value);
  if (written < 0 || static_cast<size_t>(written) >= room) return 0;
  return static_cast<size_t>(written);
}

}  // namespace

size_t FormatSampleLine(char* line, size_t capacity, double t, uint32_t processId, bool foreground,
                        const std::vector<double>& frameTimes) {
  static constexpr char kClose[] = "]}";
  constexpr size_t kCloseLength = sizeof(kClose) - 1;
  const int head = snprintf(line, capacity, "{\"t\":%.2f,\"pid\":%lu,\"fg\":%s,\"ms\":[", t,
                            static_cast<unsigned long>(processId), foreground ? "true" : "false");
  size_t length = head > 0 ? static_cast<size_t>(head) : 0;
  const size_t itemLimit = capacity < kSampleLineItemLimit ? capacity : kSampleLineItemLimit;
  // cppcheck-suppress knownConditionTrueFalse ; it assumes snprintf filled the whole buffer; the head is short
  for (size_t i = 0; i < frameTimes.size() && length < itemLimit; ++i) {
    // Room for the closing brackets and the NUL stays free even for an item
    // longer than the gap between the limit and the buffer's end.
    if (length + kCloseLength >= capacity) break;
    const size_t room = capacity - length - kCloseLength;
    const size_t item = Append(line + length, room, i == 0 ? "%.2f" : ",%.2f", frameTimes[i]);
    if (item == 0) break;
    length += item;
  }
  memcpy(line + length, kClose, sizeof(kClose));
  return length + kCloseLength;
}

size_t FormatTargetLine(char (&line)[kTargetLineBytes], uint32_t processId, const wchar_t* name) {
  const int head = snprintf(line, sizeof(line), "{\"event\":\"target\",\"pid\":%lu,\"name\":\"",
                            static_cast<unsigned long>(processId));
  size_t length = static_cast<size_t>(head);
  static constexpr char kClose[] = "\"}";
  EscapeJsonString(line + length, sizeof(line) - length - (sizeof(kClose) - 1), name);
  length += strlen(line + length);
  memcpy(line + length, kClose, sizeof(kClose));
  return length + sizeof(kClose) - 1;
}

#include "probe/input/sample_line.h"

#include <cstdio>

#include "probe/core/json_escape.h"
#include "probe/input/interval_stats.h"

namespace {

// Moves past what snprintf wrote at line + used; a piece that does not fit is
// cut at the buffer's end, as every line of the worker is.
void Advance(size_t& used, size_t capacity, int written) {
  if (written < 0) return;
  used = used + static_cast<size_t>(written) >= capacity ? capacity - 1 : used + static_cast<size_t>(written);
}

}  // namespace

size_t BuildSampleLine(InputTables& tables, const SampleTime& now, char* line, size_t capacity) {
  if (capacity == 0) return 0;
  line[0] = '\0';
  size_t used = 0;
  Advance(used, capacity, snprintf(line, capacity, "{\"t\":%.2f", now.seconds));

  if (PointerRecord* mouse = BusiestPointer(tables.pointers)) {
    const MouseSummary s = SummarizeMouseIntervals(mouse->intervalsUs);
    char dev[kDeviceNameBytes];
    EscapeJsonString(dev, sizeof(dev), mouse->name.c_str());
    Advance(used, capacity,
            snprintf(line + used, capacity - used,
                     ",\"m\":{\"n\":%lu,\"med\":%.1f,\"p10\":%.1f,\"p90\":%.1f,\"late\":%lu,\"gaps\":%lu,\"k\":%u,"
                     "\"dev\":\"%s\"}",
                     static_cast<unsigned long>(mouse->count), s.med, s.p10, s.p90, static_cast<unsigned long>(s.late),
                     static_cast<unsigned long>(s.gaps), static_cast<unsigned>(mouse->intervalsUs.size()), dev));
  }
  ResetPointerPeriod(tables.pointers);

  KeyboardState& keyboard = tables.keyboard;
  if (keyboard.presses != 0 || !keyboard.repeatIntervalsMs.empty()) {
    const RepeatSummary s = SummarizeRepeatIntervals(keyboard.repeatIntervalsMs);
    char dev[kDeviceNameBytes];
    EscapeJsonString(dev, sizeof(dev), keyboard.name.c_str());
    Advance(
        used, capacity,
        snprintf(line + used, capacity - used,
                 ",\"k\":{\"press\":%lu,\"rep\":%u,\"rep_med\":%.1f,\"rep_p10\":%.1f,\"rep_p90\":%.1f,\"held\":%u,"
                 "\"dev\":\"%s\"}",
                 static_cast<unsigned long>(keyboard.presses), static_cast<unsigned>(keyboard.repeatIntervalsMs.size()),
                 s.med, s.p10, s.p90, static_cast<unsigned>(keyboard.heldMax), dev));
  }
  ResetKeyboardPeriod(keyboard, now.counter, now.frequency);

  Advance(used, capacity, snprintf(line + used, capacity - used, "}"));
  return used;
}

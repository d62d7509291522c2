#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "probe/core/sample_period.h"
#include "probe/tracing/present_table.h"

// The once-a-second decisions of the frame-time monitor, on plain records:
// the run function passes the tick count, the foreground process and the
// name lookup, so a test drives whole runs with exact times.

constexpr uint32_t kCandidatePresents = 20;    // presents in one sample
constexpr uint32_t kChoiceStreak = 2;          // consecutive samples with the same candidate
constexpr uint32_t kIdleRemovalMs = 30000;     // a record without presents this long is dropped
constexpr uint32_t kTargetGoneMs = 10000;      // the target presented nothing this long

// Lower-case image file names by process id; touched only by the mode's thread.
using NameCache = std::map<uint32_t, std::wstring>;
using NameLookup = std::function<std::wstring(uint32_t processId)>;

struct FrameTarget {
  uint32_t processId = 0;      // 0 = none chosen
  uint32_t lastCandidate = 0;  // 0 = none
  uint32_t streak = 0;
  std::wstring name;
  uint32_t start = 0;          // tick count at the choice; "t" and the time limit count from here
  uint32_t lastActive = 0;     // tick count of the latest sample in which the target presented
  uint32_t timeLimitMs = 0;
};

FrameTarget NewFrameTarget(double minutes);

// What one visit of the present table hands to the decision outside the lock.
// The mode keeps one for the whole run: each visit starts it afresh, and the
// storage of its list goes to the target's record, so the callback reuses it.
struct TableVisit {
  std::vector<double> targetTimes;  // swapped out of the target's record
  uint32_t targetPresents = 0;
  uint32_t candidate = 0;
  uint32_t bestPresents = 0;
};

// Not empty and not one of the programs that are never a game.
bool IsGameName(const std::wstring& name);

// Runs under the table's lock. Whatever visit held from the previous second
// is dropped first.
void VisitPresentTable(PresentTable& table, NameCache& names, const NameLookup& lookup, uint32_t targetId,
                       uint32_t foregroundId, uint32_t now, TableVisit& visit);

enum class FrameEnd { kTime, kGone, kStopped };

struct FrameEndInfo {
  const char* reason;
  int exitCode;
};
FrameEndInfo FrameEndOf(FrameEnd end);

enum class SampleAction { kWait, kTarget, kSample };

struct SampleDecision {
  SampleAction action = SampleAction::kWait;
  bool ends = false;
  FrameEnd end = FrameEnd::kStopped;
};

// Runs after the visit, outside the lock: the streak and the choice while no
// target is chosen, the "time" and "gone" rules once it is.
SampleDecision DecideSample(FrameTarget& target, const TableVisit& visit, NameCache& names, uint32_t now);

// Seconds since the choice, as the sample line shows them.
double SecondsSinceChoice(const FrameTarget& target, uint32_t now);

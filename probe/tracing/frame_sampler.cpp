#include "probe/tracing/frame_sampler.h"

#include "probe/core/exit_codes.h"
#include "probe/core/options.h"
#include "probe/tracing/game_exclusions.h"

FrameTarget NewFrameTarget(double minutes) {
  FrameTarget target;
  target.timeLimitMs = TimeLimitMs(minutes);
  return target;
}

bool IsGameName(const std::wstring& name) { return !name.empty() && !IsExcludedFromGames(name.c_str()); }

namespace {

const std::wstring& CachedName(NameCache& names, const NameLookup& lookup, uint32_t processId) {
  auto found = names.find(processId);
  if (found == names.end()) found = names.emplace(processId, lookup(processId)).first;
  return found->second;
}

}  // namespace

void VisitPresentTable(PresentTable& table, NameCache& names, const NameLookup& lookup, uint32_t targetId,
                       uint32_t foregroundId, uint32_t now, TableVisit& visit) {
  visit.targetPresents = 0;
  visit.candidate = 0;
  visit.bestPresents = 0;
  visit.targetTimes.clear();  // emptied, not freed: the swap below gives its storage to the record
  for (auto it = table.begin(); it != table.end();) {
    const uint32_t processId = it->first;
    PresentRecord& record = it->second;
    const bool isTarget = targetId != 0 && processId == targetId;
    if (isTarget) {
      visit.targetPresents = record.presents;
      visit.targetTimes.swap(record.frameTimes);
    } else {
      // Intervals of other processes are dropped every second.
      record.frameTimes.clear();
    }

    if (targetId == 0 && processId == foregroundId && record.presents >= kCandidatePresents &&
        record.presents > visit.bestPresents && IsGameName(CachedName(names, lookup, processId))) {
      visit.candidate = processId;
      visit.bestPresents = record.presents;
    }

    const uint32_t presents = record.presents;
    record.presents = 0;
    if (presents != 0) {
      record.idleSince = 0;
    } else {
      if (record.idleSince == 0) record.idleSince = now;
      if (now - record.idleSince > kIdleRemovalMs && !isTarget) {
        names.erase(processId);
        it = table.erase(it);
        continue;
      }
    }
    ++it;
  }
}

FrameEndInfo FrameEndOf(FrameEnd end) {
  switch (end) {
    case FrameEnd::kTime:
      return {"time", kExitDone};
    case FrameEnd::kGone:
      return {"gone", kExitDone};
    case FrameEnd::kStopped:
      break;
  }
  return {"stopped", kExitStopped};
}

SampleDecision DecideSample(FrameTarget& target, const TableVisit& visit, NameCache& names, uint32_t now) {
  SampleDecision decision;
  if (target.processId == 0) {
    if (visit.candidate != 0 && visit.candidate == target.lastCandidate) {
      ++target.streak;
    } else {
      target.lastCandidate = visit.candidate;
      target.streak = visit.candidate != 0 ? 1 : 0;
    }
    if (target.streak < kChoiceStreak) {
      decision.action = SampleAction::kWait;
      return decision;
    }
    target.processId = visit.candidate;
    target.name = names[visit.candidate];
    target.start = now;
    target.lastActive = now;
    decision.action = SampleAction::kTarget;
    return decision;
  }

  decision.action = SampleAction::kSample;
  if (visit.targetPresents != 0) target.lastActive = now;
  if (now - target.start >= target.timeLimitMs) {
    decision.ends = true;
    decision.end = FrameEnd::kTime;
  } else if (now - target.lastActive > kTargetGoneMs) {
    decision.ends = true;
    decision.end = FrameEnd::kGone;
  }
  return decision;
}

double SecondsSinceChoice(const FrameTarget& target, uint32_t now) {
  return static_cast<uint32_t>(now - target.start) / 1000.0;
}

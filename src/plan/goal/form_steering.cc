// The forms a mag may still end in, by the evolution rules at every level ahead where its form
// may change, with the stats at that level anywhere between where they are and their targets.
#include "plan/goal/form_steering.h"

#include <algorithm>

#include "model/evolution.h"
#include "model/tables.h"
#include "plan/search_state.h"

namespace ostrel {
namespace {

// Where the stats can stand at a level ahead: at least where they are, at most their targets, in
// the order def, pow, dex, mind.
struct StatRange {
  std::int32_t low[4];
  std::int32_t high[4];
};

// The sums of pow, dex and mind that the stats in `range` can have with `order`'s stat leading
// (a tie at the top counts, since the feeding's bar changes may break it either way) and the
// other two in its order. The stats that meet such an order are closed under taking the smaller
// and the larger of two, so the least and the greatest are found by pushing the bounds through
// the order once, and every sum between them is met too. Empty: low > high.
struct SumRange {
  std::int32_t low;
  std::int32_t high;
};

SumRange orderSums(const StatRange& range, std::int32_t order) {
  // The leading stat, then the other two in the order pow, dex, mind.
  constexpr int kStats[kDominantStatCount][3] = {{1, 2, 3}, {2, 1, 3}, {3, 1, 2}};
  const int a = kStats[order / 2][0];
  const int b = kStats[order / 2][1];
  const int c = kStats[order / 2][2];
  std::int32_t low[4];
  std::int32_t high[4];
  if (order % 2 == 0) {  // b above c
    low[c] = range.low[c];
    low[b] = std::max(range.low[b], low[c] + 1);
    high[a] = range.high[a];
    high[b] = std::min(range.high[b], high[a]);
    high[c] = std::min(range.high[c], high[b] - 1);
  } else {  // b at most c
    low[b] = range.low[b];
    low[c] = std::max(range.low[c], low[b]);
    high[a] = range.high[a];
    high[c] = std::min(range.high[c], high[a]);
    high[b] = std::min(range.high[b], high[c]);
  }
  low[a] = std::max({range.low[a], low[b], low[c]});
  if (low[a] > high[a] || low[b] > high[b] || low[c] > high[c]) return {1, 0};
  return {low[a] + low[b] + low[c], high[a] + high[b] + high[c]};
}

// Whether the stats can stand at `level` with `order` (-1: any) and def from `defLow` to
// `defHigh`.
bool possibleAt(const StatRange& range, std::int32_t level, std::int32_t order, std::int32_t defLow,
                std::int32_t defHigh) {
  defLow = std::max(defLow, range.low[0]);
  defHigh = std::min(defHigh, range.high[0]);
  if (defLow > defHigh) return false;
  SumRange sums{range.low[1] + range.low[2] + range.low[3],
                range.high[1] + range.high[2] + range.high[3]};
  if (order >= 0) sums = orderSums(range, order);
  return std::max(sums.low, level - defHigh) <= std::min(sums.high, level - defLow);
}

bool dominantPossibleAt(const StatRange& range, std::int32_t level, std::int32_t dominant,
                        std::int32_t defLow, std::int32_t defHigh) {
  return possibleAt(range, level, 2 * dominant, defLow, defHigh) ||
         possibleAt(range, level, 2 * dominant + 1, defLow, defHigh);
}

constexpr std::int32_t kAnyDef = 1 << 20;
constexpr FormSet kFinalForms = ~(formBit(kFinalTypeStart) - 1);

// The forms the rule at `level` (one where a form may change) may turn `forms` into.
FormSet formsAfter(const Player& player, const StatRange& range, std::int32_t level,
                   std::int32_t targetLevel, FormSet forms) {
  if (level == 10) return formBit(level10Form(player));
  if (level == 35) {
    FormSet next = 0;
    for (std::int32_t dominant = 0; dominant < kDominantStatCount; ++dominant) {
      if (dominantPossibleAt(range, level, dominant, 0, kAnyDef)) {
        next |= formBit(level35Form(player, dominant));
      }
    }
    return next;
  }
  const FormSet changing = forms & ~kFinalForms;
  if (changing == 0) return forms;
  FormSet next = forms & kFinalForms;
  if (level <= kLastStatsEvent) {
    for (std::int32_t order = 0; order < kStatOrderCount; ++order) {
      if (possibleAt(range, level, order, 0, kHighDefLimit - 1)) {
        next |= formBit(level50Form(player, order));
      }
    }
    if (!evolvesWithHighDef(player)) {
      if (possibleAt(range, level, -1, kHighDefLimit, kAnyDef)) next |= changing;
      return next;
    }
    for (std::int32_t dominant = 0; dominant < kDominantStatCount; ++dominant) {
      if (dominantPossibleAt(range, level, dominant, kHighDefLimit, kAnyDef)) {
        next |= formBit(level50HighDefForm(dominant));
      }
    }
    return next;
  }
  // From 100 on, equal pair sums give the final form; each sum is half the level then, and lies
  // between its value now and at the target. Only at the target itself are they sure to be
  // equal or not.
  const PairSums low =
      pairSums(player.sectionId, range.low[0], range.low[1], range.low[2], range.low[3]);
  const PairSums high =
      pairSums(player.sectionId, range.high[0], range.high[1], range.high[2], range.high[3]);
  const std::int32_t half = level / 2;
  const bool equal = level % 2 == 0 && low.first <= half && half <= high.first &&
                     low.second <= half && half <= high.second;
  if (equal) next |= formBit(finalForm(player));
  if (!equal || level != targetLevel) next |= changing;
  return next;
}

// The first level above `level` where a form may change: 10, 35, every multiple of 5 from 50
// to 100, then every multiple of 10 (two equal pair sums make an even level).
std::int32_t nextFormChange(std::int32_t level) {
  if (level < 10) return 10;
  if (level < 35) return 35;
  if (level < kFirstStatsEvent) return kFirstStatsEvent;
  if (level < kFirstFinalEvent) return (level / kEventStep + 1) * kEventStep;
  return (level / (2 * kEventStep) + 1) * 2 * kEventStep;
}

}  // namespace

FormSet possibleEnds(const Player& player, const Target& target, const MagState& mag) {
  const StatRange range{{mag.def, mag.pow, mag.dex, mag.mind},
                        {target.def, target.pow, target.dex, target.mind}};
  FormSet forms = formBit(mag.type);
  for (std::int32_t level = nextFormChange(mag.level); level <= target.level;
       level = nextFormChange(level)) {
    forms = formsAfter(player, range, level, target.level, forms);
  }
  return forms;
}

FormSet possibleEndsFrom(const PlayerRequest& request, MagState start) {
  const Target& target = request.target;
  if (aboveTarget(start, target)) return ~FormSet{0};
  FormSet ends = 0;
  const auto exclusions = excludedForms(request, start);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (exclusions[type].kind == ExclusionKind::kNone) ends |= formBit(type);
  }
  start.level = start.def + start.pow + start.dex + start.mind;
  return ends & possibleEnds(request.player, target, start);
}

bool mayEndAs(const FormSteering& steering, const MagState& mag) {
  return (possibleEnds(steering.player, steering.target, mag) & steering.forms) != 0;
}

}  // namespace ostrel

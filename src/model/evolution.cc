// The game's evolution rules.
#include "model/evolution.h"

#include "model/tables.h"

namespace ostrel {
namespace {

constexpr std::int32_t kDominantPow = 0;
constexpr std::int32_t kDominantDex = 1;
constexpr std::int32_t kDominantMind = 2;

// From level 100 on, a form changes only when the section ID's two pair sums are equal.
bool sumConditionHolds(SectionId sectionId, const MagState& mag) {
  switch (kSectionSumRule[sectionId]) {
    case SumRule::kDefDex:
      return mag.def + mag.dex == mag.pow + mag.mind;
    case SumRule::kDefPow:
      return mag.def + mag.pow == mag.dex + mag.mind;
    case SumRule::kDefMind:
      return mag.def + mag.mind == mag.pow + mag.dex;
  }
  return false;
}

void applyLevel100Rule(const PlannerState& planner, MagState& mag) {
  if (!sumConditionHolds(planner.sectionId, mag)) return;
  const auto column = static_cast<int>(kSectionSumRule[planner.sectionId]);
  mag.type = kLevel100Type[planner.charClass / 2][column];
}

void applyLevel50Rule(const PlannerState& planner, MagState& mag) {
  const std::int32_t classGroup = planner.charClass / 4;
  const std::int32_t order = statOrder(planner, mag.pow, mag.dex, mag.mind);
  const std::int32_t dominant = dominantStat(planner, mag.pow, mag.dex, mag.mind);
  if (mag.def < kHighDefLimit) {
    const int highSection = planner.sectionId >= kHighSectionStart ? 1 : 0;
    mag.type = kLevel50Type[order][classGroup * 2 + highSection];
  } else if (classGroup == 2) {
    mag.type = dominant == kDominantPow ? kLevel50HighDefPowType : kLevel50HighDefOtherType;
  }
}

}  // namespace

void checkEvolution(const PlannerState& planner, MagState& mag) {
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  const std::int32_t level = mag.level;
  if (level >= 100 && level % 5 == 0 && mag.type < kFinalTypeStart) {
    applyLevel100Rule(planner, mag);
  } else if (level == 10) {
    // Level 10 and 35 ignore the current form: even a final form entered early takes these.
    mag.type = kLevel10Type[planner.charClass / 4];
  } else if (level == 35) {
    mag.type = kLevel35Type[dominantStat(planner, mag.pow, mag.dex, mag.mind)][planner.charClass / 4];
  } else if (level >= 50 && level % 5 == 0 && mag.type < kFinalTypeStart) {
    // Levels 100..200 were taken above for these forms, so this is 50..95.
    applyLevel50Rule(planner, mag);
  }
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
}

std::int32_t dominantStat(const PlannerState& planner, std::int32_t pow, std::int32_t dex,
                          std::int32_t mind) {
  const StatDelta& delta = planner.lastDelta;
  if (pow > mind && pow > dex) return kDominantPow;
  if (dex > mind && dex > pow) return kDominantDex;
  if (mind > dex && mind > pow) return kDominantMind;
  if (pow > dex && pow == mind && delta.pow > delta.mind) return kDominantPow;
  if (pow > mind && pow == dex && delta.pow > delta.dex) return kDominantPow;
  if (dex > pow && dex == mind && delta.dex > delta.mind) return kDominantDex;
  if (dex > mind && dex == pow && delta.dex > delta.pow) return kDominantDex;
  if (mind > dex && mind == pow && delta.mind > delta.pow) return kDominantMind;
  if (mind > pow && mind == dex && delta.mind > delta.dex) return kDominantMind;
  // dex and mind tied above pow with equal deltas: dex, the earlier of the two.
  if (dex > pow && dex == mind) return kDominantDex;
  return kDominantPow;
}

std::int32_t statOrder(const PlannerState& planner, std::int32_t pow, std::int32_t dex,
                       std::int32_t mind) {
  switch (dominantStat(planner, pow, dex, mind)) {
    case kDominantPow:
      return dex > mind ? 0 : 1;
    case kDominantDex:
      return pow > mind ? 2 : 3;
    default:
      return pow > dex ? 4 : 5;
  }
}

}  // namespace ostrel

// The game's evolution rules.
#include "model/evolution.h"

namespace ostrel {
namespace {

constexpr std::int32_t kDominantPow = 0;
constexpr std::int32_t kDominantDex = 1;
constexpr std::int32_t kDominantMind = 2;

// From level 100 on, a form changes only when the section ID's two pair sums are equal.
void applyLevel100Rule(const Player& player, MagState& mag) {
  const PairSums sums = pairSums(player.sectionId, mag.def, mag.pow, mag.dex, mag.mind);
  if (sums.first == sums.second) mag.type = finalForm(player);
}

void applyLevel50Rule(const Player& player, const StatDelta& feeding, MagState& mag) {
  if (mag.def < kHighDefLimit) {
    mag.type = level50Form(player, statOrder(feeding, mag.pow, mag.dex, mag.mind));
  } else if (evolvesWithHighDef(player)) {
    mag.type = level50HighDefForm(dominantStat(feeding, mag.pow, mag.dex, mag.mind));
  }
}

}  // namespace

void checkEvolution(const Player& player, const StatDelta& feeding, MagState& mag) {
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  const std::int32_t level = mag.level;
  if (level >= kFirstFinalEvent && level % kEventStep == 0 && mag.type < kFinalTypeStart) {
    applyLevel100Rule(player, mag);
  } else if (level == 10) {
    // Level 10 and 35 ignore the current form: even a final form entered early takes these.
    mag.type = level10Form(player);
  } else if (level == 35) {
    mag.type = level35Form(player, dominantStat(feeding, mag.pow, mag.dex, mag.mind));
  } else if (level >= kFirstStatsEvent && level % kEventStep == 0 && mag.type < kFinalTypeStart) {
    // Levels 100..200 were taken above for these forms, so this is 50..95.
    applyLevel50Rule(player, feeding, mag);
  }
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
}

MagType comingFormByStats(const Player& player, const MagState& mag) {
  constexpr StatDelta kNoFeeding{};
  if (mag.level < 35) {
    return level35Form(player, dominantStat(kNoFeeding, mag.pow, mag.dex, mag.mind));
  }
  MagState next = mag;
  applyLevel50Rule(player, kNoFeeding, next);
  return next.type;
}

std::int32_t dominantStat(const StatDelta& feeding, std::int32_t pow, std::int32_t dex,
                          std::int32_t mind) {
  if (pow > mind && pow > dex) return kDominantPow;
  if (dex > mind && dex > pow) return kDominantDex;
  if (mind > dex && mind > pow) return kDominantMind;
  if (pow > dex && pow == mind && feeding.pow > feeding.mind) return kDominantPow;
  if (pow > mind && pow == dex && feeding.pow > feeding.dex) return kDominantPow;
  if (dex > pow && dex == mind && feeding.dex > feeding.mind) return kDominantDex;
  if (dex > mind && dex == pow && feeding.dex > feeding.pow) return kDominantDex;
  if (mind > dex && mind == pow && feeding.mind > feeding.pow) return kDominantMind;
  if (mind > pow && mind == dex && feeding.mind > feeding.dex) return kDominantMind;
  // dex and mind tied above pow with equal bar changes: dex, the earlier of the two.
  if (dex > pow && dex == mind) return kDominantDex;
  return kDominantPow;
}

std::int32_t statOrder(const StatDelta& feeding, std::int32_t pow, std::int32_t dex,
                       std::int32_t mind) {
  switch (dominantStat(feeding, pow, dex, mind)) {
    case kDominantPow:
      return dex > mind ? 0 : 1;
    case kDominantDex:
      return pow > mind ? 2 : 3;
    default:
      return pow > dex ? 4 : 5;
  }
}

}  // namespace ostrel

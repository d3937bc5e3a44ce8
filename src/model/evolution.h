// The game's evolution rules: after every level-up the mag may change form, by its level, its
// stats, the player's class and section ID, and on a stat tie by the bar changes of the feeding in
// progress. The rules' own lookups (which form each rule gives to which player) are here as well,
// so that whatever reasons about forms without feeding a mag reads the same encodings.
#pragma once

#include <cstdint>

#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

// Besides levels 10 and 35, a form below the final ones can change at every multiple of 5 from
// level 50: by the stats up to 95, by the section ID's pair sums from 100.
inline constexpr std::int32_t kFirstStatsEvent = 50;
inline constexpr std::int32_t kLastStatsEvent = 95;
inline constexpr std::int32_t kFirstFinalEvent = 100;
inline constexpr std::int32_t kEventStep = 5;

// Whether a mag of form `type` that has just reached `level` may change form there. At any other
// level the evolution check only brings the level up to date.
constexpr bool formMayChangeAt(std::int32_t level, MagType type) {
  return level == 10 || level == 35 ||
         (level >= kFirstStatsEvent && level % kEventStep == 0 && type < kFinalTypeStart);
}

// Recomputes the level, applies the rule for that level (10, 35, 50..95, 100..200) and recomputes
// the level again. `feeding` is the bar changes of the feeding in progress, which break stat ties;
// the bars are never touched.
void checkEvolution(const Player& player, const StatDelta& feeding, MagState& mag);

// comingForm for a mag with an evolution decided by the stats ahead: from level 10 to 94, and
// below the final forms from 35 on.
MagType comingFormByStats(const Player& player, const MagState& mag);

// The form that the next evolution decided by the stats (at level 35, or at 50..95 below the
// final forms) would give the mag if its stats kept their order until then, ties going to the
// earlier stat; its own form when no such evolution lies ahead (below level 10, where the class
// alone decides, and from 95 on). What a mag's feedings will soon be worth depends on this form's
// table more than on its own. Inline for the mags with no such evolution ahead (the many of a
// beam past level 95 or in a final form): the estimates ask it of every state that a ranking by
// the coming form makes, and the call was a visible part of that.
inline MagType comingForm(const Player& player, const MagState& mag) {
  if (mag.level < 10 || mag.level >= kLastStatsEvent) return mag.type;
  if (mag.level >= 35 && mag.type >= kFinalTypeStart) return mag.type;
  return comingFormByStats(player, mag);
}

// Which of pow (0), dex (1) and mind (2) leads. A stat strictly above the other two wins; two
// sharing the top place are told apart by the bar changes of the feeding in progress (`feeding`),
// and equal changes go to the stat earlier in the order pow, dex, mind. Three equal stats give pow.
std::int32_t dominantStat(const StatDelta& feeding, std::int32_t pow, std::int32_t dex,
                          std::int32_t mind);

// 0..5: the dominant stat (tie-break included) times two, plus one when the other two, compared
// plainly, are not in the order pow > dex > mind would list them (pow: dex > mind is 0;
// dex: pow > mind is 2; mind: pow > dex is 4).
std::int32_t statOrder(const StatDelta& feeding, std::int32_t pow, std::int32_t dex,
                       std::int32_t mind);

inline constexpr std::int32_t kDominantStatCount = 3;
inline constexpr std::int32_t kStatOrderCount = 6;

// The class group that the rules up to level 95 go by: classes 0..3, 4..7 and 8..11.
constexpr std::int32_t classGroup(CharClass charClass) { return charClass / 4; }

// The form of level 10, by class group.
constexpr MagType level10Form(const Player& player) {
  return kLevel10Type[classGroup(player.charClass)];
}

// The form of level 35, by the dominant stat and the class group.
constexpr MagType level35Form(const Player& player, std::int32_t dominant) {
  return kLevel35Type[dominant][classGroup(player.charClass)];
}

// The form of levels 50..95 with def below 45, by the stat order and by the class group with a
// low or a high section ID.
constexpr MagType level50Form(const Player& player, std::int32_t order) {
  const std::int32_t high = player.sectionId >= kHighSectionStart ? 1 : 0;
  return kLevel50Type[order][classGroup(player.charClass) * 2 + high];
}

// With def 45 or more only class group 2 evolves at levels 50..95; the others keep their form.
constexpr bool evolvesWithHighDef(const Player& player) {
  return classGroup(player.charClass) == 2;
}

// The form of levels 50..95 with def 45 or more (class group 2): andhaka with pow leading, else
// bana.
constexpr MagType level50HighDefForm(std::int32_t dominant) {
  return dominant == 0 ? kLevel50HighDefPowType : kLevel50HighDefOtherType;
}

// The two pair sums of the section ID's rule. From level 100 on, a form changes only when they
// are equal.
struct PairSums {
  std::int32_t first;
  std::int32_t second;
};

constexpr PairSums pairSums(SectionId sectionId, std::int32_t def, std::int32_t pow,
                            std::int32_t dex, std::int32_t mind) {
  switch (kSectionSumRule[sectionId]) {
    case SumRule::kDefDex:
      return {def + dex, pow + mind};
    case SumRule::kDefPow:
      return {def + pow, dex + mind};
    case SumRule::kDefMind:
      return {def + mind, pow + dex};
  }
  return {0, 1};
}

// The final form that levels 100..200 give when the pair sums are equal, by class pair
// (class / 2) and the section ID's rule.
constexpr MagType finalForm(const Player& player) {
  return kLevel100Type[player.charClass / 2][static_cast<int>(kSectionSumRule[player.sectionId])];
}

}  // namespace ostrel

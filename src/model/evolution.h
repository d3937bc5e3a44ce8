// The game's evolution rules: after every level-up the mag may change form, by its level, its
// stats, the player's class and section ID, and on a tie by the deltas of the feeding in progress.
#pragma once

#include <cstdint>

#include "model/state.h"

namespace ostrel {

// Recomputes the level, applies the rule for that level (10, 35, 50..95, 100..200) and recomputes
// the level again. Reads the class, section ID and lastDelta; never touches the bars.
void checkEvolution(const PlannerState& planner, MagState& mag);

// Which of pow (0), dex (1) and mind (2) leads. A stat strictly above the other two wins; two
// sharing the top place are told apart by the current feeding's deltas, and equal deltas go to
// the stat earlier in the order pow, dex, mind. Three equal stats give pow.
std::int32_t dominantStat(const PlannerState& planner, std::int32_t pow, std::int32_t dex,
                          std::int32_t mind);

// 0..5: the dominant stat (tie-break included) times two, plus one when the other two, compared
// plainly, are not in the order pow > dex > mind would list them (pow: dex > mind is 0;
// dex: pow > mind is 2; mind: pow > dex is 4).
std::int32_t statOrder(const PlannerState& planner, std::int32_t pow, std::int32_t dex,
                       std::int32_t mind);

}  // namespace ostrel

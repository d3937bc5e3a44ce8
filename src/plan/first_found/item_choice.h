// Which item the search tries first at a mag state: a score of an item's bar changes against the
// target, four choosers that favour one stat's bar and one that takes the best score. All are pure
// functions of the form, the four stats and the target; the bars play no part.
#pragma once

#include <cstdint>

#include "model/state.h"

namespace ostrel {

// Sums one term per stat: a bar change d on a stat below its target adds d/4 + 1 (for a negative
// d it subtracts d/4 + 1, so a large drop can still add); on a stat at or above its target a
// positive d subtracts d/4 + 1 and anything else counts nothing. Division truncates toward zero.
std::int32_t feedScore(const Target& target, std::int32_t def, std::int32_t pow, std::int32_t dex,
                       std::int32_t mind, StatDelta delta);

// The single-stat choosers examine Monomate, then items 0, 1, 3, 4, 6, 7, 8, 9 in this order
// against the best so far: an item wins on a gain in its stat's bar above the best gain (by more
// than 2 for def), or on a higher score with a positive gain.
Item bestItemForDef(const Target& target, const MagState& mag);
Item bestItemForPow(const Target& target, const MagState& mag);
Item bestItemForDex(const Target& target, const MagState& mag);
Item bestItemForMind(const Target& target, const MagState& mag);

// The first of items 0..9 with the highest score.
Item bestItemOverall(const Target& target, const MagState& mag);

// The item the search prefers at `mag`, by the first rule that holds: def below target with pow
// and dex each less than 60 short of theirs (def's chooser); pow alone short, dex and mind on
// target (pow's); dex alone likewise (dex's); mind alone likewise (mind's); otherwise the best
// score overall.
Item preferredItem(const Target& target, const MagState& mag);

}  // namespace ostrel

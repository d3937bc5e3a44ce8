// A ceiling on the stats up to an evolution: the mag may not have more of each stat than its most
// until it has reached its level, the level-up that reaches it included. A beam with one drops
// every state that rises past it, so its width goes to the states that split their levels otherwise
// at that evolution; its ranking alone keeps those that raise the stats it likes best now, and so
// the split they come to.
#pragma once

#include <array>
#include <cstdint>

#include "model/state.h"

namespace ostrel {

struct StatsCeiling {
  std::int32_t level = 0;                                // 0: no ceiling
  std::array<std::int32_t, 4> most{255, 255, 255, 255};  // def, pow, dex, mind
};

// Whether a mag that has just risen from below the ceiling's level to `mag` stays under it.
constexpr bool underCeiling(const StatsCeiling& ceiling, const MagState& mag) {
  return mag.def <= ceiling.most[0] && mag.pow <= ceiling.most[1] && mag.dex <= ceiling.most[2] &&
         mag.mind <= ceiling.most[3];
}

}  // namespace ostrel

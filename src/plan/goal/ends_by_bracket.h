// The ends of a mag by its form and level bracket alone (the forms it may still end in, by the
// form rules without its stats), which is what both the estimates of its remaining cost and the
// limits on what it may cost depend on. They depend on its form and on which of the evolutions
// at 10, 35 and 50..95 still lie ahead: its level's bracket, named by the bracket's lowest level.
#pragma once

#include <cstdint>

#include "model/form_rules.h"
#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

inline constexpr int kBracketCount = 4;
inline constexpr std::int32_t kBracketLevel[kBracketCount] = {0, 10, 35, 95};

inline int bracketOf(std::int32_t level) {
  if (level < 10) return 0;
  if (level < 35) return 1;
  return level < 95 ? 2 : 3;
}

// The ends of every form and bracket, on the way to a target level.
struct EndsByBracket {
  FormSet forms[kMagTypeCount][kBracketCount]{};
};

inline EndsByBracket endsByBracketOf(const Player& player, std::int32_t targetLevel) {
  EndsByBracket ends;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    for (int bracket = 0; bracket < kBracketCount; ++bracket) {
      ends.forms[type][bracket] = reachableForms(player, type, kBracketLevel[bracket], targetLevel);
    }
  }
  return ends;
}

}  // namespace ostrel

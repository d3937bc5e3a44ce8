// The ends of a mag by its form and level bracket alone (the forms it may still end in, by the
// form rules without its stats), which is what both the estimates of its remaining cost and the
// limits on what it may cost depend on. They depend on its form and on which of the evolutions
// at 10, 35 and 50..95 still lie ahead: its level's bracket, named by the bracket's lowest level.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "model/form_rules.h"
#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

inline constexpr int kBracketCount = 4;
inline constexpr std::int32_t kBracketLevel[kBracketCount] = {0, 10, 35, 95};

// The bracket of every level up to 200, looked up: a beam asks it of every state it makes, and
// the three comparisons were a visible part of that.
inline constexpr auto kBracketByLevel = [] {
  std::array<std::uint8_t, kMaxLevel + 1> byLevel{};
  for (std::int32_t level = 0; level <= kMaxLevel; ++level) {
    int bracket = 0;
    while (bracket + 1 < kBracketCount && level >= kBracketLevel[bracket + 1]) ++bracket;
    byLevel[static_cast<std::size_t>(level)] = static_cast<std::uint8_t>(bracket);
  }
  return byLevel;
}();

// A mag's level is the sum of its stats: never below 0.
inline int bracketOf(std::int32_t level) {
  return level <= kMaxLevel ? kBracketByLevel[static_cast<std::size_t>(level)] : kBracketCount - 1;
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

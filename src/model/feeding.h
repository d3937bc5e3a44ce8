// One feeding of one mag: the item's bar changes for the mag's form, the bars they move, the
// level-ups they give and the evolution check after every single level-up.
#pragma once

#include <array>

#include "model/evolution.h"
#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

// The feeding table a form uses. Types outside 0..44 map like the game's own test chain:
// negative ones to table 1, 45 and above to table 0.
constexpr FeedTable feedTableOf(MagType type) {
  if (type == 0) return 0;
  if (type < 4) return 1;
  if (type < 7) return 2;
  if (type < 15) return 3;
  if (type < 23) return 4;
  if (type < 31) return 5;
  if (type < 36) return 6;
  if (type < 39) return 7;
  if (type < 42) return 8;
  if (type < 45) return 9;
  return 0;
}

// The feeding table unfolded per form, so the search's innermost lookup is one index.
inline constexpr auto kDeltaByType = [] {
  std::array<std::array<StatDelta, kItemCount>, kMagTypeCount> byType{};
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    for (Item item = 0; item < kItemCount; ++item) {
      byType[type][item] = kFeedTable[feedTableOf(type)][item];
    }
  }
  return byType;
}();

// Writes the bar changes of `item` for a mag of form `type` into `delta`; an item outside
// 0..10 leaves `delta` as it was.
void feedDeltas(Item item, MagType type, StatDelta& delta);

// The bar changes of an item the search feeds (0..10) for a valid form (0..44): a table lookup.
inline StatDelta deltaOf(Item item, MagType type) { return kDeltaByType[type][item]; }

// Feeds `item` to `mag`: looks its bar changes up for the form before the feeding, then applies
// them. Returns what applyFeeding returns.
StatDelta feedItem(const Player& player, Item item, MagState& mag);

namespace feeding_detail {

// Adds one delta to one bar and turns a full bar into a level while the mag can still grow.
// Returns whether the stat rose, in which case evolution must be checked before the next bar.
inline bool moveBar(std::int32_t& stat, std::int32_t& bar, std::int32_t change,
                    std::int32_t level) {
  bar += change;
  if (bar < 0) bar = 0;
  if (bar < kBarCapacity || level >= kMaxLevel) return false;
  bar -= kBarCapacity;
  ++stat;
  return true;
}

// After one level-up: the evolution check where the form may change, else only the new level.
inline void afterLevelUp(const Player& player, const StatDelta& feeding, MagState& mag) {
  const std::int32_t level = mag.level + 1;
  if (formMayChangeAt(level, mag.type)) {
    checkEvolution(player, feeding, mag);
  } else {
    mag.level = level;
  }
}

}  // namespace feeding_detail

// Applies one feeding's bar changes: bars move in the order def, pow, dex, mind; a bar reaching
// 100 gives one level (at most once per stat) while the mag is below level 200, and evolution is
// checked at once after each level-up, with these bar changes to break stat ties. Returns the bar
// changes applied: `delta`, or none at all for a mag at level 200, which is left untouched.
// Inline: the beam searches feed every state they make with it, and a call for each was a visible
// part of their time.
inline StatDelta applyFeeding(const Player& player, MagState& mag, StatDelta delta) {
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  if (mag.level >= kMaxLevel) return {};
  // A level-up earlier in this feeding can bring the mag to 200: a later full bar then stays
  // above 99 for good, since every later feeding stops at the check above.
  if (feeding_detail::moveBar(mag.def, mag.defBar, delta.def, mag.level)) {
    feeding_detail::afterLevelUp(player, delta, mag);
  }
  if (feeding_detail::moveBar(mag.pow, mag.powBar, delta.pow, mag.level)) {
    feeding_detail::afterLevelUp(player, delta, mag);
  }
  if (feeding_detail::moveBar(mag.dex, mag.dexBar, delta.dex, mag.level)) {
    feeding_detail::afterLevelUp(player, delta, mag);
  }
  if (feeding_detail::moveBar(mag.mind, mag.mindBar, delta.mind, mag.level)) {
    feeding_detail::afterLevelUp(player, delta, mag);
  }
  return delta;
}

}  // namespace ostrel

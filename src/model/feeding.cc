// One feeding of one mag.
#include "model/feeding.h"

#include "model/evolution.h"
#include "model/tables.h"

namespace ostrel {
namespace {

// Adds one delta to one bar and turns a full bar into a level while the mag can still grow.
// Returns whether the stat rose, in which case evolution must be checked before the next bar.
bool moveBar(std::int32_t& stat, std::int32_t& bar, std::int32_t change, std::int32_t level) {
  bar += change;
  if (bar < 0) bar = 0;
  if (bar < kBarCapacity || level >= kMaxLevel) return false;
  bar -= kBarCapacity;
  ++stat;
  return true;
}

// After one level-up: the evolution check where the form may change, else only the new level.
void afterLevelUp(const Player& player, const StatDelta& feeding, MagState& mag) {
  const std::int32_t level = mag.level + 1;
  if (formMayChangeAt(level, mag.type)) {
    checkEvolution(player, feeding, mag);
  } else {
    mag.level = level;
  }
}

}  // namespace

void feedDeltas(Item item, MagType type, StatDelta& delta) {
  if (item >= 0 && item < kItemCount) delta = kFeedTable[feedTableOf(type)][item];
}

StatDelta feedItem(const Player& player, Item item, MagState& mag) {
  StatDelta delta;
  feedDeltas(item, mag.type, delta);
  return applyFeeding(player, mag, delta);
}

StatDelta applyFeeding(const Player& player, MagState& mag, StatDelta delta) {
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  if (mag.level >= kMaxLevel) return {};
  // A level-up earlier in this feeding can bring the mag to 200: a later full bar then stays
  // above 99 for good, since every later feeding stops at the check above.
  if (moveBar(mag.def, mag.defBar, delta.def, mag.level)) afterLevelUp(player, delta, mag);
  if (moveBar(mag.pow, mag.powBar, delta.pow, mag.level)) afterLevelUp(player, delta, mag);
  if (moveBar(mag.dex, mag.dexBar, delta.dex, mag.level)) afterLevelUp(player, delta, mag);
  if (moveBar(mag.mind, mag.mindBar, delta.mind, mag.level)) afterLevelUp(player, delta, mag);
  return delta;
}

}  // namespace ostrel

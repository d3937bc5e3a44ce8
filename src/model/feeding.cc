// One feeding of one mag.
#include "model/feeding.h"

#include "model/evolution.h"
#include "model/tables.h"

namespace ostrel {
namespace {

constexpr FeedTable tableOfType(MagType type) {
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
constexpr auto kDeltaByType = [] {
  std::array<std::array<StatDelta, kItemCount>, kMagTypeCount> byType{};
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    for (Item item = 0; item < kItemCount; ++item) {
      byType[type][item] = kFeedTable[tableOfType(type)][item];
    }
  }
  return byType;
}();

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

}  // namespace

FeedTable feedTableOf(MagType type) { return tableOfType(type); }

void feedDeltas(Item item, MagType type, StatDelta& delta) {
  if (item >= 0 && item < kItemCount) delta = kFeedTable[tableOfType(type)][item];
}

StatDelta deltaOf(Item item, MagType type) { return kDeltaByType[type][item]; }

void feedItem(PlannerState& planner, Item item, MagState& mag) {
  StatDelta delta;
  feedDeltas(item, mag.type, delta);
  applyFeeding(planner, mag, delta);
}

void applyFeeding(PlannerState& planner, MagState& mag, StatDelta delta) {
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  if (mag.level >= kMaxLevel) return;
  planner.lastDelta = delta;
  // A level-up earlier in this feeding can bring the mag to 200: a later full bar then stays
  // above 99 for good, since every later feeding stops at the check above.
  if (moveBar(mag.def, mag.defBar, delta.def, mag.level)) checkEvolution(planner, mag);
  if (moveBar(mag.pow, mag.powBar, delta.pow, mag.level)) checkEvolution(planner, mag);
  if (moveBar(mag.dex, mag.dexBar, delta.dex, mag.level)) checkEvolution(planner, mag);
  if (moveBar(mag.mind, mag.mindBar, delta.mind, mag.level)) checkEvolution(planner, mag);
}

}  // namespace ostrel

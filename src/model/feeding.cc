// One feeding of one mag.
#include "model/feeding.h"

#include "model/tables.h"

namespace ostrel {

void feedDeltas(Item item, MagType type, StatDelta& delta) {
  if (item >= 0 && item < kItemCount) delta = kFeedTable[feedTableOf(type)][item];
}

StatDelta feedItem(const Player& player, Item item, MagState& mag) {
  StatDelta delta;
  feedDeltas(item, mag.type, delta);
  return applyFeeding(player, mag, delta);
}

}  // namespace ostrel

// The beam search's one way to the feeding rules: feeding a state as a layer grows, and feeding a
// plan's items again from the start to write the plan out.
#pragma once

#include <vector>

#include "model/feeding.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/plan.h"

namespace ostrel {

// Feeds `delta` to `mag`. The player is only read, so every thread feeds with the same one.
inline void feedState(const Player& player, MagState& mag, const StatDelta& delta) {
  applyFeeding(player, mag, delta);
}

// The plan that feeds `items` from `start`, each with the mag just before it.
inline Plan replayPlan(const Player& player, const MagState& start,
                       const std::vector<Item>& items) {
  Plan plan;
  plan.start = start;
  MagState mag = start;
  for (Item item : items) {
    plan.feedings.push_back({item, mag});
    feedState(player, mag, deltaOf(item, mag.type));
    plan.cost += kItemPrice[item];
  }
  plan.reached = mag;
  return plan;
}

}  // namespace ostrel

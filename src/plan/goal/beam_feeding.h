// The beam search's one way to the feeding rules: feeding a state as a layer grows, and feeding a
// plan's items again from the start to write the plan out.
#pragma once

#include <vector>

#include "model/feeding.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/plan.h"

namespace ostrel {

// Feeds `delta` to `mag`. `scratch` is the feeding thread's own copy of the player: feeding
// writes into it.
inline void feedState(PlannerState& scratch, MagState& mag, const StatDelta& delta) {
  applyFeeding(scratch, mag, delta);
}

// The plan that feeds `items` from `start`, each with the mag just before it.
inline Plan replayPlan(PlannerState& scratch, const MagState& start,
                       const std::vector<Item>& items) {
  Plan plan;
  plan.start = start;
  MagState mag = start;
  for (Item item : items) {
    plan.feedings.push_back({item, mag});
    feedState(scratch, mag, deltaOf(item, mag.type));
    plan.cost += kItemPrice[item];
  }
  plan.reached = mag;
  return plan;
}

}  // namespace ostrel

// A search for a form the goal searches missed, leg by leg: a route to the form that the closer
// proof leaves open (form_proof.h) pins the stats at the evolution that gives the form and at
// those after it to a few whole values, and a beam that must also find its way there gives up on
// the stats that keep the form; one goal search to each such point in turn, in the form the
// route has there, then one to the target, finds the way piece by piece.
#pragma once

#include <optional>

#include "model/state.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"

namespace ostrel {

// A plan from `start` to the target that ends as `form`, searched leg by leg (the goal and
// threads of `options`, an eighth of its width), or none when no chain of legs is found within a
// fixed number of searches.
std::optional<Plan> planThroughWaypoints(const PlayerRequest& request, const MagState& start,
                                         MagType form, const GoalOptions& options);

}  // namespace ostrel

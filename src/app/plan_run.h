// One plan: reset the counters, search from the starting mag, and tell the user how it went.
#pragma once

#include "model/state.h"
#include "plan/console.h"
#include "plan/search.h"

namespace ostrel {

// Runs the search for the target held in `planner` and prints the outcome. Returns whether a
// plan was found.
bool runPlan(PlannerState& planner, const MagState& start, const Console& console,
             const SearchOptions& options = {});

}  // namespace ostrel

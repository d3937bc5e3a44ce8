// Writing a found plan. The search only knows a plan works once it reaches the target, so the
// plan is written while the search unwinds: the summary first, then the feedings from the last to
// the first. feedingPlan.txt gets one line per feeding, feedingPlan2.txt and the console one line
// per run of the same item; all three are read bottom up. Every write opens its file for
// appending and closes it again.
#pragma once

#include "model/state.h"
#include "plan/console.h"
#include "plan/plan.h"

namespace ostrel {

// Creates or truncates both plan files for a new plan. A file that cannot be emptied is reported
// on the error stream and left alone for the rest of the plan.
void emptyPlanFiles(PlannerState& planner, const Console& console);

// The summary of a plan that has just reached the target: to the detail file, and with the
// heading to the grouped file and the console.
void reportReached(PlannerState& planner, const MagState& reached, const Console& console);

// One feeding of the found plan, last feeding first: its detail line, and the run line of the
// item fed after it when this feeding's item differs.
void reportStep(PlannerState& planner, Item item, const MagState& before, const MagState& after,
                const Console& console);

// A whole found plan, as the search writes it while it unwinds: the summary (feedCount and
// totalCost set from the plan), then every feeding from the last to the first. The first run's
// line is left to reportFirstRun, as after the search.
void reportPlan(PlannerState& planner, const Plan& plan, const Console& console);

// The run line of the plan's first run, which begins in the starting state.
void reportFirstRun(PlannerState& planner, const MagState& start, const Console& console);

// Whether both plan files hold the whole plan written since they were emptied.
bool planFilesComplete(const PlannerState& planner);

}  // namespace ostrel

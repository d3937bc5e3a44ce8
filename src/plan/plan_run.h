// One plan, as every front end runs it: reset the plan's counters, find the plan for the goal,
// write it through the reports and tell the outcome. The dialogue, the command line and the web
// page all plan through here, so a plan is the same bytes wherever it is shown.
#pragma once

#include "model/state.h"
#include "plan/console.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"

namespace ostrel {

// How finding a plan ended: a plan; none at all (every feeding tried, or no goal search found
// one); the first-found search's budget ran out; or the rules exclude the wanted final form.
enum class PlanOutcome { kFound, kImpossible, kGaveUp, kExcluded };

// Finds the plan for `options` from `start` to `planner.target` without writing it. The first
// goal without a form is the first-found search itself, its progress and give-up lines on
// `console.out` and its node count carried on in `planner`; every other request goes to the goal
// searches, whose whole result lands in `details` when given (the forms reached, the exclusion).
PlanOutcome findPlan(PlannerState& planner, const MagState& start, const Console& console,
                     const GoalOptions& options, Plan& plan, GoalResult* details = nullptr);

// The plan run of the dialogue: resets the plan's counters, finds the plan, writes it through
// the reports and prints "Mag successful!" and where the plan is, or "failed to create Mag".
// Returns the outcome; with the default options it is the first-found search, unchanged.
// startPlanRun, findPlan and finishPlanRun are its three parts, for a front end that shows
// something of its own while the plan is searched and must take it away before the plan is told.
PlanOutcome runPlan(PlannerState& planner, const MagState& start, const Console& console,
                    const GoalOptions& options = {}, Plan* plan = nullptr,
                    GoalResult* details = nullptr);
void startPlanRun(PlannerState& planner);
void finishPlanRun(PlannerState& planner, const MagState& start, const Console& console,
                   PlanOutcome outcome, const Plan& found);

}  // namespace ostrel

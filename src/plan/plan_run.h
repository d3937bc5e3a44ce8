// One plan, as every front end runs it: find the plan for the goal, then tell it through its
// report. The dialogue, the command line and the web page all plan through here, so a plan is the
// same bytes wherever it is shown. Each front end holds its own request, counters and plan files
// and hands them in.
#pragma once

#include <string>

#include "model/state.h"
#include "plan/console.h"
#include "plan/first_found/search.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"
#include "plan/report/plan_report.h"

namespace ostrel {

// How finding a plan ended: a plan; none at all (every feeding tried, or no goal search found
// one); the first-found search's budget ran out; the rules exclude the wanted final form; plans
// were found, but none ending in the form asked for; or plans were found, but none within the
// budget asked for.
enum class PlanOutcome { kFound, kImpossible, kGaveUp, kExcluded, kNotFound, kOverBudget };

// Why a goal's searches found no plan: the rules exclude the form asked for; plans of other forms
// were found; or else as the first-found search ended (only it can try every feeding; the beam
// searches prove nothing).
PlanOutcome outcomeWithoutPlan(const GoalResult& result);

// Finds the plan for `options` from `start` to `request.target` without writing it. The first
// goal without a form is the first-found search itself, its progress and give-up lines on
// `console.out` and its node count carried on in `counters`; every other request goes to the
// goal searches, whose whole result lands in `details` when given (the forms reached, the
// exclusion). With a budget, the plan is the goal's among the trade-off's plans within it
// (plan/tradeoff/tradeoffs.h), and `details` is the goal's search's result, with the nearest
// plans when none is within it.
PlanOutcome findPlan(const PlayerRequest& request, SearchCounters& counters, const MagState& start,
                     const Console& console, const GoalOptions& options, Plan& plan,
                     GoalResult* details = nullptr);

// What the plan run says once the plan is found or not, as the dialogue's console shows it (and
// the page, which shows that console): kReadBottomUp, the report's console lines, "Mag
// successful!" and where the plan is, or that it could not be `saved` to the plan files; else
// "failed to create Mag". `report` is the found plan's, null without one.
std::string toldText(const PlanReport* report, bool saved);

// The dialogue's telling of a plan found, or not (`found` null): writes its report into `files`,
// then toldText on the console.
void tellPlan(const Player& player, PlanFiles& files, const Console& console, const Plan* found);

}  // namespace ostrel

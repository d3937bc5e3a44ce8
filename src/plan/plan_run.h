// One plan, as every front end runs it: find the plan for the goal, write it through the report
// and tell the outcome. The dialogue, the command line and the web page all plan through here, so
// a plan is the same bytes wherever it is shown. Each front end holds its own request, counters
// and plan files and hands them in.
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

// Why the first plan found cannot take a budget or a final form asked for with it, in the command
// line's words (the web page's too), or "" when neither is asked for: it is the plan found, not
// one chosen among plans.
std::string notForTheFirstGoal(const Budget& budget, bool formAsked);

// Settles the goal of a request: without one given, the goal a budget or a form implies
// (impliedGoal); the first goal given with a budget or a form is refused, in the words of
// notForTheFirstGoal, which this returns ("" when the request stands).
std::string settleGoal(bool goalGiven, const Budget& budget, bool formAsked, Goal& goal);

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

// The plan run of the dialogue: finds the plan, writes it through the report into `files` and
// prints "Mag successful!" and where the plan is, or "failed to create Mag". Returns the outcome;
// with the default options it is the first-found search, unchanged.
PlanOutcome runPlan(const PlayerRequest& request, SearchCounters& counters, PlanFiles& files,
                    const MagState& start, const Console& console, const GoalOptions& options = {},
                    Plan* plan = nullptr, GoalResult* details = nullptr);

// The second half of runPlan: writes a plan found through the report into `files` and tells where
// it is, or tells that none was found. For a front end that shows something of its own while the
// plan is searched and must take it away before the plan is told.
void tellPlan(const Player& player, PlanFiles& files, const Console& console, PlanOutcome outcome,
              const Plan& found);

}  // namespace ostrel

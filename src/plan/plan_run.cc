// One plan: find the plan for the goal, write it and tell how it went.
#include "plan/plan_run.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "plan/tradeoff/tradeoffs.h"

namespace ostrel {

PlanOutcome outcomeWithoutPlan(const GoalResult& result) {
  if (result.outcome == GoalOutcome::kExcluded) return PlanOutcome::kExcluded;
  if (result.outcome == GoalOutcome::kImpossible) return PlanOutcome::kImpossible;
  const bool otherForms = std::any_of(result.forms.begin(), result.forms.end(),
                                      [](const FormResult& form) { return form.best.has_value(); });
  if (otherForms) return PlanOutcome::kNotFound;
  return result.firstGaveUp ? PlanOutcome::kGaveUp : PlanOutcome::kImpossible;
}

namespace {

// The plan for the goal among the trade-off's plans within the budget.
PlanOutcome findPlanWithin(const PlayerRequest& request, const SearchCounters& counters,
                           const MagState& start, const GoalOptions& options, Plan& plan,
                           GoalResult* details) {
  const Goal goal = options.goal == Goal::kFewest ? Goal::kFewest : Goal::kCheapest;
  GoalOptions search = options;
  search.goal = goal;
  if (search.progress != nullptr) {
    search.progress->shownWithin = options.budget;
    search.progress->measure = goal;
  }
  Tradeoffs found = findTradeoffs(request, start, search, counters);
  GoalResult& result = goal == Goal::kFewest ? found.fewest : found.cheapest;
  PlanOutcome outcome = outcomeWithoutPlan(result);
  if (const Plan* within = planWithin(found.front, goal, options.budget)) {
    plan = *within;
    outcome = PlanOutcome::kFound;
  } else if (!found.front.empty()) {
    result.nearest = nearestToBudget(found.front, options.budget);
    outcome = PlanOutcome::kOverBudget;
  }
  if (details != nullptr) *details = std::move(result);
  return outcome;
}

}  // namespace

PlanOutcome findPlan(const PlayerRequest& request, SearchCounters& counters, const MagState& start,
                     const Console& console, const GoalOptions& options, Plan& plan,
                     GoalResult* details) {
  if (options.budget.given()) {
    return findPlanWithin(request, counters, start, options, plan, details);
  }
  if (options.goal == Goal::kFirst && !options.form) {
    if (findFirstPlan(request, counters, start, console, plan, options.firstSearch)) {
      return PlanOutcome::kFound;
    }
    return searchGaveUp(counters) ? PlanOutcome::kGaveUp : PlanOutcome::kImpossible;
  }
  GoalResult result = planForGoal(request, start, options, counters);
  PlanOutcome outcome = outcomeWithoutPlan(result);
  if (result.outcome == GoalOutcome::kFound) {
    plan = result.plan;
    outcome = PlanOutcome::kFound;
  }
  if (details != nullptr) *details = std::move(result);
  return outcome;
}

std::string toldText(const PlanReport* report, bool saved) {
  if (report == nullptr) return "failed to create Mag\n";
  return kReadBottomUp + consoleText(*report) + "Mag successful!\n" +
         (saved ? "Plan is in file feedingPlan2.txt, details are in feedingPlan.txt\n"
                : "The plan could not be saved to feedingPlan2.txt and feedingPlan.txt; the lines "
                  "above are the plan.\n");
}

void tellPlan(const Player& player, PlanFiles& files, const Console& console, const Plan* found) {
  std::optional<PlanReport> report;
  if (found != nullptr) {
    report = reportOf(player, *found);
    writePlanFiles(*report, files, console);
  }
  std::fputs(toldText(report ? &*report : nullptr, planFilesComplete(files)).c_str(), console.out);
}

}  // namespace ostrel

// One plan: reset the counters, find the plan for the goal, write it and tell how it went.
#include "plan/plan_run.h"

#include "plan/first_found/search.h"
#include "plan/report/plan_report.h"

namespace ostrel {

PlanOutcome findPlan(PlannerState& planner, const MagState& start, const Console& console,
                     const GoalOptions& options, Plan& plan, GoalResult* details) {
  if (options.goal == Goal::kFirst && !options.form) {
    if (findFirstPlan(planner, start, console, plan, options.firstSearch)) {
      return PlanOutcome::kFound;
    }
    return searchGaveUp(planner) ? PlanOutcome::kGaveUp : PlanOutcome::kImpossible;
  }
  GoalResult result = planForGoal(planner, start, options);
  PlanOutcome outcome = PlanOutcome::kImpossible;
  if (result.outcome == GoalOutcome::kFound) {
    plan = result.plan;
    outcome = PlanOutcome::kFound;
  } else if (result.outcome == GoalOutcome::kExcluded) {
    outcome = PlanOutcome::kExcluded;
  }
  if (details != nullptr) *details = std::move(result);
  return outcome;
}

void startPlanRun(PlannerState& planner) {
  // nodeCount and lastDelta run on over the whole program; everything else starts afresh.
  planner.lineCount = 0;
  planner.previousItem = -1;
  planner.runLength = 0;
  planner.totalCost = 0;
  planner.feedCount = 0;
  planner.hardCount = 0;
}

void finishPlanRun(PlannerState& planner, const MagState& start, const Console& console,
                   PlanOutcome outcome, const Plan& found) {
  if (outcome != PlanOutcome::kFound) {
    std::fputs("failed to create Mag\n", console.out);
    return;
  }
  reportPlan(planner, found, console);
  reportFirstRun(planner, start, console);
  std::fputs("Mag successful!\n", console.out);
  if (planFilesComplete(planner)) {
    std::fputs("Plan is in file feedingPlan2.txt, details are in feedingPlan.txt\n", console.out);
  } else {
    std::fputs(
        "The plan could not be saved to feedingPlan2.txt and feedingPlan.txt; the lines "
        "above are the plan.\n",
        console.out);
  }
}

PlanOutcome runPlan(PlannerState& planner, const MagState& start, const Console& console,
                    const GoalOptions& options, Plan* plan, GoalResult* details) {
  startPlanRun(planner);
  Plan found;
  const PlanOutcome outcome = findPlan(planner, start, console, options, found, details);
  finishPlanRun(planner, start, console, outcome, found);
  if (plan != nullptr && outcome == PlanOutcome::kFound) *plan = std::move(found);
  return outcome;
}

}  // namespace ostrel

// One plan: find the plan for the goal, write it and tell how it went.
#include "plan/plan_run.h"

#include <cstdio>
#include <utility>

namespace ostrel {

PlanOutcome findPlan(const PlayerRequest& request, SearchCounters& counters, const MagState& start,
                     const Console& console, const GoalOptions& options, Plan& plan,
                     GoalResult* details) {
  if (options.goal == Goal::kFirst && !options.form) {
    if (findFirstPlan(request, counters, start, console, plan, options.firstSearch)) {
      return PlanOutcome::kFound;
    }
    return searchGaveUp(counters) ? PlanOutcome::kGaveUp : PlanOutcome::kImpossible;
  }
  GoalResult result = planForGoal(request, start, options, counters);
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

void tellPlan(const Player& player, PlanFiles& files, const Console& console, PlanOutcome outcome,
              const Plan& found) {
  if (outcome != PlanOutcome::kFound) {
    std::fputs("failed to create Mag\n", console.out);
    return;
  }
  reportPlan(player, found, files, console);
  std::fputs("Mag successful!\n", console.out);
  if (planFilesComplete(files)) {
    std::fputs("Plan is in file feedingPlan2.txt, details are in feedingPlan.txt\n", console.out);
  } else {
    std::fputs(
        "The plan could not be saved to feedingPlan2.txt and feedingPlan.txt; the lines "
        "above are the plan.\n",
        console.out);
  }
}

PlanOutcome runPlan(const PlayerRequest& request, SearchCounters& counters, PlanFiles& files,
                    const MagState& start, const Console& console, const GoalOptions& options,
                    Plan* plan, GoalResult* details) {
  Plan found;
  const PlanOutcome outcome = findPlan(request, counters, start, console, options, found, details);
  tellPlan(request.player, files, console, outcome, found);
  if (plan != nullptr && outcome == PlanOutcome::kFound) *plan = std::move(found);
  return outcome;
}

}  // namespace ostrel

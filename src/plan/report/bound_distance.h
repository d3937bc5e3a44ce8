// How far a goal's plan lies above the least that any plan to its target can spend, as proven
// beside the search (plan/bound/lower_bound.h): in the goal's unit, meseta for the cheapest plan
// and feedings for the fewest. Every surface tells it from here, so the console's line and the
// document's ratio agree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/state.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"

namespace ostrel {

struct BoundDistance {
  Goal goal = Goal::kCheapest;  // the cheapest or the fewest
  std::int64_t bound = 0;       // the least any plan spends, in the goal's unit
  std::int64_t plan = 0;        // what the plan spends, in the same unit
  std::optional<MagType> form;  // the form the plans were asked to end in, if any

  // The plan proven the best possible for its goal.
  bool proven() const { return plan <= bound; }
  // plan / bound, rounded up to three decimals: the plan is at most that far above the best.
  double ratio() const;
  // plan / bound - 1 as a whole percentage, rounded up.
  std::int64_t percentAbove() const;
};

// The distance of `plan`, found for `goal`, from `bound` (of the plans that end in `form`, if
// given): none for the first plan found, or when no bound was proven.
std::optional<BoundDistance> boundDistance(Goal goal, const Plan& plan,
                                           const std::optional<PlanBound>& bound,
                                           std::optional<MagType> form = {});

// The distance of `plan`, found for `asked`, from the bound in `details`.
std::optional<BoundDistance> boundDistance(const GoalOptions& asked, const Plan& plan,
                                           const GoalResult& details);

// How far a trade-off's ends lie from the bound of its target (`form`: the form asked for, if
// any): the first and shortest point from the fewest feedings possible, the last and cheapest
// from the cheapest possible. Either is none as boundDistance would give it; both without points.
struct FrontDistances {
  std::optional<BoundDistance> fewest;
  std::optional<BoundDistance> cheapest;
};
FrontDistances frontDistances(const std::vector<Plan>& front, const std::optional<PlanBound>& bound,
                              std::optional<MagType> form);

// The line `ostrel plan` prints under the plan: "at most 12% above the cheapest possible" or
// "proven the fewest feedings possible", with " ending as FORM" for a form asked for.
std::string boundDistanceText(const BoundDistance& distance);

}  // namespace ostrel

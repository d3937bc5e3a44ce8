// A plan's distance from its bound, in numbers and in words.
#include "plan/report/bound_distance.h"

#include "model/tables.h"

namespace ostrel {

double BoundDistance::ratio() const {
  if (proven()) return 1;
  // In whole thousandths, so that the rounding is up and exact.
  const std::int64_t thousandths = (1000 * plan + bound - 1) / bound;
  return static_cast<double>(thousandths) / 1000;
}

std::int64_t BoundDistance::percentAbove() const {
  if (proven()) return 0;
  return (100 * (plan - bound) + bound - 1) / bound;
}

std::optional<BoundDistance> boundDistance(Goal goal, const Plan& plan,
                                           const std::optional<PlanBound>& bound,
                                           std::optional<MagType> form) {
  if (goal == Goal::kFirst || !bound || !bound->reachable) return {};
  const PlanMeasure measure = measureOf(plan);
  BoundDistance distance;
  distance.goal = goal;
  distance.form = form;
  if (goal == Goal::kCheapest) {
    distance.bound = bound->meseta;
    distance.plan = measure.meseta;
  } else {
    distance.bound = bound->feedings;
    distance.plan = measure.feedings;
  }
  // A plan that spends something above a bound of nothing has no ratio to tell.
  if (distance.bound <= 0 && distance.plan > 0) return {};
  return distance;
}

std::optional<BoundDistance> boundDistance(const GoalOptions& asked, const Plan& plan,
                                           const GoalResult& details) {
  return boundDistance(asked.goal, plan, details.bound, asked.form);
}

FrontDistances frontDistances(const std::vector<Plan>& front, const std::optional<PlanBound>& bound,
                              std::optional<MagType> form) {
  if (front.empty()) return {};
  return {boundDistance(Goal::kFewest, front.front(), bound, form),
          boundDistance(Goal::kCheapest, front.back(), bound, form)};
}

std::string boundDistanceText(const BoundDistance& distance) {
  const std::string best =
      distance.goal == Goal::kCheapest ? "the cheapest possible" : "the fewest feedings possible";
  const std::string form =
      distance.form ? std::string(" ending as ") + kMagTypeNames[*distance.form] : "";
  if (distance.proven()) return "proven " + best + form;
  return "at most " + std::to_string(distance.percentAbove()) + "% above " + best + form;
}

}  // namespace ostrel

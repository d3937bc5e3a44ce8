// Feeding runs of items without a search.
#include "plan/fed_plan.h"

#include "model/feeding.h"
#include "model/tables.h"

namespace ostrel {

Plan fedPlan(const Player& player, const MagState& start, const std::vector<FeedRun>& runs) {
  Plan plan;
  plan.start = start;
  MagState mag = start;
  for (const FeedRun& run : runs) {
    for (std::int32_t k = 0; k < run.count; ++k) {
      plan.feedings.push_back({run.item, mag});
      feedItem(player, run.item, mag);
      plan.cost += kItemPrice[run.item];
    }
  }
  plan.reached = mag;
  return plan;
}

void feedRuns(const Player& player, const MagState& start, std::vector<FeedRun>& runs) {
  const Plan plan = fedPlan(player, start, runs);
  std::size_t next = 0;  // the feeding after the one at hand
  for (FeedRun& run : runs) {
    run.unchanged = 0;
    for (std::int32_t k = 0; k < run.count; ++k) {
      const MagState& before = plan.feedings[next++].before;
      const MagState& after =
          next < plan.feedings.size() ? plan.feedings[next].before : plan.reached;
      if (after == before) ++run.unchanged;
    }
    run.after = next < plan.feedings.size() ? plan.feedings[next].before : plan.reached;
  }
}

bool reachesTarget(const Plan& plan, const Target& target) {
  const auto onTarget = [&target](const MagState& mag) {
    return mag.def == target.def && mag.pow == target.pow && mag.dex == target.dex &&
           mag.mind == target.mind;
  };
  const auto within = [&target](const MagState& mag) {
    return mag.def <= target.def && mag.pow <= target.pow && mag.dex <= target.dex &&
           mag.mind <= target.mind;
  };
  for (const Feeding& feeding : plan.feedings) {
    if (onTarget(feeding.before) || !within(feeding.before)) return false;
  }
  return onTarget(plan.reached);
}

}  // namespace ostrel

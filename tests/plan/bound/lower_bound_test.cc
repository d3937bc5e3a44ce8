// The lower bound never lies above a real plan: below the optimum an exhaustive search finds on
// targets a few feedings away (tests/cases/lower_bounds.txt), and below every plan the goals
// return on seeded targets.
#include "plan/bound/lower_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <queue>
#include <random>
#include <sstream>
#include <vector>

#include "model/feeding.h"
#include "plan/goal/goal.h"
#include "support/cases.h"
#include "support/replay.h"

namespace ostrel {
namespace {

// The least cost (in `costs`) of a plan from `start` to the target, per final form (negative:
// none found): a search by least cost first over every mag state that stays within the target,
// up to three times the cost of the first plan found.
std::array<double, kMagTypeCount> exhaustiveOptimum(const PlayerRequest& request,
                                                    const MagState& start, const FeedCosts& costs) {
  using Key = std::array<std::int32_t, 9>;
  const auto keyOf = [](const MagState& m) {
    return Key{m.type, m.def, m.pow, m.dex, m.mind, m.defBar, m.powBar, m.dexBar, m.mindBar};
  };
  const Target& t = request.target;
  std::array<double, kMagTypeCount> best{};
  best.fill(-1);
  std::map<Key, double> settled;
  using Entry = std::pair<double, Key>;
  std::priority_queue<Entry, std::vector<Entry>, std::greater<>> open;
  open.push({0, keyOf(start)});
  while (!open.empty()) {
    const auto [cost, key] = open.top();
    open.pop();
    const double first = *std::max_element(best.begin(), best.end());
    if (first > 0 && cost > 3 * first) break;
    if (!settled.emplace(key, cost).second) continue;
    // A case too far for the search ends it: the test then finds no plan and fails.
    if (settled.size() > 300000U) {
      best.fill(-1);
      return best;
    }
    const MagState mag{key[0], key[1], key[2], key[3], key[4],
                       key[5], key[6], key[7], key[8], key[1] + key[2] + key[3] + key[4]};
    if (mag.def == t.def && mag.pow == t.pow && mag.dex == t.dex && mag.mind == t.mind) {
      if (best[mag.type] < 0) best[mag.type] = cost;
      continue;
    }
    for (Item item = 0; item < kFedItemCount; ++item) {
      MagState fed = mag;
      feedItem(request.player, item, fed);
      if (fed.def > t.def || fed.pow > t.pow || fed.dex > t.dex || fed.mind > t.mind) continue;
      if (!settled.contains(keyOf(fed))) open.push({cost + costs[item], keyOf(fed)});
    }
  }
  return best;
}

TEST(LowerBound, AtMostTheOptimumOfAnExhaustiveSearch) {
  for (const auto& row : testing::caseRows("lower_bounds.txt")) {
    SCOPED_TRACE(row.at(0) + " | " + row.at(1) + " | " + row.at(2));
    PlayerRequest request;
    std::istringstream(row.at(0)) >> request.player.charClass >> request.player.sectionId;
    request.target = testing::targetOf(row.at(2));
    const MagState start = testing::magOf(row.at(1));
    for (const FeedCosts& costs : {mesetaCosts(), feedingCosts()}) {
      const std::array<double, kMagTypeCount> optimum = exhaustiveOptimum(request, start, costs);
      double least = -1;
      for (MagType form = 0; form < kMagTypeCount; ++form) {
        if (optimum[form] < 0) {
          continue;
        }
        if (least < 0 || optimum[form] < least) least = optimum[form];
        const double bound = planCostBound(request, start, costs, form);
        EXPECT_LE(bound, optimum[form]) << kMagTypeNames[form];
      }
      ASSERT_GT(least, 0);
      const double bound = planCostBound(request, start, costs);
      EXPECT_LE(bound, least);
      EXPECT_GT(bound, 0);
    }
  }
}

// Every plan either goal returns for seeded targets (replayed: the goal's, the first found, the
// best of every form) costs at least the bound the goal's result carries, which is the request's
// bound whatever the threads, and at least the bound of the form it ends in.
TEST(LowerBound, AtMostEveryPlanOfTheGoals) {
  std::mt19937 rng(38);
  for (int i = 0; i < 8; ++i) {
    const testing::PlanCase c = testing::randomCase(rng, testing::Reach::kFed, 30);
    const PlayerRequest request = testing::playerOf(c);
    SCOPED_TRACE(testing::statsText(c.target.def, c.target.pow, c.target.dex, c.target.mind));
    const PlanBounds bounds = planBounds(request, c.start);
    ASSERT_TRUE(bounds.any.reachable);
    for (const Goal goal : {Goal::kCheapest, Goal::kFewest}) {
      GoalOptions options;
      options.goal = goal;
      options.beamWidth = 16;
      options.threads = 1 + i % 2;
      options.everyForm = true;
      const GoalResult result = planForGoal(request, c.start, options);
      ASSERT_EQ(result.outcome, GoalOutcome::kFound);
      ASSERT_TRUE(result.bound.has_value());
      EXPECT_EQ(result.bound->meseta, bounds.any.meseta);
      EXPECT_EQ(result.bound->feedings, bounds.any.feedings);
      std::vector<const Plan*> plans = {&result.plan};
      if (result.first) plans.push_back(&*result.first);
      for (const FormResult& form : result.forms) {
        if (form.best) plans.push_back(&*form.best);
      }
      for (const Plan* plan : plans) {
        testing::expectPlanReplays(request, c.start, *plan);
        const PlanBounds inForm = planBounds(request, c.start, plan->reached.type);
        for (const PlanBound& bound : {*result.bound, *inForm.form}) {
          ASSERT_TRUE(bound.reachable);
          EXPECT_LE(bound.meseta, static_cast<std::int64_t>(plan->cost));
          EXPECT_LE(bound.feedings, plan->feedCount());
        }
      }
    }
  }
}

}  // namespace
}  // namespace ostrel

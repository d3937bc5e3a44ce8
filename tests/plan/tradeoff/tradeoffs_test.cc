// The trade-off between feedings and meseta, over seeded reachable targets: every point replays
// (in the form asked for); the points rise in feedings and fall in meseta; the first-found plan is
// on the front or beaten by a point; the ends are the very plans of the fewest and the cheapest
// goals; a point's feedings as a budget give that point back,
// every budget is respected, and one below the shortest plan gives none but the shortest as the
// nearest. The work counted is both goals' and the range's searches. The front does not depend on
// the threads.
#include "plan/tradeoff/tradeoffs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "plan/plan.h"
#include "support/cases.h"
#include "support/replay.h"

namespace ostrel {
namespace {

bool samePlan(const Plan& a, const Plan& b) {
  return a.cost == b.cost &&
         std::equal(a.feedings.begin(), a.feedings.end(), b.feedings.begin(), b.feedings.end(),
                    [](const Feeding& x, const Feeding& y) { return x.item == y.item; });
}

TEST(TradeoffsTest, SeededFrontsRunFromTheShortestToTheCheapest) {
  std::mt19937 rng(1717);
  std::size_t longest = 0;
  for (int run = 0; run < 40; ++run) {
    const testing::PlanCase c = testing::randomCase(rng, testing::Reach::kFed, 25);
    const PlayerRequest player = testing::playerOf(c);
    GoalOptions options;
    options.beamWidth = 12;
    options.threads = 1 + run % 2;
    options.firstSearch = {20'000};
    if (run % 5 == 0) options.form = testing::pick(rng, 0, kMagTypeCount - 1);
    SCOPED_TRACE(::testing::Message() << "run " << run << ": " << testing::dialogueInput(c));
    const Tradeoffs found = findTradeoffs(player, c.start, options);
    const std::vector<Plan>& front = found.front;
    if (front.empty()) {
      EXPECT_TRUE(options.form && found.cheapest.outcome != GoalOutcome::kFound);
      continue;
    }
    longest = std::max(longest, front.size());
    // The work counted: both goals' searches, and more where the range between them was filled.
    const std::uint64_t byGoals = found.fewest.feedingsTried + found.cheapest.feedingsTried;
    if (front.size() == 1) {
      EXPECT_EQ(found.feedingsTried, byGoals);
    } else {
      EXPECT_GT(found.feedingsTried, byGoals);
    }
    for (std::size_t i = 0; i < front.size(); ++i) {
      testing::expectPlanReplays(player, c.start, front[i], options.form);
      if (i > 0) {
        EXPECT_GT(front[i].feedCount(), front[i - 1].feedCount());
        EXPECT_LT(front[i].cost, front[i - 1].cost);
      }
      const Budget feedings{front[i].feedCount(), std::nullopt};
      EXPECT_EQ(planWithin(front, Goal::kCheapest, feedings), &front[i]);
      const Budget both{front[i].feedCount() + testing::pick(rng, 0, 50),
                        static_cast<std::int64_t>(front[i].cost)};
      EXPECT_EQ(planWithin(front, Goal::kFewest, both), &front[i]);
      const Plan* cheapest = planWithin(front, Goal::kCheapest, both);
      EXPECT_TRUE(cheapest != nullptr && both.allows(*cheapest));
    }
    // The first-found plan, which the searches meet too, is a point or beaten by one.
    if (found.fewest.first && endsAsAsked(*found.fewest.first, options.form)) {
      const Plan& first = *found.fewest.first;
      EXPECT_TRUE(std::any_of(front.begin(), front.end(), [&](const Plan& point) {
        return point.feedCount() <= first.feedCount() && point.cost <= first.cost;
      }));
    }
    // The ends are the goals' own plans, as those goals plan alone.
    options.goal = Goal::kFewest;
    const GoalResult fewest = planForGoal(player, c.start, options);
    options.goal = Goal::kCheapest;
    const GoalResult cheapest = planForGoal(player, c.start, options);
    EXPECT_TRUE(samePlan(front.front(), fewest.plan) || front.size() == 1);
    EXPECT_TRUE(samePlan(front.back(), cheapest.plan));
    const Budget tooFew{front.front().feedCount() - 1, std::nullopt};
    EXPECT_EQ(planWithin(front, Goal::kCheapest, tooFew), nullptr);
    const std::vector<Plan> nearest = nearestToBudget(front, tooFew);
    ASSERT_EQ(nearest.size(), 1U);
    EXPECT_TRUE(samePlan(nearest[0], front.front()));
    if (run % 4 == 0) {
      options.threads = 3 - options.threads;
      const Tradeoffs again = findTradeoffs(player, c.start, options);
      ASSERT_EQ(again.front.size(), front.size());
      for (std::size_t i = 0; i < front.size(); ++i) {
        EXPECT_TRUE(samePlan(again.front[i], front[i]));
      }
    }
  }
  EXPECT_GE(longest, 3U);  // some fronts hold plans between their ends
}

}  // namespace
}  // namespace ostrel

// The front out of the plans met, and the gaps in it that get a search of their own, on plans
// made up of their feedings and meseta alone.
#include "plan/tradeoff/front.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace ostrel {
namespace {

Plan planOf(int feedings, double meseta) {
  Plan plan;
  plan.feedings.resize(static_cast<std::size_t>(feedings));
  plan.cost = meseta;
  return plan;
}

using Measures = std::vector<std::pair<int, double>>;

Measures measures(const std::vector<Plan>& plans) {
  Measures out;
  for (const Plan& plan : plans) out.emplace_back(plan.feedCount(), plan.cost);
  return out;
}

TEST(FrontTest, EveryPlanCheaperThanAllShorterOnesBetweenTheEnds) {
  const Plan shortest = planOf(10, 1000);
  const Plan cheapest = planOf(20, 100);
  std::vector<Plan> met = {
      planOf(15, 950),  // dearer than the 12 below once sorted: left out
      planOf(12, 900),  // beaten by the 12 for 800
      planOf(10, 900),  // as short as the shortest end: not longer, left out
      planOf(12, 800), planOf(15, 500), planOf(18, 500),  // no cheaper than the 15 before it
      planOf(19, 100),                                    // no cheaper than the cheapest end
      planOf(21, 50),                                     // longer than the cheapest end
  };
  EXPECT_EQ(measures(frontBetween(shortest, cheapest, met)),
            (Measures{{10, 1000}, {12, 800}, {15, 500}, {20, 100}}));
  EXPECT_TRUE(follows(shortest, cheapest));
  EXPECT_FALSE(follows(cheapest, shortest));
  EXPECT_FALSE(follows(planOf(10, 1000), planOf(10, 900)));
  EXPECT_FALSE(follows(planOf(10, 1000), planOf(11, 1000)));
}

TEST(FrontTest, OneEndAsGoodAsTheOtherIsTheFrontAlone) {
  std::vector<Plan> none;
  // The cheapest plan as short as the shortest: it alone, being cheaper.
  EXPECT_EQ(measures(frontBetween(planOf(10, 500), planOf(10, 400), none)), (Measures{{10, 400}}));
  // Both the same in both: the cheapest plan (told apart by its first item).
  Plan cheapest = planOf(10, 500);
  cheapest.feedings[0].item = 1;
  const std::vector<Plan> tie = frontBetween(planOf(10, 500), cheapest, none);
  ASSERT_EQ(tie.size(), 1U);
  EXPECT_EQ(tie[0].feedings[0].item, 1);
  // The cheapest plan found longer and dearer than the shortest: the shortest alone.
  EXPECT_EQ(measures(frontBetween(planOf(10, 500), planOf(12, 600), none)), (Measures{{10, 500}}));
}

TEST(FrontTest, TheWidestGapsArePricedAtTheirOwnSlopes) {
  // Range 100 feedings: a gap is searched from 5 feedings wide; the widest three, of two as wide
  // the shorter first.
  const std::vector<Plan> front = {planOf(100, 9000), planOf(104, 8000), planOf(109, 7000),
                                   planOf(149, 3000), planOf(160, 2000), planOf(200, 1000)};
  const std::vector<FeedingPrice> prices = gapPrices(front);
  ASSERT_EQ(prices.size(), 3U);
  EXPECT_EQ(prices[0].maxFeedings, 149);  // 40 wide, 100 meseta a feeding
  EXPECT_DOUBLE_EQ(prices[0].meseta, 100);
  EXPECT_EQ(prices[1].maxFeedings, 200);  // 40 wide, 25 a feeding
  EXPECT_DOUBLE_EQ(prices[1].meseta, 25);
  EXPECT_EQ(prices[2].maxFeedings, 160);  // 11 wide
  EXPECT_DOUBLE_EQ(prices[2].meseta, 1000.0 / 11);

  // A gap exactly the least width is searched; one narrower is not.
  const std::vector<FeedingPrice> least =
      gapPrices({planOf(100, 900), planOf(105, 800), planOf(109, 700), planOf(200, 100)});
  ASSERT_EQ(least.size(), 2U);
  EXPECT_EQ(least[0].maxFeedings, 200);
  EXPECT_EQ(least[1].maxFeedings, 105);
  EXPECT_TRUE(gapPrices({planOf(100, 900)}).empty());
}

}  // namespace
}  // namespace ostrel

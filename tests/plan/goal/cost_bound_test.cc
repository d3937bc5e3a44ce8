// The bound on what a mag still costs: exact where one stat needs points (one constraint), never
// above a mix of items that covers the needs, and never above what the rest of a real plan
// costs from any state on its way.
#include "plan/goal/cost_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>

#include "model/feeding.h"
#include "model/form_rules.h"
#include "plan/goal/goal.h"
#include "plan/goal/two_threads.h"
#include "support/replay.h"

namespace ostrel {
namespace {

ItemCosts mesetaCosts() {
  ItemCosts costs{};
  for (Item item = 0; item < kFedItemCount; ++item) costs[item] = kItemPrice[item];
  return costs;
}

// The cheapest way to give one stat its points: the item with the lowest cost per point.
double cheapestPerPoint(TableSet tables, const ItemCosts& costs, int stat) {
  double best = 1e300;
  for (FeedTable table = 0; table < kFeedTableCount; ++table) {
    if (((tables >> table) & 1U) == 0) continue;
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kFeedTable[table][item];
      const std::int32_t gain[4] = {d.def, d.pow, d.dex, d.mind};
      if (gain[stat] > 0) best = std::min(best, costs[item] / gain[stat]);
    }
  }
  return best;
}

TEST(CostBoundTest, ExactForOneStatAndBelowEveryCoveringMix) {
  std::mt19937 rng(31);
  ItemCosts ones{};
  ones.fill(1);
  for (const ItemCosts& costs : {mesetaCosts(), ones}) {
    for (int run = 0; run < 300; ++run) {
      const auto tables = static_cast<TableSet>(std::uniform_int_distribution<int>(1, 1023)(rng));
      const CostBound bound = makeCostBound(tables, costs);
      ASSERT_FALSE(bound.corners.empty());
      std::array<std::int32_t, 4> need{};
      double separately = 0;  // each stat by its own cheapest item: a mix that covers all four
      for (int stat = 0; stat < 4; ++stat) {
        need[stat] = std::uniform_int_distribution<int>(0, 3)(rng) == 0
                         ? 0
                         : std::uniform_int_distribution<int>(1, 9000)(rng);
        std::array<std::int32_t, 4> alone{};
        alone[stat] = need[stat];
        const double exact = need[stat] * cheapestPerPoint(tables, costs, stat);
        EXPECT_NEAR(bound.of(alone), exact, 1e-6 * exact + 1e-9) << "tables " << tables;
        separately += exact;
      }
      EXPECT_LE(bound.of(need), separately * (1 + 1e-9));
    }
  }
  // Points that no table gives cannot be had at all.
  EXPECT_EQ(makeCostBound(0, mesetaCosts()).of({0, 0, 0, 0}), 0);
  EXPECT_EQ(makeCostBound(0, mesetaCosts()).of({0, 1, 0, 0}), CostBound::kUnreachable);
}

// From every state on a real plan of either goal, the rest of the plan costs at least the bound
// over the tables of the forms that the mag can still take, the room left on the stats already on
// target counted where that is one table.
TEST(CostBoundTest, NeverAboveTheRestOfARealPlan) {
  ItemCosts ones{};
  ones.fill(1);
  const PlayerRequest request{{7, 9}, {45, 40, 15, 100, 200}};
  int checked = 0;
  int roomCounted = 0;  // checks where the room left on target raised the bound
  for (const Goal goal : {Goal::kCheapest, Goal::kFewest}) {
    const ItemCosts costs = goal == Goal::kCheapest ? mesetaCosts() : ones;
    const GoalResult result =
        planForGoal(request, kBabyMag,
                    {.goal = goal, .form = {}, .beamWidth = 16, .threads = 1, .firstSearch = {}});
    ASSERT_EQ(result.outcome, GoalOutcome::kFound);
    std::map<TableSet, CostBound> bounds;
    for (const Plan* plan : {&result.plan, &*result.first}) {
      testing::expectPlanReplays(request, kBabyMag, *plan);
      double rest = goal == Goal::kCheapest ? plan->cost : plan->feedCount();
      for (const Feeding& feeding : plan->feedings) {
        const MagState& mag = feeding.before;
        TableSet tables = 0;
        const FormSet forms =
            reachableForms(request.player, mag.type, mag.level, request.target.level);
        for (MagType type = 0; type < kMagTypeCount; ++type) {
          if ((forms & formBit(type)) != 0)
            tables |= static_cast<TableSet>(1U << feedTableOf(type));
        }
        if (!bounds.contains(tables))
          bounds.emplace(tables, makeCostBound(tables, costs, runHere, RoomCount::kToMaxLevel));
        const auto need = barPointsNeeded(mag, request.target);
        const double bound = bounds.at(tables).of(need);
        ASSERT_LE(bound, rest);
        if (bound > CostBound::largestProduct(bounds.at(tables).corners, need)) ++roomCounted;
        rest -= goal == Goal::kCheapest ? kItemPrice[feeding.item] : 1;
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 400);
  EXPECT_GT(roomCounted, 20);
}

// The feeding that brings a mag to level 200 may fill the bars of pow, dex and mind past 99 once
// its def has filled: the room on target then holds that much more. From such a mag, one
// feeding from the end, the bound is at most that feeding, for every table and item.
TEST(CostBoundTest, LastFeedingMayOverfillTheBarsOnTarget) {
  ItemCosts ones{};
  ones.fill(1);
  const Target target{50, 50, 50, 50, 200};
  int checked = 0;
  for (MagType type = 1; type < kMagTypeCount; ++type) {
    const FeedTable table = feedTableOf(type);
    if (type > 1 && feedTableOf(type - 1) == table) continue;  // one form a table
    const auto tables = static_cast<TableSet>(1U << table);
    const CostBound meseta = makeCostBound(tables, mesetaCosts(), runHere, RoomCount::kToMaxLevel);
    const CostBound feedings = makeCostBound(tables, ones, runHere, RoomCount::kToMaxLevel);
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kFeedTable[table][item];
      if (d.def <= 0) continue;
      const auto fullAfter = [](std::int32_t gain) { return gain > 0 ? 100 - gain : 99; };
      MagState mag{
          type, 49, 50, 50, 50, 100 - d.def, fullAfter(d.pow), fullAfter(d.dex), fullAfter(d.mind),
          199};
      const auto need = barPointsNeeded(mag, target);
      feedItem(Player{0, 0}, item, mag);
      if (mag.def != 50 || mag.pow != 50 || mag.dex != 50 || mag.mind != 50) continue;
      EXPECT_LE(meseta.of(need), kItemPrice[item]) << "type " << type << " item " << item;
      EXPECT_LE(feedings.of(need), 1) << "type " << type << " item " << item;
      ++checked;
    }
  }
  EXPECT_GT(checked, 30);
}

// The corners' search shared out between two threads finds the very corners it finds on one,
// in the same order, for plain bounds, for guides that count the items' losses, and by the stats
// on target.
TEST(CostBoundTest, TwoThreadsFindTheSameCorners) {
  TwoThreads threads(true);
  const RunBoth sideBySide = [&threads](const std::function<void(int)>& work) {
    threads.runBoth(work);
  };
  for (const TableSet tables : {0x001, 0x278, 0x27a, 0x3ff}) {
    const CostBound here = makeRankingGuide(tables, mesetaCosts(), true, 0.9, 0xF, runHere);
    const CostBound there = makeRankingGuide(tables, mesetaCosts(), true, 0.9, 0xF, sideBySide);
    EXPECT_EQ(here.corners, there.corners) << "tables " << tables;
    EXPECT_EQ(here.netCorners, there.netCorners) << "tables " << tables;
    EXPECT_FALSE(here.netCorners[0xF].empty());
    const CostBound roomHere =
        makeCostBound(tables, mesetaCosts(), runHere, RoomCount::kToMaxLevel);
    const CostBound roomThere =
        makeCostBound(tables, mesetaCosts(), sideBySide, RoomCount::kToMaxLevel);
    EXPECT_EQ(roomHere.cappedCorners, roomThere.cappedCorners) << "tables " << tables;
  }
}

}  // namespace
}  // namespace ostrel

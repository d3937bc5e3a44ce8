// The bound on what a mag still costs: exact where one stat needs points (one constraint), never
// above a mix of items that covers the needs, and never above what the rest of a real plan
// costs from any state on its way.
#include "plan/goal/cost_estimate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
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

TEST(CostEstimateTest, ExactForOneStatAndBelowEveryCoveringMix) {
  std::mt19937 rng(31);
  ItemCosts ones{};
  ones.fill(1);
  for (const ItemCosts& costs : {mesetaCosts(), ones}) {
    for (int run = 0; run < 300; ++run) {
      const auto tables = static_cast<TableSet>(std::uniform_int_distribution<int>(1, 1023)(rng));
      const CostEstimate bound = makeLowerBound(tables, costs);
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
  EXPECT_EQ(makeLowerBound(0, mesetaCosts()).of({0, 0, 0, 0}), 0);
  EXPECT_EQ(makeLowerBound(0, mesetaCosts()).of({0, 1, 0, 0}), CostEstimate::kUnreachable);
}

// The meetings of the dual programme in the four stats, found the slow way and held as the bounds
// hold their corners (less a hair; the stats in `negated` negated, plus a hair): every point
// where four rows (an item's gains as `gainOf` counts them, or y >= 0) meet and that holds every
// row.
template <class GainOf>
std::vector<std::array<double, 4>> meetingsTriedOneByOne(TableSet tables, const ItemCosts& costs,
                                                         GainOf gainOf, unsigned negated) {
  std::vector<std::array<double, 5>> rows;  // gains . y <= limit
  for (FeedTable table = 0; table < kFeedTableCount; ++table) {
    if (((tables >> table) & 1U) == 0) continue;
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kFeedTable[table][item];
      rows.push_back(
          {gainOf(0, d.def), gainOf(1, d.pow), gainOf(2, d.dex), gainOf(3, d.mind), costs[item]});
    }
  }
  for (int stat = 0; stat < 4; ++stat) {
    std::array<double, 5> floor{};
    floor[stat] = -1;
    rows.push_back(floor);
  }
  std::vector<std::array<double, 4>> corners;
  const std::size_t n = rows.size();
  std::size_t chosen[4];
  for (chosen[0] = 0; chosen[0] < n; ++chosen[0]) {
    for (chosen[1] = chosen[0] + 1; chosen[1] < n; ++chosen[1]) {
      for (chosen[2] = chosen[1] + 1; chosen[2] < n; ++chosen[2]) {
        for (chosen[3] = chosen[2] + 1; chosen[3] < n; ++chosen[3]) {
          double m[4][5];
          for (int r = 0; r < 4; ++r) std::copy_n(rows[chosen[r]].begin(), 5, m[r]);
          bool solved = true;
          for (int col = 0; col < 4 && solved; ++col) {
            int pivot = col;
            for (int r = col + 1; r < 4; ++r) {
              if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
            }
            solved = std::fabs(m[pivot][col]) > 1e-9;
            std::swap(m[col], m[pivot]);
            for (int r = 0; r < 4 && solved; ++r) {
              const double factor = r == col ? 0 : m[r][col] / m[col][col];
              for (int k = col; k < 5; ++k) m[r][k] -= factor * m[col][k];
            }
          }
          if (!solved) continue;
          std::array<double, 4> y{};
          for (int r = 0; r < 4; ++r) y[r] = m[r][4] / m[r][r];
          const auto holds = [&y](const std::array<double, 5>& row) {
            return row[0] * y[0] + row[1] * y[1] + row[2] * y[2] + row[3] * y[3] <=
                   row[4] * (1 + 1e-9) + 1e-9;
          };
          if (!std::all_of(rows.begin(), rows.end(), holds)) continue;
          for (int stat = 0; stat < 4; ++stat) {
            const double value = std::max(y[stat], 0.0);
            y[stat] = ((negated >> stat) & 1U) != 0 ? -value * (1 + 1e-9) : value * (1 - 1e-9);
          }
          corners.push_back(y);
        }
      }
    }
  }
  return corners;
}

// The corners of a bound (four values each) against the meetings tried one by one: each corner is
// one of them, and each of them is matched or beaten by a corner (so the bound, whose needs and
// rooms are never negative, is never below the best of them).
void expectCorners(const Corners& found, const std::vector<std::array<double, 4>>& meetings,
                   TableSet tables) {
  const auto atLeast = [](const std::array<double, 4>& corner,
                          const std::array<double, 4>& meeting) {
    for (int stat = 0; stat < 4; ++stat) {
      if (corner[stat] < meeting[stat] - 1e-7 * (1 + std::fabs(meeting[stat]))) return false;
    }
    return true;
  };
  const auto same = [](const std::array<double, 4>& corner, const std::array<double, 4>& meeting) {
    for (int stat = 0; stat < 4; ++stat) {
      if (std::fabs(corner[stat] - meeting[stat]) > 1e-7 * (1 + std::fabs(meeting[stat]))) {
        return false;
      }
    }
    return true;
  };
  for (std::size_t i = 0; i < found.size(); ++i) {
    EXPECT_TRUE(std::any_of(meetings.begin(), meetings.end(),
                            [&](const auto& meeting) { return same(found[i], meeting); }))
        << "tables " << tables;
  }
  for (const std::array<double, 4>& meeting : meetings) {
    bool covered = false;
    for (std::size_t i = 0; i < found.size() && !covered; ++i) {
      covered = atLeast(found[i], meeting);
    }
    EXPECT_TRUE(covered) << "tables " << tables;
  }
}

// The corners of the plain bound, of the guide that counts the items' losses and of the bound that
// counts the room left on the stats on target, in the four stats, are walked to rather than tried
// one choice at a time: the same corners either way, with meseta, feedings and small whole prices
// with ties (where more than four rows meet at a corner).
TEST(CostEstimateTest, CornersWalkedToAreThoseTriedOneByOne) {
  std::mt19937 rng(47);
  ItemCosts ones{};
  ones.fill(1);
  const auto gained = [](int /*stat*/, std::int32_t change) { return std::max(change, 0) * 1.0; };
  const auto net = [](int /*stat*/, std::int32_t change) { return change * 1.0; };
  int checked = 0;
  for (int family = 0; family < 3; ++family) {
    for (int run = 0; run < 16; ++run) {
      ItemCosts costs = family == 0 ? mesetaCosts() : ones;
      if (family == 2) {
        for (double& cost : costs) cost = std::uniform_int_distribution<int>(1, 5)(rng);
      }
      const int first = std::uniform_int_distribution<int>(0, 9)(rng);
      auto tables = static_cast<TableSet>(1U << first);
      if (run % 2 == 1) {
        tables |= static_cast<TableSet>(1U << std::uniform_int_distribution<int>(0, 9)(rng));
      }
      const CostEstimate bound = makeLowerBound(tables, costs);
      if (bound.raised != 0xF) continue;
      expectCorners(bound.corners, meetingsTriedOneByOne(tables, costs, gained, 0), tables);
      const CostEstimate guide = makeRankingGuide(tables, costs, true, 1.0, 0xF);
      expectCorners(guide.netCorners[0xF], meetingsTriedOneByOne(tables, costs, net, 0), tables);
      // One table, every set of stats on target: they count the bar points an item takes off.
      const auto one = static_cast<TableSet>(1U << first);
      const CostEstimate room = makeLowerBound(one, costs, runHere, RoomCount::kBelowMaxLevel);
      for (unsigned onTarget = 1; onTarget < 15; ++onTarget) {
        const auto shortOrBack = [onTarget](int stat, std::int32_t change) {
          return ((onTarget >> stat) & 1U) != 0 ? -change * 1.0 : std::max(change, 0) * 1.0;
        };
        expectCorners(room.cappedCorners[~onTarget & 0xFU],
                      meetingsTriedOneByOne(one, costs, shortOrBack, onTarget), one);
      }
      ++checked;
    }
  }
  EXPECT_GT(checked, 30);
}

// From every state on a real plan of either goal, the rest of the plan costs at least the bound
// over the tables of the forms that the mag can still take, the room left on the stats already on
// target counted where that is one table.
TEST(CostEstimateTest, NeverAboveTheRestOfARealPlan) {
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
    std::map<TableSet, CostEstimate> bounds;
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
          bounds.emplace(tables, makeLowerBound(tables, costs, runHere, RoomCount::kToMaxLevel));
        const auto need = barPointsNeeded(mag, request.target);
        const double bound = bounds.at(tables).of(need);
        ASSERT_LE(bound, rest);
        if (bound > bounds.at(tables).corners.largestProduct(need)) ++roomCounted;
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
TEST(CostEstimateTest, LastFeedingMayOverfillTheBarsOnTarget) {
  ItemCosts ones{};
  ones.fill(1);
  const Target target{50, 50, 50, 50, 200};
  int checked = 0;
  for (MagType type = 1; type < kMagTypeCount; ++type) {
    const FeedTable table = feedTableOf(type);
    if (type > 1 && feedTableOf(type - 1) == table) continue;  // one form a table
    const auto tables = static_cast<TableSet>(1U << table);
    const CostEstimate meseta =
        makeLowerBound(tables, mesetaCosts(), runHere, RoomCount::kToMaxLevel);
    const CostEstimate feedings = makeLowerBound(tables, ones, runHere, RoomCount::kToMaxLevel);
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

// The corners' search shared out between two threads (every choice tried, in fewer than four
// stats) finds the very corners it finds on one, in the same order, for plain bounds, for guides
// that count the items' losses, and by the stats on target.
TEST(CostEstimateTest, TwoThreadsFindTheSameCorners) {
  TwoThreads threads(true);
  const RunBoth sideBySide = [&threads](const std::function<void(int)>& work) {
    threads.runBoth(work);
  };
  for (const TableSet tables : {0x001, 0x278, 0x27a, 0x3ff}) {
    const CostEstimate here = makeRankingGuide(tables, mesetaCosts(), true, 0.9, 0xF, runHere);
    const CostEstimate there = makeRankingGuide(tables, mesetaCosts(), true, 0.9, 0xF, sideBySide);
    EXPECT_EQ(here.corners, there.corners) << "tables " << tables;
    EXPECT_EQ(here.netCorners, there.netCorners) << "tables " << tables;
    EXPECT_FALSE(here.netCorners[0xF].empty());
    const CostEstimate roomHere =
        makeLowerBound(tables, mesetaCosts(), runHere, RoomCount::kToMaxLevel);
    const CostEstimate roomThere =
        makeLowerBound(tables, mesetaCosts(), sideBySide, RoomCount::kToMaxLevel);
    EXPECT_EQ(roomHere.cappedCorners, roomThere.cappedCorners) << "tables " << tables;
  }
}

// The corners kept two by two give bit for bit the largest product of a plain loop over them,
// for every count (an odd one is padded), with negative values (the stats on target) and needs
// (which count as 0): the ranking, and so every plan, is the same as worked out one at a time.
TEST(CostEstimateTest, CornersTwoByTwoGiveThePlainLargestProduct) {
  std::mt19937 rng(53);
  std::uniform_real_distribution<double> value(-3, 40);
  std::uniform_int_distribution<std::int32_t> needed(-100, 9000);
  for (std::size_t count = 0; count < 14; ++count) {
    std::vector<double> flat(count * 4);
    for (double& each : flat) each = value(rng);
    const Corners corners(flat);
    ASSERT_EQ(corners.size(), count);
    for (int run = 0; run < 50; ++run) {
      const std::array<std::int32_t, 4> need = {needed(rng), needed(rng), needed(rng), needed(rng)};
      double plain = 0;
      for (std::size_t i = 0; i < count; ++i) {
        double product = 0;
        for (int stat = 0; stat < 4; ++stat) {
          product += std::max(need[stat], 0) * flat[i * 4 + stat];
        }
        plain = std::max(plain, product);
      }
      EXPECT_EQ(std::bit_cast<std::uint64_t>(corners.largestProduct(need)),
                std::bit_cast<std::uint64_t>(plain))
          << "count " << count << " run " << run;
    }
  }
}

}  // namespace
}  // namespace ostrel

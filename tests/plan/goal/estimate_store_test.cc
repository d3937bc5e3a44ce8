// The store of estimates: what it hands out is what the estimate made afresh would be, for every
// setting the estimate depends on, whatever was asked before; and an estimate asked again is the
// one made before.
#include "plan/goal/estimate_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <random>
#include <vector>

#include "model/tables.h"

namespace ostrel {
namespace {

void expectSameEstimate(const CostEstimate& stored, const CostEstimate& made) {
  EXPECT_EQ(stored.corners, made.corners);
  EXPECT_EQ(stored.raised, made.raised);
  EXPECT_EQ(stored.countsLosses, made.countsLosses);
  EXPECT_EQ(stored.netCorners, made.netCorners);
  EXPECT_EQ(stored.cappedCorners, made.cappedCorners);
  EXPECT_EQ(stored.lastOverfill, made.lastOverfill);
}

TEST(EstimateStoreTest, EachSettingGetsItsOwnEstimateMadeOnce) {
  ItemCosts meseta{};
  for (Item item = 0; item < kFedItemCount; ++item) meseta[item] = kItemPrice[item];
  ItemCosts priced = meseta;  // a price on every feeding, as the trade-off puts
  for (double& cost : priced) cost += 96.5;
  ItemCosts ones{};
  ones.fill(1);
  std::mt19937 rng(38);
  // Three of one table (the room counts), then three of several.
  std::vector<TableSet> tableSets = {1, 4, 1U << (kFeedTableCount - 1)};
  while (tableSets.size() < 6) {
    const auto tables = static_cast<TableSet>(std::uniform_int_distribution<int>(3, 1023)(rng));
    if (std::popcount(tables) > 1 &&
        std::find(tableSets.begin(), tableSets.end(), tables) == tableSets.end()) {
      tableSets.push_back(tables);
    }
  }
  EstimateStore store;
  // Asked in two rounds: in the first each setting is made, in the second it is found, and every
  // setting that changes the estimate must get its own.
  std::vector<const CostEstimate*> firstRound;
  for (int round = 0; round < 2; ++round) {
    std::size_t asked = 0;
    for (const TableSet tables : tableSets) {
      for (const ItemCosts& costs : {meseta, priced, ones}) {
        for (const RoomCount room :
             {RoomCount::kNot, RoomCount::kBelowMaxLevel, RoomCount::kToMaxLevel}) {
          const CostEstimate& stored = store.lowerBound(tables, costs, room, runHere);
          if (round == 0) {
            expectSameEstimate(stored, makeLowerBound(tables, costs, runHere, room));
            firstRound.push_back(&stored);
          }
          EXPECT_EQ(&stored, firstRound[asked++]);
        }
        for (const bool countLosses : {false, true}) {
          for (const double weight : {1.0, 0.9}) {
            for (const unsigned mayBeShort : {15U, 6U}) {
              const CostEstimate& stored =
                  store.rankingGuide(tables, costs, countLosses, weight, mayBeShort, runHere);
              if (round == 0) {
                expectSameEstimate(stored, makeRankingGuide(tables, costs, countLosses, weight,
                                                            mayBeShort, runHere));
                firstRound.push_back(&stored);
              }
              EXPECT_EQ(&stored, firstRound[asked++]);
            }
          }
        }
      }
    }
  }
  // The room is counted for one table alone, and the stats that may be short matter only with
  // the losses counted: the settings that make the same estimate share it.
  const std::size_t bounds = 3 * 3 + 3;  // each room kind of one table; one of several tables
  const std::size_t guides = 2 + 2 * 2;  // by weight without losses; by weight and short with
  EXPECT_EQ(store.size(), 3 * (bounds + guides * tableSets.size()));
}

}  // namespace
}  // namespace ostrel

// The estimates of what a mag still costs, from the items of a set of feeding tables: the rows of
// the covering programme (the bar points each stat needs, from the items' gains at their prices)
// and their dual corners (dual_corners.h), worked out once per set of tables, so one estimate is a
// handful of products. The ranking guides are made the same way from the items' net bar changes.
#include "plan/goal/cost_estimate.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "model/feeding.h"

namespace ostrel {
namespace {

// a beats b: it gives at least as much to every bar, for no more.
bool beats(const DualRow& a, const DualRow& b) {
  for (int stat = 0; stat < 4; ++stat) {
    if (a.gain[stat] < b.gain[stat]) return false;
  }
  return a.limit <= b.limit;
}

// The items of `tables` as rows, their bar changes counted by `gainOf`, less the items another
// beats; then y >= 0 for the stats some item raises (`raised`, which it sets), and after them for
// the other stats of `alsoVariables`. The y of the other stats is 0 (a need there makes the bound
// infinite anyway).
template <class GainOf>
std::vector<DualRow> constraintsOf(TableSet tables, const ItemCosts& costs, GainOf gainOf,
                                   std::uint8_t& raised, std::uint8_t alsoVariables = 0) {
  std::vector<DualRow> items;
  raised = 0;
  for (FeedTable table = 0; table < kFeedTableCount; ++table) {
    if (((tables >> table) & 1U) == 0) continue;
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kFeedTable[table][item];
      const std::int32_t gains[4] = {d.def, d.pow, d.dex, d.mind};
      DualRow row{{}, costs[item]};
      bool gainsAny = false;
      for (int stat = 0; stat < 4; ++stat) {
        row.gain[stat] = static_cast<double>(gainOf(stat, gains[stat]));
        if (row.gain[stat] > 0) raised |= 1U << stat;
        gainsAny = gainsAny || row.gain[stat] > 0;
      }
      // An item that gains nothing counted holds with room to spare for every y >= 0, so it is
      // never one of the rows that meet in a corner.
      if (gainsAny) items.push_back(row);
    }
  }
  // Keep the items no other beats (of two equal ones, the first).
  std::vector<DualRow> rows;
  for (std::size_t i = 0; i < items.size(); ++i) {
    bool beaten = false;
    for (std::size_t j = 0; j < items.size() && !beaten; ++j) {
      if (j != i && beats(items[j], items[i]) && (!beats(items[i], items[j]) || j < i)) {
        beaten = true;
      }
    }
    if (!beaten) rows.push_back(items[i]);
  }
  addFloors(rows, raised);
  addFloors(rows, alsoVariables & ~unsigned{raised});
  return rows;
}

// The corners of `rows` in the stats `variables`, as a bound keeps them (dualCorners).
Corners cornersOf(const std::vector<DualRow>& rows, unsigned variables, const RunBoth& runBoth,
                  unsigned negated = 0) {
  return Corners(dualCorners(rows, variables, runBoth, negated));
}

}  // namespace

// The corners for the stats `shortStats` short and the others on their targets: a short stat
// counts an item's gains, a stat on target the bar points it takes off (the room it gives back),
// and the corners hold the negated prices of the stats on target, so that their products with the
// room left count against the bound.
Corners cappedCornersOf(TableSet tables, const ItemCosts& costs, unsigned shortStats,
                        std::uint8_t raised, const RunBoth& runBoth) {
  const auto change = [shortStats](int stat, std::int32_t delta) {
    return ((shortStats >> stat) & 1U) != 0 ? std::max(delta, 0) : -delta;
  };
  // Every stat on target has a price, at least 0, whether or not an item lowers it.
  const auto onTarget = static_cast<std::uint8_t>(~shortStats & 15U);
  std::uint8_t gaining = 0;
  const std::vector<DualRow> rows = constraintsOf(tables, costs, change, gaining, onTarget);
  const auto variables = static_cast<std::uint8_t>((raised & shortStats) | onTarget);
  return cornersOf(rows, variables, runBoth, onTarget);
}

// The most bar points an item of `tables` fed gives each of pow, dex and mind (none for def: its
// bar moves first in a feeding, before any level-up to 200 in it).
std::array<std::int32_t, 4> mostGivenAfterDef(TableSet tables) {
  std::array<std::int32_t, 4> most{};
  for (FeedTable table = 0; table < kFeedTableCount; ++table) {
    if (((tables >> table) & 1U) == 0) continue;
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kFeedTable[table][item];
      most = {0, std::max(most[1], d.pow), std::max(most[2], d.dex), std::max(most[3], d.mind)};
    }
  }
  return most;
}

CostEstimate makeLowerBound(TableSet tables, const ItemCosts& costs, const RunBoth& runBoth,
                            RoomCount room) {
  CostEstimate bound;
  const auto gained = [](int /*stat*/, std::int32_t change) { return std::max(change, 0); };
  const std::vector<DualRow> rows = constraintsOf(tables, costs, gained, bound.raised);
  bound.corners = cornersOf(rows, bound.raised, runBoth);
  if (room != RoomCount::kNot && std::popcount(tables) == 1) {
    if (room == RoomCount::kToMaxLevel) bound.lastOverfill = mostGivenAfterDef(tables);
    for (unsigned shortStats = 1; shortStats < 15; ++shortStats) {
      bound.cappedCorners[shortStats] =
          cappedCornersOf(tables, costs, shortStats, bound.raised, runBoth);
    }
  }
  return bound;
}

CostEstimate makeRankingGuide(TableSet tables, const ItemCosts& costs, bool countLosses,
                              double weight, unsigned mayBeShort, const RunBoth& runBoth) {
  CostEstimate guide = makeLowerBound(tables, costs, runBoth);
  guide.countsLosses = countLosses;
  if (countLosses) {
    for (unsigned shortStats = 1; shortStats < 16; ++shortStats) {
      if ((shortStats & ~mayBeShort) != 0) continue;
      // A stat on its target takes losses for free (its bar stops at 0), so it counts nothing.
      const auto change = [shortStats](int stat, std::int32_t delta) {
        return ((shortStats >> stat) & 1U) != 0 ? delta : 0;
      };
      std::uint8_t raised = 0;
      const std::vector<DualRow> rows = constraintsOf(tables, costs, change, raised);
      guide.netCorners[shortStats] = cornersOf(rows, raised, runBoth);
    }
  }
  guide.corners.scale(weight);
  for (Corners& corners : guide.netCorners) corners.scale(weight);
  return guide;
}

}  // namespace ostrel

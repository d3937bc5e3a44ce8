// How the beam search ranks its states and measures its plans for each goal, chosen when the
// search is compiled: in meseta for the cheapest plan, in feedings for the shortest. The rank of a
// state is what its plan would come to at best: the meseta spent plus the bound on what is still
// needed for the cheapest; the bound on the feedings still needed alone for the shortest (every
// state of a layer has had the same number of feedings).
#pragma once

#include <cstdint>

#include "model/state.h"
#include "model/tables.h"
#include "plan/goal/goal.h"

namespace ostrel {

// Whether `spent` plus `bound` in whole units comes under `limit`. The bound is rounded up less a
// hair for its own rounding, spent + ceil(bound - 1e-6) < limit, which holds exactly when
// bound - 1e-6 <= limit - spent - 1: compared so, without rounding, it takes one comparison (the
// rounding to whole units was a visible part of a trade-off's time). The limits with no plan found
// (the largest and smallest whole numbers) compare as before: every state comes under the first,
// none under the second.
inline bool comesUnder(std::int64_t spent, double bound, std::int64_t limit) {
  return bound - 1e-6 <= static_cast<double>(limit) - static_cast<double>(spent) - 1;
}

// The items the search feeds only where the feeding raises the level, as bits by item.
using ItemSet = std::uint16_t;

struct CheapestOrder {
  static constexpr Goal kGoal = Goal::kCheapest;

  // The items dearer than 300 meseta (Trimate, Difluid, Trifluid, Moon Atomizer): without a
  // level-up a feeding only moves bars, which the cheap items do for far less; with one it may
  // decide an evolution (a cheapest plan may feed one Moon Atomizer among many cheap items, at
  // the level where it decides the form). In every search that ranks by meseta alone (the
  // cheapest plan's, and those of its kind for the forms the shortest plan's searches missed);
  // not in those that put a price on the feedings (BeamSpec::feedingPrice), which want the dear
  // items' bigger steps.
  static constexpr ItemSet kLevelUpOnlyItems = [] {
    constexpr std::int32_t kDearAbove = 300;
    ItemSet items = 0;
    for (Item item = 0; item < kFedItemCount; ++item) {
      if (kItemPrice[item] > kDearAbove) items |= static_cast<ItemSet>(1U << item);
    }
    return items;
  }();

  static double itemCost(Item item) { return kItemPrice[item]; }
  static double rankOf(std::int32_t cost, double remaining) { return remaining + cost; }
  static double remainingOf(double rank, std::int32_t cost) { return rank - cost; }
  // A plan leaves room only for states whose plans would cost less meseta.
  static std::int64_t limitOf(const PlanMeasure& plan) { return plan.meseta; }
  // What a state has spent so far, in the limits' unit.
  static std::int64_t spentBy(std::int32_t /*depth*/, std::int32_t cost) { return cost; }
};

struct FewestOrder {
  static constexpr Goal kGoal = Goal::kFewest;

  static constexpr ItemSet kLevelUpOnlyItems = 0;  // every item may shorten a plan

  static double itemCost(Item /*item*/) { return 1.0; }
  static double rankOf(std::int32_t /*cost*/, double remaining) { return remaining; }
  static double remainingOf(double rank, std::int32_t /*cost*/) { return rank; }
  // A plan leaves room only for plans of fewer feedings, or as many for less.
  static std::int64_t limitOf(const PlanMeasure& plan) { return plan.feedings + 1; }
  static std::int64_t spentBy(std::int32_t depth, std::int32_t /*cost*/) { return depth; }
};

}  // namespace ostrel

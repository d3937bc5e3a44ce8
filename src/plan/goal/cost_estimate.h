// Estimates of what a mag still costs to reach its target, of two sorts: a lower bound, which no
// real plan comes under (makeLowerBound), and the bolder ranking guides, which bound nothing
// (makeRankingGuide). The bar points each stat still needs must come from the positive bar
// changes of the items fed, whatever else they do, so the cheapest mix of items that covers the
// four needs (a linear programme with four constraints) bounds every real plan from below. Its
// value is the best of a few corners of the dual programme (dual_corners.h), worked out once per
// set of feeding tables, so one estimate is a handful of products.
// A stat already on its target may not rise again: what the items add to its bar, net of what
// they take off (a bar stops at 0, so it loses no more than that), must fit in the room its bar
// has left. Counting that too (a constraint per such stat) makes a tighter bound for one table.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "model/limits.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/goal/corners.h"
#include "plan/goal/dual_corners.h"

namespace ostrel {

// Whether a bound counts the room left on the stats on target (CostEstimate::cappedCorners): not,
// or for a target below level 200, or for one at 200, where a full bar gives no more level and the
// feeding that brings the mag there may overfill the bars that move after the one that filled
// (pow, dex and mind come after def).
enum class RoomCount { kNot, kBelowMaxLevel, kToMaxLevel };

// A set of feeding tables, bit `table` for table `table`.
using TableSet = std::uint16_t;

// The price of every item the plans feed, in what the bound counts: meseta, or 1 for feedings.
using ItemCosts = std::array<double, kFedItemCount>;

// The corners of the dual programme for one set of tables: the estimate for needs b is the largest
// b . y over the corners y. A lower bound, or a ranking guide (scaled, or counting losses).
struct CostEstimate {
  Corners corners;
  std::uint8_t raised = 0;    // the stats (bit 0 def .. bit 3 mind) some item raises
  bool countsLosses = false;  // a ranking guide with netCorners: no bound reads them
  // Only in a ranking guide that counts losses: by the stats still short of their targets (bit 0
  // def .. bit 3 mind), the corners when the items' losses in those stats count against their
  // gains. Empty in a bound.
  std::array<Corners, 16> netCorners;
  // By the stats still short: the corners when the stats already on their targets may not rise
  // again (their bars' room left bounds what the items add to them, net of what they take).
  // The values of the stats on target are the negated prices of that room. Empty in a ranking
  // guide and for more than one table.
  std::array<Corners, 16> cappedCorners;
  // With RoomCount::kToMaxLevel, the most bar points an item of the tables gives each of pow, dex
  // and mind: what the last feeding may put past the room on target.
  std::array<std::int32_t, 4> lastOverfill{};

  // The bound for the bar points needed (def, pow, dex, mind) as barPointsNeeded gives them;
  // infinite when a stat needs points that no item of the tables gives. Forced inline: it runs
  // for every feeding a beam simulates, and the call cost as much as its few products.
  [[gnu::always_inline]] double of(const std::array<std::int32_t, 4>& need) const {
    return of(need, statsShort(need));
  }
  // The same, with the stats short of `need` (statsShort) worked out once for every bound a state
  // is ranked by.
  [[gnu::always_inline]] double of(const std::array<std::int32_t, 4>& need,
                                   unsigned shortStats) const {
    if ((shortStats & ~unsigned{raised}) != 0) return kUnreachable;
    double bound = corners.largestProduct(need);
    if (!cappedCorners[shortStats].empty()) {
      // The points needed, or the room left on target (none for a stat past its target).
      std::array<std::int32_t, 4> needOrRoom;
      for (int stat = 0; stat < 4; ++stat) {
        needOrRoom[stat] = need[stat] >= 0 ? need[stat] : -need[stat] - 1 + lastOverfill[stat];
      }
      bound = std::max(bound, cappedCorners[shortStats].largestProduct(needOrRoom));
    }
    if (!countsLosses) return bound;
    return std::max(bound, netCorners[shortStats].largestProduct(need));
  }

  // The stats that need bar points (bit 0 def .. bit 3 mind).
  static unsigned statsShort(const std::array<std::int32_t, 4>& need) {
    unsigned shortStats = 0;
    for (int stat = 0; stat < 4; ++stat) {
      if (need[stat] > 0) shortStats |= 1U << stat;
    }
    return shortStats;
  }

  static constexpr double kUnreachable = 1e300;
};

// The corners for the items of the tables in `tables`, each costing `costs`. Where every choice of
// rows is tried (fewer than four stats) the choices are shared out between the two parts of
// `runBoth`; the corners do not depend on how they run. With `room` counted (for one table only:
// counted for two, the search was slower and oran-fonewm's cheapest plan dearer), also the corners
// by the stats already on target (CostEstimate::cappedCorners).
CostEstimate makeLowerBound(TableSet tables, const ItemCosts& costs,
                            const RunBoth& runBoth = runHere, RoomCount room = RoomCount::kNot);

// A guide for ranking states, bolder than the bound and so no bound: the bound times `weight`
// (below 1 it favours the states that spent less so far) and, with `countLosses`, the larger of it
// and the corners' value for the cheapest mix whose net bar changes (losses taken off the gains)
// cover the stats still short. A bar stops at 0, so a loss can cost less than it counts for here.
// A stat once on its target stays there, so only the sets of stats within `mayBeShort` (those the
// search's first mag is short of) have net corners; any other set counts the bound alone.
CostEstimate makeRankingGuide(TableSet tables, const ItemCosts& costs, bool countLosses,
                              double weight, unsigned mayBeShort, const RunBoth& runBoth = runHere);

// The bar points each stat of `mag` still needs to reach `target`; for a stat on its target, the
// room left in its bar as -(room + 1), which is never 0: a need of 0 means a stat past its target.
inline std::array<std::int32_t, 4> barPointsNeeded(const MagState& mag, const Target& target) {
  const auto need = [](std::int32_t stat, std::int32_t bar, std::int32_t wanted) {
    const std::int32_t points = (wanted - stat) * kBarCapacity - bar;
    if (points > 0) return points;
    return stat == wanted ? -(std::max(kMaxBar - bar, 0) + 1) : 0;
  };
  return {need(mag.def, mag.defBar, target.def), need(mag.pow, mag.powBar, target.pow),
          need(mag.dex, mag.dexBar, target.dex), need(mag.mind, mag.mindBar, target.mind)};
}

}  // namespace ostrel

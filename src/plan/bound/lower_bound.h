// A proven lower bound on what any plan from a mag to a target must spend: meseta, feedings, and
// both again for a plan that ends in a given form. The search's plans are measured against it (a
// plan at most so far above the cheapest possible), and a form or target whose bound is infinite
// is one no plan can reach.
//
// How: the levels from the mag's to the target's are cut at the levels where the form may change
// (10, 35, 50..95, 100..200), and between two cuts every feeding reads the one feeding table of
// the form the mag has there. Each level costs 100 bar points of one stat, paid by the items of
// that stage's table; prices of each stat's bar points per stage (a point of the dual programme
// of the stage's items, no dearer than any item) bound what a stage's feedings cost, prices per
// stat level tie the stages to the levels each stat must gain, and the bars carried over a cut
// (at most 99 per stat) and the levels a feeding may run past a cut (at most 3) are counted
// against the bound. Which forms follow which is decided by the evolution rules at every stat
// vector between the mag and the target. The best prices are searched for; every price tried
// gives a bound, so the search only decides how tight it is. See lower_bound.cc.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

// What each item the plans feed (0..9) costs in the unit a bound counts: meseta, or 1 a feeding.
using FeedCosts = std::array<double, kFedItemCount>;

// The cost of every item in meseta, and 1 for each: the two units of the goals.
FeedCosts mesetaCosts();
FeedCosts feedingCosts();

// The least that any plan can spend, in one unit of FeedCosts; infinite when the bound proves
// that no plan reaches the target (in the form asked for). The request must pass checkStart and
// checkTarget. `form`: the form the plan must end in, if any.
double planCostBound(const PlayerRequest& request, const MagState& start, const FeedCosts& costs,
                     std::optional<MagType> form = {});

// A bound of both goals, rounded up to what a plan can cost (meseta come in multiples of 20).
struct PlanBound {
  bool reachable = true;      // false: no plan can reach the target (in the form asked for)
  std::int64_t meseta = 0;    // every plan costs at least this much
  std::int64_t feedings = 0;  // every plan takes at least this many feedings
};

struct PlanBounds {
  PlanBound any;                  // whatever form the plan ends in
  std::optional<PlanBound> form;  // ending in the form asked for
};

// The bounds of a request, for any plan and, with `form`, for a plan that ends in it.
PlanBounds planBounds(const PlayerRequest& request, const MagState& start,
                      std::optional<MagType> form = {});

}  // namespace ostrel

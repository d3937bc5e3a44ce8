// A proven lower bound on what any plan from a mag to a target must spend: meseta, feedings, and
// both again for a plan that ends in a given form. The search's plans are measured against it (a
// plan at most so far above the cheapest possible), and a form or target that no route reaches
// is one no plan can end in.
//
// How: every plan that ends in a form follows one of the routes to it (model/form_routes.h), the
// evolutions that decide the form with what they need of the stats, and the feeding tables in
// between. A route's linear programme is met by every plan that follows it, so its least cost,
// proven by weak duality (model/linear_programme.h), is at most what any such plan spends; the
// least over a form's routes bounds the plans that end in it, the least over the forms every
// plan. A route is made tighter by naming, one evolution after another, the form each gives,
// best first within a fixed number of programmes: the routes a route splits into cover it, so
// the least over the routes not split further is always a bound. See lower_bound.cc.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "model/form_routes.h"
#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

// What each item the plans feed (0..9) costs in the unit a bound counts: meseta, or 1 a feeding.
using FeedCosts = ItemCosts;

// The cost of every item in meseta, and 1 for each: the two units of the goals.
FeedCosts mesetaCosts();
FeedCosts feedingCosts();

// The least that any plan can spend, in one unit of FeedCosts; infinite when no plan reaches the
// target (in the form asked for). The request must pass checkStart and checkTarget. `form`: the
// form the plan must end in, if any.
double planCostBound(const PlayerRequest& request, const MagState& start, const FeedCosts& costs,
                     std::optional<MagType> form = {});

// A bound of both goals, rounded up to what a plan can cost (meseta come in multiples of 20,
// feedings are whole).
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

// The bound of the plans that end in `form` when one is given, else of every plan.
PlanBound planBound(const PlayerRequest& request, const MagState& start,
                    std::optional<MagType> form = {});

// The bounds of the plans that end in each form, all at once (for a listing of the forms):
// unreachable for every form that the evolution rules or the routes' programmes rule out.
std::array<PlanBound, kMagTypeCount> formBounds(const PlayerRequest& request,
                                                const MagState& start);

}  // namespace ostrel

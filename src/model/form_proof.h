// Proofs that no sequence of feedings ends in a form, or reaches a target at all, where the
// evolution rules alone (form_rules.h) leave it open. A form needs certain stats at certain
// evolutions (a stat leading at level 35, def 45 or more at level 50, an order of the stats with
// def below 45 at the last evolution from 50 to 95, equal pair sums from 100 on), and between
// two evolutions the mag eats from its form's feeding table: every level a stat gains takes 100
// bar points, which only the items' positive bar changes give, while their negative changes pull
// the bars down no further than 0. Whether any mix of items, however many, can bring the stats
// there is a linear programme over the item counts, the stats at the evolutions and the bars in
// between; when it has no solution for every way the form can come about, no plan ends in it.
// Sure as far as it goes: a form or target proven out is out of reach on every route, but some
// out of reach are not proven.
#pragma once

#include <array>
#include <vector>

#include "model/form_routes.h"
#include "model/form_rules.h"
#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

// Why no sequence of feedings from `start` (stats at most their targets) reaches
// `request.target` at all, or kNone when that is not proven.
FormExclusion targetProvenOut(const PlayerRequest& request, const MagState& start);

// For each form in `candidates`, why no sequence of feedings from `start` to `request.target`
// ends in it, or kNone when that is not proven. When the target itself is out of reach, every
// candidate gets the target's reason.
std::array<FormExclusion, kMagTypeCount> formsProvenOut(const PlayerRequest& request,
                                                        const MagState& start, FormSet candidates);

// The same proof asked more closely, for the forms no search reached: the stats at every
// evolution are whole numbers, so a programme that allows a stat between 6 and 6.5 there allows
// it 6 at most, and that narrows what the stats before and after may be. Each stat's most and
// least at each evolution are narrowed while the programme with the stat held there has no
// solution, on the routes with the forms of their evolutions named one by one. Slower than
// formsProvenOut: only where the searches found no plan.
std::array<FormExclusion, kMagTypeCount> formsProvenOutInWholeStats(const PlayerRequest& request,
                                                                    const MagState& start,
                                                                    FormSet candidates);

// The routes to `form` that the closer proof's narrowing leaves open, each stat's least and most
// at each evolution narrowed to whole numbers the route's programme allows: where a plan to the
// form must pass, for a search that goes there leg by leg. Each route is narrowed within the
// closer proof's work for a form, so a route it did not finish with may be among them though
// closed.
std::vector<Route> routesOpenInWholeStats(const PlayerRequest& request, const MagState& start,
                                          MagType form);

}  // namespace ostrel

// The ways a mag can come to a final form, or to the target at all, and what following one asks
// of the feedings. A route is a list of waypoints (the evolutions whose stats decide the form,
// with what they need of the stats) and the feeding tables the mag may eat from between them.
// Between two points of a route every level a stat gains takes 100 bar points, which only the
// items' positive bar changes give, while their negative changes pull the bars down no further
// than 0: a linear programme over the item counts, the stats at the evolutions and the bars in
// between, which every sequence of feedings that follows the route meets.
//
// The form proof (form_proof.h) asks whether a route's programme can be met at all; the plan
// bounds (plan/bound/) ask what meeting it must cost. The routes of a form cover every sequence
// of feedings that ends in it, so both answers hold for every plan.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "model/form_rules.h"
#include "model/linear_programme.h"
#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

inline constexpr std::uint8_t kEveryOrder = (1 << 6) - 1;

// What a route needs of the stats at one evolution. Stat ties count for every stat that shares
// the top place: the feeding's bar changes may break them either way.
struct StatNeed {
  std::int32_t defAtMost = kMaxLevel;
  std::int32_t defAtLeast = 0;
  std::uint8_t orders = kEveryOrder;  // the stat orders allowed (statOrder)
  bool pairSumsEqual = false;
  // -1: the section ID's first pair sum below the second, +1 above it, 0: either or equal. A
  // form below the final ones that is kept from level 100 on needs them apart at every even
  // evolution, or the mag takes the final form there.
  std::int8_t pairSumsApart = 0;
  // Each stat's least and most at the evolution (def, pow, dex, mind): whole numbers, which a
  // programme over real numbers may narrow (form_proof.h).
  std::array<std::int32_t, 4> least = {0, 0, 0, 0};
  std::array<std::int32_t, 4> most = {kMaxLevel, kMaxLevel, kMaxLevel, kMaxLevel};
};

// Whether the stats `s` (def, pow, dex, mind) meet `need`, ties counted as above.
bool statsMeet(const StatNeed& need, const std::int32_t s[4], const Player& player);

struct Waypoint {
  std::int32_t level;
  StatNeed need;
};

// One way to the target: its waypoints, and from `fixedFrom` on (a waypoint's level, or the
// start's) the mag keeps form `fixedForm` and eats from its table alone.
struct Route {
  std::vector<Waypoint> waypoints;
  std::int32_t fixedFrom = kMaxLevel + 1;
  MagType fixedForm = 0;
  // Up to this level every evolution from 50 on has def below 45, and so gives a form of the
  // stat orders: no form kept by a high def.
  std::int32_t defLowUntil = 0;
  // The form some evolutions give on this route (by level), each kept until the next evolution.
  std::vector<std::pair<std::int32_t, MagType>> named;
};

// What is asked about, and the forms the mag may have in each phase between the evolutions at
// 10, 35, 50 and 100. Holds references: the request and the start outlive it.
struct RouteSetting {
  const PlayerRequest& request;
  const MagState& start;  // its level up to date
  FormSet phaseForms[5];  // below 10, 10..34, 35..49, 50..99, 100..200
  FormSet lowDefForms;    // from 50 to 95 with def below 45 at every evolution so far
};

// The setting of a request from `start`, whose level must be up to date.
RouteSetting routeSetting(const PlayerRequest& request, const MagState& start);

// The routes a form can come about by, and the reason to give when none is open. No routes: the
// form comes about in a way no route here describes (nothing can be said of it).
struct Ways {
  std::vector<Route> routes;
  FormExclusion reason;
  std::optional<Route> defAlone;  // the reason's route without its lead, to drop the lead's name
};

Ways waysTo(const RouteSetting& setting, MagType form);

// The route every plan to the target follows: no waypoint but the evolutions where the forms the
// mag may have change.
Route anyRoute();

// `route` with those evolutions added as waypoints, or nothing when the stats between the
// start's and the target's cannot meet a waypoint's needs (no programme needed to tell).
std::optional<Route> routeToTarget(const RouteSetting& setting, Route route);

// The evolutions at which `route` keeps a form below the final ones only with the section ID's
// pair sums apart: the even ones from 100 on, past the start and below the target level (the
// target stats themselves are the rules' to judge).
std::vector<std::int32_t> pairSumsApartLevels(const RouteSetting& setting, const Route& route);

// `route` with the pair sums apart at `level`, the first sum below the second (`side` -1) or
// above it (+1).
Route withPairSumsApart(Route route, std::int32_t level, std::int8_t side);

// The evolutions of a prepared route whose form may be named one at a time, in order: 35 where
// its form is not fixed by then, and from 50 those below `defLowUntil`.
std::vector<std::int32_t> evolutionsToName(const RouteSetting& setting, const Route& route);

// The routes that name the form the evolution at `level` gives on `route`: one per form and
// leading stat (the lead at 35, a stat order with def below 45 from 50 on), together covering
// the route. Forms whose orders the route already rules out are left out.
std::vector<Route> routesNaming(const RouteSetting& setting, const Route& route,
                                std::int32_t level);

// What each item the plans feed (0..9) costs in the unit a bound counts.
using ItemCosts = std::array<double, kFedItemCount>;

// A route's programme, and which of its variables count the feedings of which item.
struct RouteProgramme {
  LinearProgramme programme;
  std::vector<std::pair<int, Item>> counts;

  // The cost of each variable of the programme when the items cost `costs`: an objective for
  // LinearProgramme::leastCosts.
  std::vector<double> objective(const ItemCosts& costs) const;
};

// The programme of `route` from the start to the stats `end` at `endLevel` (the target's, or a
// level on the way with `end` as the most of each stat). An item that another outdoes is left
// out, unless it costs less in one of `units`.
RouteProgramme routeProgramme(const RouteSetting& setting, const Route& route,
                              std::int32_t endLevel, const std::int32_t end[4], bool endExact,
                              const std::vector<ItemCosts>& units = {});

}  // namespace ostrel

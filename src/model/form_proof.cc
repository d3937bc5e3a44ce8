// The form proof: a form is out of reach when no route to it (form_routes.h) has a programme
// that some mix of feedings meets.
#include "model/form_proof.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

#include "model/evolution.h"
#include "model/form_routes.h"

namespace ostrel {
namespace {

// Whether some mix of feedings can follow `route` from the start to the stats `end` at level
// `endLevel` (the target's, or a level on the way with `end` as the most of each stat).
bool routeOpen(const RouteSetting& setting, const Route& route, std::int32_t endLevel,
               const std::int32_t end[4], bool endExact) {
  return routeProgramme(setting, route, endLevel, end, endExact).programme.feasible();
}

// Whether some mix of feedings can follow `route` from the start to exactly the target stats.
bool openToTarget(const RouteSetting& setting, const Route& route) {
  const Target& target = setting.request.target;
  const std::int32_t end[4] = {target.def, target.pow, target.dex, target.mind};
  return routeOpen(setting, route, target.level, end, true);
}

// The programmes one question (a form, or the target) may solve to name the forms on a route
// open with their tables mixed: the proof's time stays small, and what it leaves over is only
// not proven.
constexpr int kWorkPerQuestion = 3;

// Whether `route` is open with the forms of `evolutions` from `next` on named one by one,
// depth first; `work` counts down the programmes it may still solve.
bool routeOpenNamed(const RouteSetting& setting, const Route& route,
                    const std::vector<std::int32_t>& evolutions, std::size_t next, int& work) {
  if (next == evolutions.size()) return true;
  for (const Route& named : routesNaming(setting, route, evolutions[next])) {
    if (work <= 0) return true;
    --work;
    if (openToTarget(setting, named) &&
        routeOpenNamed(setting, named, evolutions, next + 1, work)) {
      return true;
    }
  }
  return false;
}

// The first even evolution from level 100 on at which every mix of feedings that follows
// `route` has the section ID's pair sums equal, or 0. A route that keeps a form below the final
// ones past such a level is closed: there the mag takes the final form. Each level is asked on
// its own, the first sum below the second and then above it, so a route this leaves open may
// still be closed by the levels together: nothing is claimed of it.
std::int32_t pairSumsForcedAt(const RouteSetting& setting, const Route& route) {
  for (const std::int32_t level : pairSumsApartLevels(setting, route)) {
    bool apart = false;
    for (const std::int8_t side : {std::int8_t{-1}, std::int8_t{1}}) {
      const std::optional<Route> split =
          routeToTarget(setting, withPairSumsApart(route, level, side));
      if (split && openToTarget(setting, *split)) {
        apart = true;
        break;
      }
    }
    if (!apart) return level;
  }
  return 0;
}

// The levels at which the pair sums alone closed routes (pairSumsForcedAt): the lowest and the
// highest, 0 while none did.
struct ForcedLevels {
  std::int32_t lowest = 0;
  std::int32_t highest = 0;
};

// Whether some mix of feedings follows `route` to the target, `work` as above. `forced`, when
// given, learns the level at which the pair sums alone closed the route.
bool routeToTargetOpen(const RouteSetting& setting, const Route& route, int& work,
                       ForcedLevels* forced = nullptr) {
  const std::optional<Route> prepared = routeToTarget(setting, route);
  if (!prepared || !openToTarget(setting, *prepared)) return false;
  if (const std::int32_t level = pairSumsForcedAt(setting, route)) {
    if (forced != nullptr) {
      forced->lowest = forced->lowest == 0 ? level : std::min(forced->lowest, level);
      forced->highest = std::max(forced->highest, level);
    }
    return false;
  }
  // Open with the tables of every form the evolutions on the way may give mixed: each of those
  // evolutions, in turn, with the form it gives named and its table alone, as long as the work
  // allows; the work left over is a route open (nothing proven).
  return routeOpenNamed(setting, *prepared, evolutionsToName(setting, *prepared), 0, work);
}

// The reason for a target out of reach: the first evolution on the way that the stats cannot
// reach within their targets, and the one stat whose target, were it higher, would let them;
// or, with every level on the way open, the target stats themselves.
FormExclusion targetReason(const RouteSetting& setting) {
  const Target& target = setting.request.target;
  const std::int32_t most[4] = {target.def, target.pow, target.dex, target.mind};
  const Route route = *routeToTarget(setting, anyRoute());
  std::vector<std::int32_t> levels = {10, 35, kFirstStatsEvent, 75, kFirstFinalEvent, 150};
  for (const std::int32_t level : levels) {
    if (level <= setting.start.level || level >= target.level) continue;
    if (routeOpen(setting, route, level, most, false)) continue;
    for (int k = 0; k < 4; ++k) {
      std::int32_t raised[4] = {most[0], most[1], most[2], most[3]};
      raised[k] = kMaxLevel;
      if (routeOpen(setting, route, level, raised, false)) {
        return {ExclusionKind::kTargetNeverWithin, level, 0, 0, k, most[k]};
      }
    }
    return {ExclusionKind::kTargetNeverWithin, level};
  }
  return {ExclusionKind::kTargetNeverReached};
}

// The programmes the closer proof may solve for one form: a bounded count, so that a form it
// cannot close costs the listing little; a route it has not closed by then is left open (nothing
// proven).
constexpr int kWholeStatsWork = 200;

// Whether `route`'s programme has a solution with waypoint `w`'s stat `k` at least `least` and
// at most `most`.
bool openWith(const RouteSetting& setting, Route route, std::size_t w, int k, std::int32_t least,
              std::int32_t most, int& work) {
  StatNeed& need = route.waypoints[w].need;
  need.least[static_cast<std::size_t>(k)] = least;
  need.most[static_cast<std::size_t>(k)] = most;
  --work;
  return openToTarget(setting, route);
}

// Narrows waypoint `w`'s stat `k` from above (its most) or from below (its least) to the last
// whole value the programme allows, found by halving between the value it cannot take and the
// other side; true when it moved. Only a value the programme has no solution with is ever cut
// off, so what is left when `work` runs out part-way still holds every plan.
bool narrowSide(const RouteSetting& setting, Route& route, std::size_t w, int k, bool fromAbove,
                int& work) {
  StatNeed& need = route.waypoints[w].need;
  std::int32_t& least = need.least[static_cast<std::size_t>(k)];
  std::int32_t& most = need.most[static_cast<std::size_t>(k)];
  const std::int32_t edge = fromAbove ? most : least;
  if (openWith(setting, route, w, k, edge, edge, work)) return false;
  // `open` still has a solution (the route's own), `shut` has none.
  std::int32_t shut = edge;
  std::int32_t open = fromAbove ? least : most;
  while (std::abs(shut - open) > 1 && work > 0) {
    const std::int32_t middle = std::min(open, shut) + std::abs(shut - open) / 2;
    const bool stillOpen = fromAbove ? openWith(setting, route, w, k, middle, most, work)
                                     : openWith(setting, route, w, k, least, middle, work);
    (stillOpen ? open : shut) = middle;
  }
  (fromAbove ? most : least) = fromAbove ? shut - 1 : shut + 1;
  return true;
}

// Narrows each stat's most and least at each evolution of `route` (prepared) to whole numbers
// the programme allows: the most drops to one below the least value the programme cannot reach
// (found by halving), the least likewise rises, round after round while any moves. False when a
// stat has no value left: no feedings follow the route. `work` counts down the programmes; a
// route still open when it runs out is taken as open.
bool openInWholeStats(const RouteSetting& setting, Route& route, int& work) {
  const Target& target = setting.request.target;
  const std::int32_t end[4] = {target.def, target.pow, target.dex, target.mind};
  const MagState& start = setting.start;
  const std::int32_t from[4] = {start.def, start.pow, start.dex, start.mind};
  --work;
  if (!openToTarget(setting, route)) return false;
  for (Waypoint& waypoint : route.waypoints) {
    StatNeed& need = waypoint.need;
    need.least[0] = std::max(need.least[0], need.defAtLeast);
    need.most[0] = std::min(need.most[0], need.defAtMost);
    for (std::size_t k = 0; k < 4; ++k) {
      need.least[k] = std::max(need.least[k], from[k]);
      need.most[k] = std::min({need.most[k], end[k], waypoint.level});
    }
  }
  for (bool narrowed = true; narrowed;) {
    narrowed = false;
    for (std::size_t w = 0; w < route.waypoints.size(); ++w) {
      const std::int32_t level = route.waypoints[w].level;
      if (level <= start.level || level >= target.level) continue;
      const StatNeed& need = route.waypoints[w].need;
      for (int k = 0; k < 4; ++k) {
        const auto stat = static_cast<std::size_t>(k);
        for (const bool fromAbove : {true, false}) {
          if (need.least[stat] > need.most[stat]) return false;
          if (work <= 0) return true;
          narrowed = narrowSide(setting, route, w, k, fromAbove, work) || narrowed;
        }
        if (need.least[stat] > need.most[stat]) return false;
      }
    }
  }
  return true;
}

// Whether `route` (prepared) is open in whole stats with the forms of `evolutions` from `next`
// on named one by one, depth first, as long as `work` lasts. Before the first is named, the mag
// may eat from the tables of every form the evolutions give, which leaves the stats too much room
// for whole numbers to close the route: only its programme is asked there.
bool routeOpenInWholeStats(const RouteSetting& setting, Route route,
                           const std::vector<std::int32_t>& evolutions, std::size_t next,
                           int& work) {
  if (next == 0 && !evolutions.empty()) {
    --work;
    if (!openToTarget(setting, route)) return false;
  } else if (!openInWholeStats(setting, route, work)) {
    return false;
  }
  if (next == evolutions.size() || work <= 0) return true;
  const std::vector<Route> named = routesNaming(setting, route, evolutions[next]);
  return std::any_of(named.begin(), named.end(), [&](const Route& part) {
    return work <= 0 || routeOpenInWholeStats(setting, part, evolutions, next + 1, work);
  });
}

// The start with its level up to date, when the mag has feedings to take towards the target;
// nothing when none is left to take, or a stat is already above its target (stats never fall):
// the rules' own answer, which the proofs leave to them.
std::optional<MagState> startToFeed(const PlayerRequest& request, const MagState& start) {
  MagState from = start;
  from.level = start.def + start.pow + start.dex + start.mind;
  const Target& target = request.target;
  if (from.def > target.def || from.pow > target.pow || from.dex > target.dex ||
      from.mind > target.mind || from.level >= target.level) {
    return std::nullopt;
  }
  return from;
}

}  // namespace

FormExclusion targetProvenOut(const PlayerRequest& request, const MagState& start) {
  const std::optional<MagState> from = startToFeed(request, start);
  if (!from) return {};
  const RouteSetting setting = routeSetting(request, *from);
  int work = kWorkPerQuestion;
  if (routeToTargetOpen(setting, anyRoute(), work)) return {};
  return targetReason(setting);
}

std::array<FormExclusion, kMagTypeCount> formsProvenOut(const PlayerRequest& request,
                                                        const MagState& start, FormSet candidates) {
  std::array<FormExclusion, kMagTypeCount> proven{};
  if (candidates == 0) return proven;
  const FormExclusion targetOut = targetProvenOut(request, start);
  if (targetOut.kind != ExclusionKind::kNone) {
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if ((candidates & formBit(type)) != 0) proven[type] = targetOut;
    }
    return proven;
  }
  const std::optional<MagState> from = startToFeed(request, start);
  if (!from) return proven;
  const RouteSetting setting = routeSetting(request, *from);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if ((candidates & formBit(type)) == 0) continue;
    const Ways ways = waysTo(setting, type);
    if (ways.routes.empty()) continue;  // nothing this proof knows of: nothing proven
    int work = kWorkPerQuestion;
    ForcedLevels forced;
    const bool open = std::any_of(ways.routes.begin(), ways.routes.end(), [&](const Route& route) {
      return routeToTargetOpen(setting, route, work, &forced);
    });
    if (open) continue;
    if (forced.lowest != 0) {
      // Feedings do reach this form on some route, so the route's own reason would be untrue.
      proven[type] = {ExclusionKind::kPairSumForcedAt, forced.lowest,
                      formBit(finalForm(request.player)), forced.highest};
      continue;
    }
    proven[type] = ways.reason;
    work = kWorkPerQuestion;
    if (ways.defAlone && !routeToTargetOpen(setting, *ways.defAlone, work)) {
      proven[type].orders = 0;
    }
  }
  return proven;
}

std::array<FormExclusion, kMagTypeCount> formsProvenOutInWholeStats(const PlayerRequest& request,
                                                                    const MagState& start,
                                                                    FormSet candidates) {
  std::array<FormExclusion, kMagTypeCount> proven{};
  const std::optional<MagState> from = startToFeed(request, start);
  if (candidates == 0 || !from) return proven;
  const RouteSetting setting = routeSetting(request, *from);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if ((candidates & formBit(type)) == 0) continue;
    const Ways ways = waysTo(setting, type);
    if (ways.routes.empty()) continue;
    int work = kWholeStatsWork;
    const bool open = std::any_of(ways.routes.begin(), ways.routes.end(), [&](const Route& route) {
      if (work <= 0) return true;
      const std::optional<Route> prepared = routeToTarget(setting, route);
      return prepared && routeOpenInWholeStats(setting, *prepared,
                                               evolutionsToName(setting, *prepared), 0, work);
    });
    // The reason the routes give: each was closed the way the first proof closes them, only
    // more closely.
    if (!open) proven[type] = ways.reason;
  }
  return proven;
}

std::vector<Route> routesOpenInWholeStats(const PlayerRequest& request, const MagState& start,
                                          MagType form) {
  std::vector<Route> open;
  const std::optional<MagState> from = startToFeed(request, start);
  if (!from) return open;
  const RouteSetting setting = routeSetting(request, *from);
  for (const Route& route : waysTo(setting, form).routes) {
    std::optional<Route> prepared = routeToTarget(setting, route);
    int work = kWholeStatsWork;
    if (prepared && openInWholeStats(setting, *prepared, work)) open.push_back(*prepared);
  }
  return open;
}

}  // namespace ostrel

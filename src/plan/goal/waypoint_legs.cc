// The leg-by-leg search for a form: legs end where an open route pins the stats.
#include "plan/goal/waypoint_legs.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "model/evolution.h"
#include "model/form_proof.h"
#include "model/form_routes.h"

namespace ostrel {
namespace {

// The goal searches one form's legs may take in all: a form no chain reaches within them is left
// as not found.
constexpr int kLegSearches = 4;
// A waypoint with more whole stats than this allowed is not the end of a leg: the stats there are
// not pinned, and the searches between its neighbours choose them.
constexpr std::size_t kMostPoints = 8;
// A leg's searches run at this part of the width asked for: a leg ends a few levels past where it
// starts, at stats pinned to a few whole values, so a narrow beam finds its way or none does, and
// a leg that finds none costs as little as it can (most legs tried find none).
constexpr std::int32_t kLegWidthShare = 8;

using Stats = std::array<std::int32_t, 4>;

// The end of one leg: its level, the form the mag must have there and the stats it may have.
struct LegEnd {
  std::int32_t level;
  MagType form;
  std::vector<Stats> points;
};

// The whole stats at `waypoint` within its least and most that add up to its level and meet its
// needs, up to one more than kMostPoints.
std::vector<Stats> pointsAt(const Waypoint& waypoint, const Player& player) {
  std::vector<Stats> points;
  const StatNeed& need = waypoint.need;
  for (std::int32_t def = need.least[0]; def <= need.most[0]; ++def) {
    for (std::int32_t pow = need.least[1]; pow <= need.most[1]; ++pow) {
      for (std::int32_t dex = need.least[2]; dex <= need.most[2]; ++dex) {
        const std::int32_t mind = waypoint.level - def - pow - dex;
        const std::int32_t stats[4] = {def, pow, dex, mind};
        if (mind < need.least[3] || mind > need.most[3] || !statsMeet(need, stats, player)) {
          continue;
        }
        points.push_back({def, pow, dex, mind});
        if (points.size() > kMostPoints) return points;
      }
    }
  }
  return points;
}

// The legs' ends on `route`: its waypoints from the evolution that gives the form on, below the
// target level, whose stats are pinned. Empty when none is (the searches have tried that way).
std::vector<LegEnd> legEnds(const Route& route, const PlayerRequest& request,
                            const MagState& start) {
  std::vector<LegEnd> ends;
  const std::int32_t startLevel = start.def + start.pow + start.dex + start.mind;
  for (const Waypoint& waypoint : route.waypoints) {
    if (waypoint.level <= startLevel || waypoint.level >= request.target.level ||
        waypoint.level < route.fixedFrom || waypoint.level > route.fixedFrom + kEventStep) {
      continue;
    }
    std::vector<Stats> points = pointsAt(waypoint, request.player);
    if (points.empty()) return {};
    if (points.size() <= kMostPoints) ends.push_back({waypoint.level, route.fixedForm, points});
  }
  return ends;
}

// The goal's plan from `from` to `target` ending as `form`, or none.
std::optional<Plan> planLeg(const Player& player, const Target& target, const MagState& from,
                            MagType form, const GoalOptions& options, int& searches) {
  if (searches <= 0) return std::nullopt;
  const PlayerRequest request{player, target};
  // A leg the feeding tables prove out of reach costs a programme or two, not a search.
  if (formsProvenOut(request, from, formBit(form))[form].kind != ExclusionKind::kNone) {
    return std::nullopt;
  }
  --searches;
  GoalOptions leg;
  leg.goal = options.goal == Goal::kFewest ? Goal::kFewest : Goal::kCheapest;
  leg.form = form;
  leg.beamWidth = std::max(1, options.beamWidth / kLegWidthShare);
  leg.baseWidth = options.baseWidth;
  leg.threads = options.threads;
  leg.twoThreads = options.twoThreads;
  leg.lentThread = options.lentThread;
  leg.bound = false;
  leg.settleForms = false;
  leg.firstSearch = options.firstSearch;
  leg.estimates = options.estimates;
  GoalResult result = planForGoal(request, from, leg);
  if (result.outcome != GoalOutcome::kFound) return std::nullopt;
  return std::move(result.plan);
}

// The legs from `ends[next]` on and then to the target, after `sofar`, depth first over each
// end's stats; the whole plan, or none within `searches`.
std::optional<Plan> walkLegs(const PlayerRequest& request, MagType form,
                             const std::vector<LegEnd>& ends, std::size_t next, const Plan& sofar,
                             const GoalOptions& options, int& searches) {
  if (next == ends.size()) {
    const std::optional<Plan> last =
        planLeg(request.player, request.target, sofar.reached, form, options, searches);
    if (!last) return std::nullopt;
    return followedBy(sofar, *last);
  }
  const LegEnd& end = ends[next];
  const MagState& at = sofar.reached;
  for (const Stats& point : end.points) {
    if (searches <= 0) return std::nullopt;
    if (point[0] < at.def || point[1] < at.pow || point[2] < at.dex || point[3] < at.mind) continue;
    const Target target{point[0], point[1], point[2], point[3], end.level};
    const std::optional<Plan> leg =
        planLeg(request.player, target, sofar.reached, end.form, options, searches);
    if (!leg) continue;
    if (std::optional<Plan> whole =
            walkLegs(request, form, ends, next + 1, followedBy(sofar, *leg), options, searches)) {
      return whole;
    }
  }
  return std::nullopt;
}

}  // namespace

std::optional<Plan> planThroughWaypoints(const PlayerRequest& request, const MagState& start,
                                         MagType form, const GoalOptions& options) {
  int searches = kLegSearches;
  Plan empty;
  empty.start = start;
  empty.reached = start;
  for (const Route& route : routesOpenInWholeStats(request, start, form)) {
    if (searches <= 0) break;
    const std::vector<LegEnd> ends = legEnds(route, request, start);
    if (ends.empty()) continue;
    if (std::optional<Plan> plan = walkLegs(request, form, ends, 0, empty, options, searches)) {
      return plan;
    }
  }
  return std::nullopt;
}

}  // namespace ostrel

// The routes to a form and their linear programmes.
#include "model/form_routes.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "model/evolution.h"
#include "model/feeding.h"

namespace ostrel {
namespace {

using Sense = LinearProgramme::Sense;
using TableSet = std::uint16_t;
using Need = StatNeed;
using Setting = RouteSetting;

int phaseOf(std::int32_t level) {
  if (level < 10) return 0;
  if (level < 35) return 1;
  if (level < kFirstStatsEvent) return 2;
  return level < kFirstFinalEvent ? 3 : 4;
}

constexpr std::int32_t kPhaseStart[5] = {0, 10, 35, kFirstStatsEvent, kFirstFinalEvent};

constexpr FormSet kFinalForms = ~(formBit(kFinalTypeStart) - 1);

TableSet tablesOf(FormSet forms) {
  TableSet tables = 0;
  for (; forms != 0; forms &= forms - 1) {
    tables |= TableSet(1 << feedTableOf(static_cast<MagType>(std::countr_zero(forms))));
  }
  return tables;
}

}  // namespace

bool statsMeet(const StatNeed& need, const std::int32_t s[4], const Player& player) {
  if (s[0] > need.defAtMost || s[0] < need.defAtLeast) return false;
  if (need.pairSumsEqual || need.pairSumsApart != 0) {
    const PairSums sums = pairSums(player.sectionId, s[0], s[1], s[2], s[3]);
    if (need.pairSumsEqual && sums.first != sums.second) return false;
    if (need.pairSumsApart < 0 && sums.first >= sums.second) return false;
    if (need.pairSumsApart > 0 && sums.first <= sums.second) return false;
  }
  for (std::int32_t order = 0; order < kStatOrderCount; ++order) {
    if ((need.orders >> order & 1) == 0) continue;
    const int lead = 1 + order / 2;
    const int first = order / 2 == 0 ? 2 : 1;  // the other two in the order pow, dex, mind
    const int second = order / 2 == 2 ? 2 : 3;
    if (s[lead] < s[first] || s[lead] < s[second]) continue;
    if (order % 2 == 0 ? s[first] > s[second] : s[first] <= s[second]) return true;
  }
  return false;
}

namespace {

// The least and the most that pow + dex + mind can be with the stats between `low` and `high`
// (def, pow, dex, mind) in stat order `order`, a tie at the top counted as leading; low > high
// when none. The stats meeting an order are closed under taking the smaller and the larger of
// two, so every sum between the two is met too.
std::pair<std::int32_t, std::int32_t> orderSums(const std::int32_t low[4],
                                                const std::int32_t high[4], int order) {
  const int a = 1 + order / 2;
  const int b = order / 2 == 0 ? 2 : 1;
  const int c = order / 2 == 2 ? 2 : 3;
  std::int32_t lo[4] = {low[0], low[1], low[2], low[3]};
  std::int32_t hi[4] = {high[0], high[1], high[2], high[3]};
  if (order % 2 == 0) {  // b above c
    lo[b] = std::max(lo[b], lo[c] + 1);
    hi[b] = std::min(hi[b], hi[a]);
    hi[c] = std::min(hi[c], hi[b] - 1);
  } else {  // b at most c
    lo[c] = std::max(lo[c], lo[b]);
    hi[c] = std::min(hi[c], hi[a]);
    hi[b] = std::min(hi[b], hi[c]);
  }
  lo[a] = std::max({lo[a], lo[b], lo[c]});
  if (lo[a] > hi[a] || lo[b] > hi[b] || lo[c] > hi[c]) return {1, 0};
  return {lo[a] + lo[b] + lo[c], hi[a] + hi[b] + hi[c]};
}

// Whether stats between `low` and `high` can meet `need` at `level`: a quick test that spares
// the programme most routes no stats allow.
bool needPossible(const Need& need, const std::int32_t low[4], const std::int32_t high[4],
                  std::int32_t level, const Player& player) {
  const std::int32_t defLow = std::max(low[0], need.defAtLeast);
  const std::int32_t defHigh = std::min(high[0], need.defAtMost);
  if (defLow > defHigh) return false;
  if (need.pairSumsEqual) {
    const PairSums least = pairSums(player.sectionId, low[0], low[1], low[2], low[3]);
    const PairSums most = pairSums(player.sectionId, high[0], high[1], high[2], high[3]);
    const std::int32_t half = level / 2;
    if (level % 2 != 0 || least.first > half || most.first < half || least.second > half ||
        most.second < half) {
      return false;
    }
  }
  if (need.pairSumsApart != 0) {
    // The two sums add up to the level: the first below half of it, or above.
    const PairSums least = pairSums(player.sectionId, low[0], low[1], low[2], low[3]);
    const PairSums most = pairSums(player.sectionId, high[0], high[1], high[2], high[3]);
    const std::int32_t firstLeast = std::max(least.first, level - most.second);
    const std::int32_t firstMost = std::min(most.first, level - least.second);
    if (need.pairSumsApart < 0 ? 2 * firstLeast >= level : 2 * firstMost <= level) return false;
  }
  for (int order = 0; order < kStatOrderCount; ++order) {
    if ((need.orders >> order & 1) == 0) continue;
    const auto [least, most] = orderSums(low, high, order);
    if (least <= most && std::max(least, level - defHigh) <= std::min(most, level - defLow)) {
      return true;
    }
  }
  return false;
}

// The level up to which a form named at `level` on `route` stays: the next evolution by the stats
// (35, or 50 to 95); from 95, where only the pair sums change a form, the level at which the
// route's final form comes, or 100 on a route without one.
std::int32_t heldUntil(const Route& route, std::int32_t level) {
  if (level < kFirstStatsEvent) return kFirstStatsEvent;
  if (level < kLastStatsEvent) return level + kEventStep;
  return route.fixedForm >= kFinalTypeStart ? route.fixedFrom : kFirstFinalEvent;
}

// The items of a table that some other item does not outdo: the bar points an item can move
// lie between its changes and its changes with the losses left out, and an item whose range is
// inside another's adds nothing the other does not, unless it costs less in one of `units`.
std::vector<Item> usefulItems(FeedTable table, const std::vector<ItemCosts>& units) {
  std::vector<Item> items;
  const auto inside = [&](Item a, Item b) {  // a's range within b's
    const StatDelta da = kFeedTable[table][a];
    const StatDelta db = kFeedTable[table][b];
    const std::int32_t ca[4] = {da.def, da.pow, da.dex, da.mind};
    const std::int32_t cb[4] = {db.def, db.pow, db.dex, db.mind};
    for (int k = 0; k < 4; ++k) {
      if (cb[k] > ca[k] || std::max(cb[k], 0) < std::max(ca[k], 0)) return false;
    }
    return true;
  };
  // Whether b costs no more than a in every unit, and as much in all of them.
  const auto noDearer = [&](Item b, Item a) {
    return std::all_of(units.begin(), units.end(),
                       [&](const ItemCosts& c) { return c[b] <= c[a]; });
  };
  const auto sameCost = [&](Item b, Item a) {
    return std::all_of(units.begin(), units.end(),
                       [&](const ItemCosts& c) { return c[b] == c[a]; });
  };
  for (Item item = 0; item < kFedItemCount; ++item) {
    bool outdone = false;
    for (Item other = 0; other < kFedItemCount && !outdone; ++other) {
      if (other == item || !inside(item, other) || !noDearer(other, item)) continue;
      // Two items of the same range and costs: the earlier stays.
      outdone = !inside(other, item) || !sameCost(other, item) || other < item;
    }
    if (!outdone) items.push_back(item);
  }
  return items;
}

// The room the rows leave: a real plan meets every row exactly, so the programme is widened by
// far more than the solver's rounding, and a "no" is still sure.
constexpr double kMargin = 0.25;
// The same room in the rows counted in levels.
constexpr double kLevelMargin = 0.01;

// One point of the route in the programme: the stats after the feeding that brought the mag
// there (the stats at the evolution plus the levels the rest of that feeding gave), and the
// bars then. Constants at the start and the target.
struct Point {
  std::int32_t level;
  int stat[4];   // the stats at the evolution: variables, or -1 for the constants below
  int extra[4];  // the levels the rest of the feeding gave
  int bar[4];
  double fixedStat[4];
  double fixedBar[4];
};

using Terms = std::vector<std::pair<int, double>>;

// Adds the terms of `scale` times the point's stats after its feeding; returns the constant part.
double addStats(const Point& point, int k, double scale, Terms& terms) {
  if (point.stat[k] < 0) return scale * point.fixedStat[k];
  terms.emplace_back(point.stat[k], scale);
  terms.emplace_back(point.extra[k], scale);
  return 0;
}

double addBar(const Point& point, int k, double scale, Terms& terms) {
  if (point.bar[k] < 0) return scale * point.fixedBar[k];
  terms.emplace_back(point.bar[k], scale);
  return 0;
}

// The waypoints every route has: the evolutions where the forms the mag may have change.
std::vector<Waypoint> withPhaseStarts(std::vector<Waypoint> waypoints) {
  for (const std::int32_t level : {10, 35, kFirstStatsEvent, kFirstFinalEvent}) {
    const bool listed = std::any_of(waypoints.begin(), waypoints.end(),
                                    [&](const Waypoint& w) { return w.level == level; });
    if (!listed) waypoints.push_back({level, Need{}});
  }
  std::sort(waypoints.begin(), waypoints.end(),
            [](const Waypoint& a, const Waypoint& b) { return a.level < b.level; });
  return waypoints;
}

// The stats orders `orders` split by their leading stat: a route each.
std::vector<std::uint8_t> byLead(std::uint8_t orders) {
  std::vector<std::uint8_t> split;
  for (int lead = 0; lead < kDominantStatCount; ++lead) {
    const std::uint8_t part = orders & std::uint8_t(3 << (2 * lead));
    if (part != 0) split.push_back(part);
  }
  return split;
}

void addReason(Ways& ways, const FormExclusion& reason) {
  if (ways.reason.kind == ExclusionKind::kNone) ways.reason = reason;
}

// The route's waypoint at `level`, added (needing nothing yet) where the route has none there;
// the waypoints stay in the order of their levels.
Waypoint& waypointAt(Route& route, std::int32_t level) {
  const auto atLevel = [&] {
    return std::find_if(route.waypoints.begin(), route.waypoints.end(),
                        [&](const Waypoint& w) { return w.level == level; });
  };
  if (const auto at = atLevel(); at != route.waypoints.end()) return *at;
  route.waypoints.push_back({level, Need{}});
  std::sort(route.waypoints.begin(), route.waypoints.end(),
            [](const Waypoint& a, const Waypoint& b) { return a.level < b.level; });
  return *atLevel();
}

}  // namespace

// Which forms the mag may have in each phase: the start's own until an evolution replaces it.
RouteSetting routeSetting(const PlayerRequest& request, const MagState& start) {
  const Player& player = request.player;
  Setting setting{request, start, {}, 0};
  FormSet level35 = 0;
  FormSet level50 = 0;
  for (std::int32_t dominant = 0; dominant < kDominantStatCount; ++dominant) {
    level35 |= formBit(level35Form(player, dominant));
    if (evolvesWithHighDef(player)) level50 |= formBit(level50HighDefForm(dominant));
  }
  for (std::int32_t order = 0; order < kStatOrderCount; ++order) {
    level50 |= formBit(level50Form(player, order));
  }
  const int startPhase = phaseOf(start.level);
  FormSet forms = formBit(start.type);
  for (int phase = 0; phase < 5; ++phase) {
    if (phase > startPhase) {
      if (phase == 1) forms = formBit(level10Form(player));
      if (phase == 2) forms = level35;
      // Classes that do not evolve with def 45 or more keep the form they had, and a final
      // form is kept by every class.
      if (phase == 3) forms = (evolvesWithHighDef(player) ? forms & kFinalForms : forms) | level50;
      if (phase == 4) forms |= formBit(finalForm(player));
    }
    setting.phaseForms[phase] = forms;
  }
  FormSet lowDef = 0;
  for (std::int32_t order = 0; order < kStatOrderCount; ++order) {
    lowDef |= formBit(level50Form(player, order));
  }
  // A mag that starts from level 50 on keeps its own form until the next evolution.
  setting.lowDefForms = lowDef | (startPhase >= 3 ? formBit(start.type) : 0);
  return setting;
}

Ways waysTo(const RouteSetting& setting, MagType form) {
  const Player& player = setting.request.player;
  const MagState& start = setting.start;
  const std::int32_t targetLevel = setting.request.target.level;
  const auto ahead = [&](std::int32_t level) {
    return start.level < level && level <= targetLevel;
  };
  // The evolutions by the stats still ahead, from 50 to 95.
  std::vector<std::int32_t> statsEvents;
  for (std::int32_t level = kFirstStatsEvent; level <= kLastStatsEvent; level += kEventStep) {
    if (ahead(level)) statsEvents.push_back(level);
  }
  const bool highDefEvolves = evolvesWithHighDef(player);
  Ways ways;

  // A form from the levels 50 to 95 with def below 45: the last of them with def below 45 gives
  // it (after it, def 45 or more keeps it), or for class group 2 the last of them all.
  std::uint8_t orders = 0;
  for (std::int32_t order = 0; order < kStatOrderCount; ++order) {
    if (level50Form(player, order) == form) orders |= std::uint8_t(1 << order);
  }
  if (orders != 0 && !statsEvents.empty()) {
    // The latest first: a form that comes about at all mostly does late, where def has grown.
    const std::size_t earliest = highDefEvolves ? statsEvents.size() - 1 : 0;
    for (std::size_t i = statsEvents.size(); i-- > earliest;) {
      for (const std::uint8_t lead : byLead(orders)) {
        Route route;
        route.waypoints.push_back({statsEvents[i], Need{kHighDefLimit - 1, 0, lead, false}});
        if (!highDefEvolves && i + 1 < statsEvents.size()) {
          route.waypoints.push_back({statsEvents[i + 1], Need{kMaxLevel, kHighDefLimit}});
        }
        route.fixedFrom = statsEvents[i];
        route.fixedForm = form;
        route.defLowUntil = statsEvents[i];
        ways.routes.push_back(route);
      }
    }
    addReason(ways, {ExclusionKind::kOrderNeverAt,
                     highDefEvolves ? statsEvents.back() : statsEvents.front(), 0,
                     statsEvents.back(), -1, 0, orders});
  }
  // Class group 2 with def 45 or more at the last of them.
  if (highDefEvolves && !statsEvents.empty()) {
    std::uint8_t leads = 0;
    for (std::int32_t dominant = 0; dominant < kDominantStatCount; ++dominant) {
      if (level50HighDefForm(dominant) == form) leads |= std::uint8_t(3 << (2 * dominant));
    }
    for (const std::uint8_t lead : byLead(leads)) {
      Route route;
      route.waypoints.push_back({statsEvents.back(), Need{kMaxLevel, kHighDefLimit, lead, false}});
      route.fixedFrom = statsEvents.back();
      route.fixedForm = form;
      ways.routes.push_back(route);
    }
    if (leads != 0) {
      addReason(ways, {ExclusionKind::kHighDefLeadNeverAt, statsEvents.back(), 0, 0, -1, 0, leads});
    }
  }
  // A form of level 35: kept below level 50, or by def 45 or more from level 50 on.
  if (ahead(35) && (targetLevel < kFirstStatsEvent || !highDefEvolves)) {
    for (std::int32_t dominant = 0; dominant < kDominantStatCount; ++dominant) {
      if (level35Form(player, dominant) != form) continue;
      const auto lead = std::uint8_t(3 << (2 * dominant));
      Route route;
      route.waypoints.push_back({35, Need{kMaxLevel, 0, lead, false}});
      if (!statsEvents.empty()) {
        route.waypoints.push_back({statsEvents.front(), Need{kMaxLevel, kHighDefLimit}});
      }
      route.fixedFrom = 35;
      route.fixedForm = form;
      ways.routes.push_back(route);
      if (statsEvents.empty()) {
        addReason(ways, {ExclusionKind::kLeadNeverAt35, 35, 0, 0, -1, 0, lead});
      } else {
        // The reason names the lead too unless def alone is out of reach (settled only when
        // the form is proven out).
        if (ways.reason.kind == ExclusionKind::kNone) {
          ways.defAlone = route;
          ways.defAlone->waypoints.front().need.orders = kEveryOrder;
        }
        addReason(ways, {ExclusionKind::kHighDefNeverAt, statsEvents.front(), 0, 0, -1, 0, lead});
      }
    }
  }
  // The final form of the pair-sum rule, at an even level from 100 on.
  if (form == finalForm(player) && start.type < kFinalTypeStart) {
    std::int32_t first = 0;
    std::int32_t last = 0;
    for (std::int32_t level = kFirstFinalEvent; level <= targetLevel; level += 2 * kEventStep) {
      if (!ahead(level)) continue;
      Route route;
      route.waypoints.push_back({level, Need{kMaxLevel, 0, kEveryOrder, true}});
      route.fixedFrom = level;
      route.fixedForm = form;
      ways.routes.push_back(route);
      if (first == 0) first = level;
      last = level;
    }
    if (first != 0) addReason(ways, {ExclusionKind::kPairSumNeverMet, first, 0, last});
  }
  // The form of level 10, kept below level 35.
  if (form == level10Form(player) && ahead(10) && targetLevel < 35) {
    Route route;
    route.fixedFrom = 10;
    route.fixedForm = form;
    ways.routes.push_back(route);
    addReason(ways, {ExclusionKind::kTargetNeverReached});
  }
  // The start's own form, kept: no evolution at 10 or 35 ahead, and for the classes that keep
  // their form with def 45 or more, def 45 or more at the first evolution by the stats.
  const bool fixedFormKept = start.type >= kFinalTypeStart && start.level >= 35;
  if (form == start.type && !ahead(10) && !ahead(35) &&
      (fixedFormKept || statsEvents.empty() || !highDefEvolves)) {
    Route route;
    if (!fixedFormKept && !statsEvents.empty()) {
      route.waypoints.push_back({statsEvents.front(), Need{kMaxLevel, kHighDefLimit}});
    }
    route.fixedFrom = start.level;
    route.fixedForm = form;
    ways.routes.push_back(route);
    addReason(ways, route.waypoints.empty()
                        ? FormExclusion{ExclusionKind::kTargetNeverReached}
                        : FormExclusion{ExclusionKind::kHighDefNeverAt, statsEvents.front()});
  }
  return ways;
}

Route anyRoute() { return Route{}; }

std::optional<Route> routeToTarget(const RouteSetting& setting, Route route) {
  const Target& target = setting.request.target;
  const std::int32_t end[4] = {target.def, target.pow, target.dex, target.mind};
  const MagState& start = setting.start;
  const std::int32_t low[4] = {start.def, start.pow, start.dex, start.mind};
  for (const Waypoint& waypoint : route.waypoints) {
    // The evolution at the target level sees the target stats themselves.
    if (waypoint.level == target.level && !statsMeet(waypoint.need, end, setting.request.player)) {
      return std::nullopt;
    }
    if (waypoint.level > start.level && waypoint.level < target.level &&
        !needPossible(waypoint.need, low, end, waypoint.level, setting.request.player)) {
      return std::nullopt;
    }
  }
  route.waypoints = withPhaseStarts(route.waypoints);
  return route;
}

std::vector<std::int32_t> pairSumsApartLevels(const RouteSetting& setting, const Route& route) {
  std::vector<std::int32_t> levels;
  if (route.fixedForm >= kFinalTypeStart) return levels;
  const std::int32_t targetLevel = setting.request.target.level;
  for (std::int32_t level = kFirstFinalEvent; level < targetLevel; level += 2 * kEventStep) {
    if (level > setting.start.level && level >= route.fixedFrom) levels.push_back(level);
  }
  return levels;
}

Route withPairSumsApart(Route route, std::int32_t level, std::int8_t side) {
  waypointAt(route, level).need.pairSumsApart = side;
  return route;
}

std::vector<std::int32_t> evolutionsToName(const RouteSetting& setting, const Route& route) {
  const std::int32_t startLevel = setting.start.level;
  const std::int32_t targetLevel = setting.request.target.level;
  std::vector<std::int32_t> evolutions;
  if (startLevel < 35 && 35 < targetLevel && route.fixedFrom > 35) evolutions.push_back(35);
  for (std::int32_t level = kFirstStatsEvent; level <= kLastStatsEvent; level += kEventStep) {
    if (level > startLevel && level < targetLevel && level < route.fixedFrom) {
      evolutions.push_back(level);
    }
  }
  return evolutions;
}

std::vector<Route> routesNaming(const RouteSetting& setting, const Route& route,
                                std::int32_t level) {
  const Player& player = setting.request.player;
  // Each form the evolution may give, with the stat orders that give it, one lead at a time,
  // and the def it needs.
  struct Choice {
    MagType form;
    std::uint8_t orders;
    bool highDef;
  };
  std::vector<Choice> choices;
  for (std::int32_t order = 0; order < kStatOrderCount; ++order) {
    const MagType form = level == 35 ? level35Form(player, order / 2) : level50Form(player, order);
    const auto lead = std::uint8_t(3 << (2 * (order / 2)));
    auto same = std::find_if(choices.begin(), choices.end(), [&](const Choice& c) {
      return c.form == form && (c.orders & lead) != 0;
    });
    if (same == choices.end()) {
      choices.push_back({form, std::uint8_t(1 << order), false});
    } else {
      same->orders |= std::uint8_t(1 << order);
    }
  }
  // From 50 on, where the route lets def be 45 or more: class group 2 takes the form of its
  // lead, the others keep the form they have (the one named last, or the start's).
  if (level >= kFirstStatsEvent && level >= route.defLowUntil) {
    if (evolvesWithHighDef(player)) {
      for (std::int32_t dominant = 0; dominant < kDominantStatCount; ++dominant) {
        choices.push_back({level50HighDefForm(dominant), std::uint8_t(3 << (2 * dominant)), true});
      }
    } else {
      const MagType kept = route.named.empty() ? setting.start.type : route.named.back().second;
      choices.push_back({kept, kEveryOrder, true});
    }
  }
  std::vector<Route> routes;
  for (const Choice& choice : choices) {
    Route named = route;
    Need& need = waypointAt(named, level).need;
    need.orders &= choice.orders;
    if (choice.highDef) {
      need.defAtLeast = std::max(need.defAtLeast, kHighDefLimit);
    } else if (level >= kFirstStatsEvent) {
      need.defAtMost = std::min(need.defAtMost, kHighDefLimit - 1);
    }
    if (need.orders == 0 || need.defAtLeast > need.defAtMost) continue;
    named.named.emplace_back(level, choice.form);
    routes.push_back(std::move(named));
  }
  return routes;
}

namespace {

// The feeding tables the mag may eat from on `route` between the levels `from` and `to`.
TableSet segmentTables(const RouteSetting& setting, const Route& route, std::int32_t from,
                       std::int32_t to) {
  if (from >= route.fixedFrom) return TableSet(1 << feedTableOf(route.fixedForm));
  // The form named last at or before the segment's start, if nothing may change it before the
  // segment's end.
  const auto named = std::find_if(route.named.rbegin(), route.named.rend(),
                                  [&](const auto& n) { return n.first <= from; });
  if (named != route.named.rend() && to <= heldUntil(route, named->first)) {
    return TableSet(1 << feedTableOf(named->second));
  }
  TableSet all = 0;
  for (int phase = phaseOf(from); phase < 5 && kPhaseStart[phase] < to; ++phase) {
    FormSet forms = setting.phaseForms[phase];
    if (phase == 3 && to <= route.defLowUntil) forms = setting.lowDefForms;
    all |= tablesOf(forms);
  }
  return all;
}

// What the feeding that brings the mag to an evolution may give past it, eating from `tables`:
// the checks come after each level-up in the order def, pow, dex, mind, so the levels the rest
// of that feeding gives are of stats after the first one the item raises (never def), all
// raised by that one item; and a bar that rose past 100 in that feeding holds less than the
// item's change.
struct FeedingPast {
  bool stat[4] = {};          // whether the stat may gain a level past the evolution
  int most = 0;               // the most stats that may
  std::int32_t rise[4] = {};  // the largest change of each stat
};

FeedingPast feedingPast(TableSet tables) {
  FeedingPast past;
  for (FeedTable table = 0; table < kFeedTableCount; ++table) {
    if ((tables >> table & 1) == 0) continue;
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta d = kFeedTable[table][item];
      const std::int32_t change[4] = {d.def, d.pow, d.dex, d.mind};
      int raised = 0;
      for (int k = 0; k < 4; ++k) {
        if (change[k] <= 0) continue;
        if (raised > 0) past.stat[k] = true;
        ++raised;
        past.rise[k] = std::max(past.rise[k], change[k]);
      }
      past.most = std::max(past.most, raised - 1);
    }
  }
  return past;
}

// The rows of what the feeding past an evolution may give, for the point there.
void addFeedingPast(LinearProgramme& lp, const Point& point, const FeedingPast& past) {
  Terms extras;
  int allowed = 0;
  for (int k = 0; k < 4; ++k) {
    if (!past.stat[k]) continue;
    ++allowed;
    extras.emplace_back(point.extra[k], 1.0);
    lp.addRow({{point.bar[k], 1.0}, {point.extra[k], kBarCapacity - past.rise[k]}}, Sense::kAtMost,
              kBarCapacity - 1 + kMargin);
  }
  if (past.most < allowed) lp.addRow(extras, Sense::kAtMost, past.most + kLevelMargin);
}

}  // namespace

std::vector<double> RouteProgramme::objective(const ItemCosts& costs) const {
  std::vector<double> cost(static_cast<std::size_t>(programme.variableCount()), 0.0);
  for (const auto& [variable, item] : counts) {
    cost[static_cast<std::size_t>(variable)] = costs[item];
  }
  return cost;
}

RouteProgramme routeProgramme(const RouteSetting& setting, const Route& route,
                              std::int32_t endLevel, const std::int32_t end[4], bool endExact,
                              const std::vector<ItemCosts>& units) {
  const MagState& start = setting.start;
  RouteProgramme made;
  LinearProgramme& lp = made.programme;
  std::vector<Point> points;
  Point first{start.level, {-1, -1, -1, -1}, {}, {-1, -1, -1, -1}, {}, {}};
  const std::int32_t startStats[4] = {start.def, start.pow, start.dex, start.mind};
  const std::int32_t startBars[4] = {start.defBar, start.powBar, start.dexBar, start.mindBar};
  for (int k = 0; k < 4; ++k) {
    first.fixedStat[k] = startStats[k];
    first.fixedBar[k] = startBars[k];
  }
  points.push_back(first);
  std::vector<const Need*> needs = {nullptr};
  for (std::size_t w = 0; w < route.waypoints.size(); ++w) {
    const Waypoint& waypoint = route.waypoints[w];
    if (waypoint.level <= start.level || waypoint.level >= endLevel) continue;
    Point point{waypoint.level, {}, {}, {}, {}, {}};
    const FeedingPast past =
        feedingPast(segmentTables(setting, route, points.back().level, waypoint.level));
    Terms sum;
    for (int k = 0; k < 4; ++k) {
      point.stat[k] = lp.addVariable(std::max(startStats[k], waypoint.need.least[k]),
                                     std::min(end[k], waypoint.need.most[k]));
      point.extra[k] = lp.addVariable(0, past.stat[k] ? 1 : 0);
      point.bar[k] = lp.addVariable(0, kBarCapacity - 1);
      sum.emplace_back(point.stat[k], 1.0);
    }
    lp.addRow(sum, Sense::kEqual, waypoint.level);
    addFeedingPast(lp, point, past);
    const Need& need = waypoint.need;
    if (need.defAtMost < kMaxLevel) {
      lp.addRow({{point.stat[0], 1.0}}, Sense::kAtMost, need.defAtMost + kMargin);
    }
    if (need.defAtLeast > 0) {
      lp.addRow({{point.stat[0], 1.0}}, Sense::kAtLeast, need.defAtLeast - kMargin);
    }
    if (need.pairSumsEqual) {
      const PairSums weights =
          pairSums(setting.request.player.sectionId, 1, 2, 4, 8);  // which stats are first
      Terms difference;
      for (int k = 0; k < 4; ++k) {
        difference.emplace_back(point.stat[k], (weights.first >> k & 1) != 0 ? 1.0 : -1.0);
      }
      lp.addRow(difference, Sense::kAtMost, kMargin);
      lp.addRow(difference, Sense::kAtLeast, -kMargin);
    }
    if (need.pairSumsApart != 0) {
      // The sums are whole numbers adding up to the level, so apart they differ by 2 at least.
      const PairSums weights = pairSums(setting.request.player.sectionId, 1, 2, 4, 8);
      Terms difference;
      for (int k = 0; k < 4; ++k) {
        difference.emplace_back(point.stat[k], (weights.first >> k & 1) != 0 ? 1.0 : -1.0);
      }
      if (need.pairSumsApart < 0) {
        lp.addRow(difference, Sense::kAtMost, -2 + kMargin);
      } else {
        lp.addRow(difference, Sense::kAtLeast, 2 - kMargin);
      }
    }
    points.push_back(point);
    needs.push_back(&need);
  }
  Point last{endLevel, {-1, -1, -1, -1}, {}, {}, {}, {}};
  for (int k = 0; k < 4; ++k) {
    if (endExact) {
      last.fixedStat[k] = end[k];
    } else {
      last.stat[k] = lp.addVariable(startStats[k], end[k]);
      last.extra[k] = lp.addVariable(0, 1);
    }
    const double fullest = endLevel == kMaxLevel ? kBarCapacity + 49 : kBarCapacity - 1;
    last.bar[k] = lp.addVariable(0, fullest);
  }
  if (!endExact) {
    lp.addRow({{last.stat[0], 1.0}, {last.stat[1], 1.0}, {last.stat[2], 1.0}, {last.stat[3], 1.0}},
              Sense::kEqual, endLevel);
  }
  points.push_back(last);
  needs.push_back(nullptr);

  // Each waypoint's stat order: one programme per order allowed would multiply the work, so a
  // waypoint that allows several orders gets the rows they share (its leading stat, when they
  // share one) and the order itself is checked by the caller's split of the orders.
  for (std::size_t p = 1; p + 1 < points.size(); ++p) {
    const std::uint8_t orders = needs[p]->orders;
    if (orders == kEveryOrder) continue;
    for (int lead = 0; lead < kDominantStatCount; ++lead) {
      const auto leadOrders = std::uint8_t(3 << (2 * lead));
      if ((orders & ~leadOrders) != 0) continue;  // more than this stat may lead
      const int l = points[p].stat[1 + lead];
      for (int other = 0; other < kDominantStatCount; ++other) {
        if (other != lead) {
          lp.addRow({{l, 1.0}, {points[p].stat[1 + other], -1.0}}, Sense::kAtLeast, -kMargin);
        }
      }
      if ((orders & leadOrders) == leadOrders) continue;
      const int firstStat = lead == 0 ? 2 : 1;
      const int secondStat = lead == 2 ? 2 : 3;
      const Terms difference = {{points[p].stat[firstStat], 1.0},
                                {points[p].stat[secondStat], -1.0}};
      if ((orders >> (2 * lead) & 1) != 0) {
        lp.addRow(difference, Sense::kAtLeast, 1 - kMargin);  // the first above the second
      } else {
        lp.addRow(difference, Sense::kAtMost, kMargin);
      }
    }
  }

  for (std::size_t p = 0; p + 1 < points.size(); ++p) {
    const Point& from = points[p];
    const Point& to = points[p + 1];
    const TableSet tables = segmentTables(setting, route, from.level, to.level);
    std::vector<std::pair<int, StatDelta>> counts;  // an item count and its bar changes
    for (FeedTable table = 0; table < kFeedTableCount; ++table) {
      if ((tables >> table & 1) == 0) continue;
      for (const Item item : usefulItems(table, units)) {
        const int count = lp.addVariable(0);
        counts.emplace_back(count, kFeedTable[table][item]);
        made.counts.emplace_back(count, item);
      }
    }
    for (int k = 0; k < 4; ++k) {
      // 100 a level, and the bars' change between the two points: what the items moved.
      Terms moved;
      double constant = 0;
      constant += addStats(to, k, kBarCapacity, moved);
      constant += addStats(from, k, -kBarCapacity, moved);
      constant += addBar(to, k, 1.0, moved);
      constant += addBar(from, k, -1.0, moved);
      Terms least = moved;
      Terms most = moved;
      for (const auto& [count, delta] : counts) {
        const std::int32_t change[4] = {delta.def, delta.pow, delta.dex, delta.mind};
        if (change[k] != 0) least.emplace_back(count, -change[k]);
        if (change[k] > 0) most.emplace_back(count, -change[k]);
      }
      lp.addRow(least, Sense::kAtLeast, -constant - kMargin);
      lp.addRow(most, Sense::kAtMost, -constant + kMargin);
      // Stats never fall: the next evolution comes after this point's feeding.
      if (to.stat[k] >= 0 && from.stat[k] >= 0) {
        lp.addRow({{to.stat[k], 1.0}, {from.stat[k], -1.0}, {from.extra[k], -1.0}}, Sense::kAtLeast,
                  -kMargin);
      } else if (from.stat[k] >= 0) {
        lp.addRow({{from.stat[k], 1.0}, {from.extra[k], 1.0}}, Sense::kAtMost,
                  to.fixedStat[k] + kMargin);
      }
    }
  }
  return made;
}

}  // namespace ostrel

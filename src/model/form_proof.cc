// The form proof: every way a form can come about is a route of waypoints (the evolutions whose
// stats decide it, with what they need) and of the feeding tables the mag may eat from between
// them; a linear programme says whether any mix of feedings follows the route.
#include "model/form_proof.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "model/evolution.h"
#include "model/feeding.h"
#include "model/linear_programme.h"

namespace ostrel {
namespace {

using Sense = LinearProgramme::Sense;
using TableSet = std::uint16_t;

constexpr std::uint8_t kEveryOrder = (1 << kStatOrderCount) - 1;

// What a route needs of the stats at one evolution. Stat ties count for every stat that shares
// the top place: the feeding's bar changes may break them either way.
struct Need {
  std::int32_t defAtMost = kMaxLevel;
  std::int32_t defAtLeast = 0;
  std::uint8_t orders = kEveryOrder;  // the stat orders allowed (statOrder)
  bool pairSumsEqual = false;
};

struct Waypoint {
  std::int32_t level;
  Need need;
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

// What the proof is asked about, and the forms the mag may have in each phase between the
// evolutions at 10, 35, 50 and 100.
struct Setting {
  const PlayerRequest& request;
  const MagState& start;  // its level up to date
  FormSet phaseForms[5];  // below 10, 10..34, 35..49, 50..99, 100..200
  FormSet lowDefForms;    // from 50 to 95 with def below 45 at every evolution so far
};

int phaseOf(std::int32_t level) {
  if (level < 10) return 0;
  if (level < 35) return 1;
  if (level < kFirstStatsEvent) return 2;
  return level < kFirstFinalEvent ? 3 : 4;
}

constexpr std::int32_t kPhaseStart[5] = {0, 10, 35, kFirstStatsEvent, kFirstFinalEvent};

constexpr FormSet kFinalForms = ~(formBit(kFinalTypeStart) - 1);

// Which forms the mag may have in each phase: the start's own until an evolution replaces it.
Setting settingFor(const PlayerRequest& request, const MagState& start) {
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

TableSet tablesOf(FormSet forms) {
  TableSet tables = 0;
  for (; forms != 0; forms &= forms - 1) {
    tables |= TableSet(1 << feedTableOf(static_cast<MagType>(std::countr_zero(forms))));
  }
  return tables;
}

// Whether the stats `s` (def, pow, dex, mind) meet `need`, ties counted as above.
bool meets(const Need& need, const std::int32_t s[4], const Player& player) {
  if (s[0] > need.defAtMost || s[0] < need.defAtLeast) return false;
  if (need.pairSumsEqual) {
    const PairSums sums = pairSums(player.sectionId, s[0], s[1], s[2], s[3]);
    if (sums.first != sums.second) return false;
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
  for (int order = 0; order < kStatOrderCount; ++order) {
    if ((need.orders >> order & 1) == 0) continue;
    const auto [least, most] = orderSums(low, high, order);
    if (least <= most && std::max(least, level - defHigh) <= std::min(most, level - defLow)) {
      return true;
    }
  }
  return false;
}

// The level of the next evolution by the stats after one at `level` (35, or 50 to 95).
std::int32_t nextEvolution(std::int32_t level) {
  return level < kFirstStatsEvent ? kFirstStatsEvent : level + kEventStep;
}

// The items of a table that some other item does not outdo: the bar points an item can move
// lie between its changes and its changes with the losses left out, and an item whose range is
// inside another's adds nothing the other does not.
std::vector<Item> usefulItems(FeedTable table) {
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
  for (Item item = 0; item < kFedItemCount; ++item) {
    bool outdone = false;
    for (Item other = 0; other < kFedItemCount && !outdone; ++other) {
      if (other == item || !inside(item, other)) continue;
      // Two items of the same range: the earlier stays.
      outdone = !inside(other, item) || other < item;
    }
    if (!outdone) items.push_back(item);
  }
  return items;
}

// The room the rows leave: a real plan meets every row exactly, so the programme is widened by
// far more than the solver's rounding, and a "no" is still sure.
constexpr double kMargin = 0.25;

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

// Whether some mix of feedings can follow `route` from the start to the stats `end` at level
// `endLevel` (the target's, or a level on the way with `end` as the most of each stat).
bool routeOpen(const Setting& setting, const Route& route, std::int32_t endLevel,
               const std::int32_t end[4], bool endExact) {
  const MagState& start = setting.start;
  LinearProgramme lp;
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
  for (const Waypoint& waypoint : route.waypoints) {
    if (waypoint.level <= start.level || waypoint.level >= endLevel) continue;
    Point point{waypoint.level, {}, {}, {}, {}, {}};
    Terms sum;
    for (int k = 0; k < 4; ++k) {
      point.stat[k] = lp.addVariable(startStats[k], end[k]);
      point.extra[k] = lp.addVariable(0, 1);
      point.bar[k] = lp.addVariable(0, kBarCapacity - 1);
      sum.emplace_back(point.stat[k], 1.0);
    }
    lp.addRow(sum, Sense::kEqual, waypoint.level);
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
    const auto named = std::find_if(route.named.begin(), route.named.end(), [&](const auto& n) {
      return n.first == from.level && to.level <= nextEvolution(from.level);
    });
    const TableSet tables =
        from.level >= route.fixedFrom ? TableSet(1 << feedTableOf(route.fixedForm))
        : named != route.named.end()  ? TableSet(1 << feedTableOf(named->second))
            : [&] {
                TableSet all = 0;
                for (int phase = phaseOf(from.level); phase < 5 && kPhaseStart[phase] < to.level;
                     ++phase) {
                  FormSet forms = setting.phaseForms[phase];
                  if (phase == 3 && to.level <= route.defLowUntil) forms = setting.lowDefForms;
                  all |= tablesOf(forms);
                }
                return all;
              }();
    std::vector<std::pair<int, StatDelta>> counts;  // an item count and its bar changes
    for (FeedTable table = 0; table < kFeedTableCount; ++table) {
      if ((tables >> table & 1) == 0) continue;
      for (const Item item : usefulItems(table)) {
        // cppcheck-suppress useStlAlgorithm ; each count is a new variable of the programme
        counts.emplace_back(lp.addVariable(0), kFeedTable[table][item]);
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
        lp.addRow({{to.stat[k], 1.0}, {from.stat[k], -1.0}, {from.extra[k], -1.0}},
                  Sense::kAtLeast, -kMargin);
      } else if (from.stat[k] >= 0) {
        lp.addRow({{from.stat[k], 1.0}, {from.extra[k], 1.0}}, Sense::kAtMost,
                  to.fixedStat[k] + kMargin);
      }
    }
  }
  return lp.feasible();
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

// The programmes one question (a form, or the target) may solve to name the forms on a route
// open with their tables mixed: the proof's time stays small, and what it leaves over is only
// not proven.
constexpr int kWorkPerQuestion = 3;

// Whether `route` is open with the forms of `evolutions` from `next` on named one by one, each a
// form the evolution there may give (the lead at 35, a stat order with def below 45 from 50 on),
// depth first; `work` counts down the programmes it may still solve.
bool routeOpenNamed(const Setting& setting, const Route& route,
                    const std::vector<std::int32_t>& evolutions, std::size_t next, int& work) {
  if (next == evolutions.size()) return true;
  const std::int32_t level = evolutions[next];
  const Player& player = setting.request.player;
  const Target& target = setting.request.target;
  const std::int32_t end[4] = {target.def, target.pow, target.dex, target.mind};
  // Each form the evolution may give, with the stat orders that give it, one lead at a time.
  std::vector<std::pair<MagType, std::uint8_t>> choices;
  for (std::int32_t order = 0; order < kStatOrderCount; ++order) {
    const MagType form =
        level == 35 ? level35Form(player, order / 2) : level50Form(player, order);
    const auto lead = std::uint8_t(3 << (2 * (order / 2)));
    auto same = std::find_if(choices.begin(), choices.end(), [&](const auto& c) {
      return c.first == form && (c.second & lead) != 0;
    });
    if (same == choices.end()) {
      choices.emplace_back(form, std::uint8_t(1 << order));
    } else {
      same->second |= std::uint8_t(1 << order);
    }
  }
  for (const auto& [form, orders] : choices) {
    if (work <= 0) return true;
    Route named = route;
    auto at = std::find_if(named.waypoints.begin(), named.waypoints.end(),
                           [&](const Waypoint& w) { return w.level == level; });
    if (at == named.waypoints.end()) {
      named.waypoints.push_back({level, Need{}});
      std::sort(named.waypoints.begin(), named.waypoints.end(),
                [](const Waypoint& a, const Waypoint& b) { return a.level < b.level; });
      at = std::find_if(named.waypoints.begin(), named.waypoints.end(),
                        [&](const Waypoint& w) { return w.level == level; });
    }
    at->need.orders &= orders;
    if (level >= kFirstStatsEvent) at->need.defAtMost = std::min(at->need.defAtMost, 44);
    if (at->need.orders == 0) continue;
    named.named.emplace_back(level, form);
    --work;
    if (routeOpen(setting, named, target.level, end, true) &&
        routeOpenNamed(setting, named, evolutions, next + 1, work)) {
      return true;
    }
  }
  return false;
}

// Whether some mix of feedings follows `route` to the target, `work` as above.
bool routeToTargetOpen(const Setting& setting, Route route, int& work) {
  const Target& target = setting.request.target;
  const std::int32_t end[4] = {target.def, target.pow, target.dex, target.mind};
  const MagState& start = setting.start;
  const std::int32_t low[4] = {start.def, start.pow, start.dex, start.mind};
  for (const Waypoint& waypoint : route.waypoints) {
    // The evolution at the target level sees the target stats themselves.
    if (waypoint.level == target.level && !meets(waypoint.need, end, setting.request.player)) {
      return false;
    }
    if (waypoint.level > start.level && waypoint.level < target.level &&
        !needPossible(waypoint.need, low, end, waypoint.level, setting.request.player)) {
      return false;
    }
  }
  route.waypoints = withPhaseStarts(route.waypoints);
  if (!routeOpen(setting, route, target.level, end, true)) return false;
  // Open with the tables of every form the evolutions on the way may give mixed: each of those
  // evolutions, in turn, with the form it gives named and its table alone, as long as the work
  // allows; the work left over is a route open (nothing proven).
  std::vector<std::int32_t> evolutions;
  if (start.level < 35 && 35 < target.level && route.fixedFrom > 35) evolutions.push_back(35);
  for (std::int32_t level = kFirstStatsEvent; level < route.defLowUntil; level += kEventStep) {
    if (level > start.level) evolutions.push_back(level);
  }
  return routeOpenNamed(setting, route, evolutions, 0, work);
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

// The routes a form can come about by, and the reason to give when none is open.
struct Ways {
  std::vector<Route> routes;
  FormExclusion reason;
  std::optional<Route> defAlone;  // the reason's route without its lead, to drop the lead's name
};

void addReason(Ways& ways, const FormExclusion& reason) {
  if (ways.reason.kind == ExclusionKind::kNone) ways.reason = reason;
}

Ways waysTo(const Setting& setting, MagType form) {
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
      addReason(ways, {ExclusionKind::kHighDefLeadNeverAt, statsEvents.back(), 0, 0, -1, 0,
                       leads});
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

// The reason for a target out of reach: the first evolution on the way that the stats cannot
// reach within their targets, and the one stat whose target, were it higher, would let them;
// or, with every level on the way open, the target stats themselves.
FormExclusion targetReason(const Setting& setting) {
  const Target& target = setting.request.target;
  const std::int32_t most[4] = {target.def, target.pow, target.dex, target.mind};
  Route route;
  route.waypoints = withPhaseStarts({});
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

}  // namespace

FormExclusion targetProvenOut(const PlayerRequest& request, const MagState& start) {
  MagState from = start;
  from.level = start.def + start.pow + start.dex + start.mind;
  const Target& target = request.target;
  if (from.def > target.def || from.pow > target.pow || from.dex > target.dex ||
      from.mind > target.mind || from.level >= target.level) {
    return {};  // nothing to feed, or the rules' own answer
  }
  const Setting setting = settingFor(request, from);
  int work = kWorkPerQuestion;
  if (routeToTargetOpen(setting, Route{}, work)) return {};
  return targetReason(setting);
}

std::array<FormExclusion, kMagTypeCount> formsProvenOut(const PlayerRequest& request,
                                                        const MagState& start,
                                                        FormSet candidates) {
  std::array<FormExclusion, kMagTypeCount> proven{};
  if (candidates == 0) return proven;
  const FormExclusion targetOut = targetProvenOut(request, start);
  if (targetOut.kind != ExclusionKind::kNone) {
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if ((candidates & formBit(type)) != 0) proven[type] = targetOut;
    }
    return proven;
  }
  MagState from = start;
  from.level = start.def + start.pow + start.dex + start.mind;
  const Target& target = request.target;
  if (from.def > target.def || from.pow > target.pow || from.dex > target.dex ||
      from.mind > target.mind || from.level >= target.level) {
    return proven;
  }
  const Setting setting = settingFor(request, from);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if ((candidates & formBit(type)) == 0) continue;
    const Ways ways = waysTo(setting, type);
    if (ways.routes.empty()) continue;  // nothing this proof knows of: nothing proven
    int work = kWorkPerQuestion;
    const bool open = std::any_of(ways.routes.begin(), ways.routes.end(), [&](const Route& route) {
      return routeToTargetOpen(setting, route, work);
    });
    if (open) continue;
    proven[type] = ways.reason;
    work = kWorkPerQuestion;
    if (ways.defAlone && !routeToTargetOpen(setting, *ways.defAlone, work)) {
      proven[type].orders = 0;
    }
  }
  return proven;
}

}  // namespace ostrel

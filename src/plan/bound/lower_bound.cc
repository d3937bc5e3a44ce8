// The lower bound, as a game between a plan and a set of prices.
//
// Take a real plan, cut into stages at the levels where the form may change: stage k holds the
// feedings that start at levels a_k .. a_(k+1)-1, all read the table of the form it has there,
// and gain L_k levels, of which Delta_(k,s) in stat s. Let b_k be the bars when stage k starts
// (0..99 each: below level 200 a bar never holds 100). A stage's positive bar changes, summed,
// cover what its bars gained net: g_k >= 100 Delta_k + b_(k+1) - b_k for every stat, since
// losses only take points off and a bar stops at 0. Then, for prices y_k >= 0 under which no
// item of the stage's table is worth more than it costs (g_item . y_k <= cost), and any price per
// stat level lambda:
//
//   cost >= sum_k y_k . g_k >= sum_k y_k . (100 Delta_k + b_(k+1) - b_k)
//        >= lambda . D + sum_k m_k L_k - y_1 . b_1 - 99 sum_k sum_s (y_(k,s) - y_(k-1,s))+
//
// where D are the levels each stat must gain, m_k = min_s (100 y_(k,s) - lambda_s) over those
// stats (sum_s Delta_(k,s) = L_k), and the bars' terms take their worst values. A feeding gains
// at most four levels, so a stage starts up to 3 levels past its cut: L_k differs from the cut's
// levels by that much, and the worst of it is counted too (o_k (m_k - m_(k-1))+). The plan
// picks the forms, the prices answer: a stage's prices are chosen knowing the forms and prices
// before it but not the forms after, which no plan's forms can exploit, so the game's value
// bounds every plan whose forms the rules allow. Prices are tried at the vertices of each
// table's polytope; lambda is searched for; any lambda gives a bound.
#include "plan/bound/lower_bound.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

#include "model/evolution.h"
#include "model/feeding.h"
#include "model/form_rules.h"
#include "plan/bound/polytope_vertices.h"

namespace ostrel {
namespace {

using Stats = std::array<std::int32_t, 4>;
constexpr double kInfinite = std::numeric_limits<double>::infinity();
constexpr double kBarCarry = kBarCapacity - 1;  // the most points a bar carries over a cut
constexpr std::int32_t kMostOvershoot = 3;      // a feeding gains four levels at most

// What the rule at one level does to a mag of a form below the final ones whose stats lie
// between the mag's and the target's: the forms it may give, and whether it may keep the form.
struct Event {
  FormSet forms = 0;
  bool keep = false;
};

// Where a comparison of two stats falls: below, equal, above.
int compared(std::int32_t a, std::int32_t b) { return a < b ? 0 : (a == b ? 1 : 2); }

// The rule at `level` (10, 35, 50..95) applied to every stat vector between `low` and `high`
// that sums to `level`: the rule reads only whether def is 45 or more and how pow, dex and mind
// compare, so one vector of each such kind stands for all, tried with every order of the last
// feeding's bar changes where stats tie.
Event statsEvent(const Player& player, std::int32_t level, const Stats& low, const Stats& high) {
  constexpr int kKinds = 2 * 27;
  std::array<bool, kKinds> seen{};
  std::array<Stats, kKinds> example{};
  for (std::int32_t def = low[0]; def <= std::min(high[0], level); ++def) {
    for (std::int32_t pow = low[1]; pow <= std::min(high[1], level - def); ++pow) {
      const std::int32_t rest = level - def - pow;
      const std::int32_t dexLow = std::max(low[2], rest - high[3]);
      const std::int32_t dexHigh = std::min(high[2], rest - low[3]);
      if (dexLow > dexHigh) continue;
      // Where the comparisons of dex with pow and mind, and of mind with pow, change.
      const std::int32_t turns[] = {dexLow,       dexHigh,  pow - 1,      pow,
                                    pow + 1,      rest / 2 - 1, rest / 2, rest / 2 + 1,
                                    rest - 2 * pow - 1, rest - 2 * pow, rest - 2 * pow + 1};
      for (const std::int32_t turn : turns) {
        const std::int32_t dex = std::clamp(turn, dexLow, dexHigh);
        const std::int32_t mind = rest - dex;
        const int kind = (def >= kHighDefLimit ? 27 : 0) + compared(pow, dex) * 9 +
                         compared(pow, mind) * 3 + compared(dex, mind);
        if (!seen[kind]) example[kind] = {def, pow, dex, mind};
        seen[kind] = true;
      }
    }
  }
  Event event;
  for (int kind = 0; kind < kKinds; ++kind) {
    if (!seen[kind]) continue;
    const Stats& s = example[kind];
    const bool ties = s[1] == s[2] || s[1] == s[3] || s[2] == s[3];
    for (int changes = 0; changes < (ties ? 27 : 1); ++changes) {
      // Form 0 stands for any form below the final ones: no rule here gives it.
      MagState mag{0, s[0], s[1], s[2], s[3], 0, 0, 0, 0, level};
      checkEvolution(player, {0, changes % 3, changes / 3 % 3, changes / 9}, mag);
      if (mag.type == 0) {
        event.keep = true;
      } else {
        event.forms |= formBit(mag.type);
      }
    }
  }
  return event;
}

// The rule at a level of 100..200 that is a multiple of 10 (the pair sums, which add up to the
// level, can be equal only at even ones): the final form where the sums can be equal, the form
// kept where they can differ.
Event pairSumEvent(const Player& player, std::int32_t level, const Stats& low, const Stats& high) {
  const PairSums from = pairSums(player.sectionId, low[0], low[1], low[2], low[3]);
  const PairSums to = pairSums(player.sectionId, high[0], high[1], high[2], high[3]);
  // The first sum's values at this level: each sum lies between its values at low and high.
  const std::int32_t least = std::max(from.first, level - to.second);
  const std::int32_t most = std::min(to.first, level - from.second);
  Event event;
  if (least <= level / 2 && level / 2 <= most) event.forms = formBit(finalForm(player));
  event.keep = least < most || (least == most && least != level / 2);
  return event;
}

// The levels where a form may change on the way from `startLevel` to `targetLevel` (the target's
// own included): 10, 35, every fifth from 50 to 95, every tenth from 100.
std::vector<std::int32_t> cutLevels(std::int32_t startLevel, std::int32_t targetLevel) {
  std::vector<std::int32_t> cuts;
  for (std::int32_t level = startLevel + 1; level <= targetLevel; ++level) {
    const bool cut = level == 10 || level == 35 ||
                     (level >= kFirstStatsEvent && level <= kLastStatsEvent &&
                      level % kEventStep == 0) ||
                     (level >= kFirstFinalEvent && level % (2 * kEventStep) == 0);
    if (cut) cuts.push_back(level);
  }
  return cuts;
}

// The forms a mag of form `type` may have after the rule at `level`.
FormSet formsAfter(MagType type, std::int32_t level, const Event& event) {
  if (level == 10 || level == 35) return event.forms;
  if (type >= kFinalTypeStart) return formBit(type);
  return event.forms | (event.keep ? formBit(type) : 0);
}

// One stage: the levels it spans, how far past its cut it may start, its possible forms and,
// per form, the indexes of the forms of the next stage it may lead to.
struct Stage {
  std::int32_t levels = 0;
  std::int32_t overshoot = 0;
  std::vector<MagType> forms;
  std::vector<std::vector<int>> next;
  std::vector<double> finish;  // the last stage only: 0 per form that may end the plan, else inf
  // Forms of one table that lead to the same forms (and may end the plan alike) are valued
  // alike: one of each kind is valued, and every form knows its kind.
  std::vector<std::size_t> kinds;   // per kind, a form of it
  std::vector<std::size_t> kindOf;  // per form
};

// The prices of one table: points y >= 0 under which no item is worth more than it costs
// (g_item . y <= cost, g the item's positive bar changes in the stats needed). The set is closed
// downwards (any y below such a point is such a point too), so a stage's prices may be lowered
// freely; the points tried are the set's highest vertices and, for a table whose stage comes
// before another's, the highest points under each of that stage's prices (which carry no bar
// points at a loss), see addCappedPrices.
struct TablePrices {
  std::vector<HalfSpace> items;
  std::vector<Point4> points;
  unsigned raised = 0;
};

// Whether a is at most b in every stat.
bool below(const Point4& a, const Point4& b) {
  for (int s = 0; s < 4; ++s) {
    if (a[s] > b[s]) return false;
  }
  return true;
}

// Adds `y` to `points` unless a point there is the same.
void addPoint(std::vector<Point4>& points, const Point4& y) {
  for (const Point4& seen : points) {
    bool same = true;
    for (int s = 0; s < 4; ++s) same = same && std::fabs(seen[s] - y[s]) <= 1e-9 * (1 + y[s]);
    if (same) return;
  }
  points.push_back(y);
}

TablePrices tablePrices(FeedTable table, const FeedCosts& costs, unsigned needed) {
  TablePrices prices;
  for (Item item = 0; item < kFedItemCount; ++item) {
    const StatDelta& d = kFeedTable[table][item];
    const std::int32_t change[4] = {d.def, d.pow, d.dex, d.mind};
    HalfSpace row{{0, 0, 0, 0}, costs[item]};
    for (int s = 0; s < 4; ++s) {
      if (((needed >> s) & 1U) != 0 && change[s] > 0) {
        row.normal[s] = change[s];
        prices.raised |= 1U << s;
      }
    }
    prices.items.push_back(row);
  }
  const std::vector<Point4> vertices = polytopeVertices(prices.items, prices.raised);
  // The highest vertices: a vertex below another prices every stage no higher.
  for (std::size_t i = 0; i < vertices.size(); ++i) {
    bool lower = false;
    for (std::size_t j = 0; j < vertices.size() && !lower; ++j) {
      lower = j != i && below(vertices[i], vertices[j]) && vertices[i] != vertices[j];
    }
    if (!lower) addPoint(prices.points, vertices[i]);
  }
  return prices;
}

// The highest point of the table's prices under `cap`: from the cap lowered onto each highest
// vertex, each stat raised in turn as far as every item allows, the point with the largest
// product with `weight`.
Point4 highestUnder(const TablePrices& prices, const Point4& cap, const Point4& weight) {
  Point4 best{0, 0, 0, 0};
  double bestValue = -1;
  std::vector<Point4> starts = prices.points;
  starts.push_back({0, 0, 0, 0});
  for (const Point4& start : starts) {
    Point4 y;
    for (int s = 0; s < 4; ++s) y[s] = std::min(start[s], cap[s]);
    for (int pass = 0; pass < 2; ++pass) {
      for (int s = 0; s < 4; ++s) {
        if (((prices.raised >> s) & 1U) == 0) continue;
        double room = cap[s] - y[s];
        for (const HalfSpace& item : prices.items) {
          if (item.normal[s] <= 0) continue;
          double used = 0;
          for (int t = 0; t < 4; ++t) used += item.normal[t] * y[t];
          room = std::min(room, (item.limit - used) / item.normal[s]);
        }
        y[s] += std::max(room, 0.0);
      }
    }
    double value = 0;
    for (int s = 0; s < 4; ++s) value += weight[s] * y[s];
    if (value > bestValue) {
      bestValue = value;
      best = y;
    }
  }
  return best;
}

// The whole game for one request and one unit of cost, ready to be valued for any lambda.
class Game {
 public:
  Game(const PlayerRequest& request, const MagState& start, const FeedCosts& costs,
       std::optional<MagType> form);

  bool possible() const { return possible_; }
  // The bound for prices per stat level `lambda` (only the needed stats' are read).
  double value(const Point4& lambda);
  // Where the search for lambda starts, and its first step.
  Point4 firstLambda() const;
  unsigned needed() const { return needed_; }

 private:
  // A price vector as a stage uses it: the vertex, with the stats its table does not raise
  // priced so as not to lower m.
  struct Priced {
    Point4 y;
    double m;
  };
  void price(const Point4& lambda);
  void addCappedPrices();

  bool possible_ = true;
  unsigned needed_ = 0;
  Point4 levelsNeeded_{};
  Point4 startBars_{};
  std::vector<Stage> stages_;
  std::array<TablePrices, kFeedTableCount> tables_;
  std::array<std::vector<Priced>, kFeedTableCount> priced_;
  // Per stage, form and vertex of its table: the value of the stages from there on.
  // Per pair of tables (before * kFeedTableCount + after), for stages that follow each other:
  // the most the bars carried over the cut may save, per pair of their prices.
  std::array<unsigned, kFeedTableCount> pairs_{};
  std::array<std::vector<double>, std::size_t{kFeedTableCount} * kFeedTableCount> carried_;
  std::size_t stride_ = 1;  // the most points of a table: answers are kept per table and point
};

Game::Game(const PlayerRequest& request, const MagState& start, const FeedCosts& costs,
           std::optional<MagType> form) {
  const Target& t = request.target;
  const Stats low{start.def, start.pow, start.dex, start.mind};
  const Stats high{t.def, t.pow, t.dex, t.mind};
  const std::int32_t startLevel = low[0] + low[1] + low[2] + low[3];
  const std::int32_t targetLevel = high[0] + high[1] + high[2] + high[3];
  const std::int32_t bars[4] = {start.defBar, start.powBar, start.dexBar, start.mindBar};
  for (int s = 0; s < 4; ++s) {
    if (high[s] < low[s]) possible_ = false;
    if (high[s] > low[s]) needed_ |= 1U << s;
    levelsNeeded_[s] = high[s] - low[s];
    startBars_[s] = bars[s];
  }
  if (targetLevel <= startLevel) {
    // No feeding at all: the mag is the target already, in its own form.
    possible_ = possible_ && targetLevel == startLevel && (!form || *form == start.type);
    return;
  }
  if (!possible_) return;

  const std::vector<std::int32_t> cuts = cutLevels(startLevel, targetLevel);
  std::vector<Event> events;
  events.reserve(cuts.size());
  for (const std::int32_t level : cuts) {
    events.push_back(level >= kFirstFinalEvent ? pairSumEvent(request.player, level, low, high)
                                               : statsEvent(request.player, level, low, high));
  }
  // Stages between the cuts below the target; the cut at the target, if any, only decides the
  // final form.
  std::vector<std::int32_t> bounds = {startLevel};
  for (const std::int32_t level : cuts) {
    if (level < targetLevel) bounds.push_back(level);
  }
  bounds.push_back(targetLevel);
  const std::size_t stageCount = bounds.size() - 1;
  stages_.resize(stageCount);
  stages_[0].forms = {start.type};
  for (std::size_t k = 0; k < stageCount; ++k) {
    Stage& stage = stages_[k];
    stage.levels = bounds[k + 1] - bounds[k];
    stage.overshoot = k == 0 ? 0 : std::min(kMostOvershoot, targetLevel - bounds[k]);
    const bool last = k + 1 == stageCount;
    // Every stage but the last ends at a cut, whose event is events[k]; the last ends at the
    // target, which may be a cut too.
    const bool cutAtEnd = k < cuts.size();
    FormSet nextForms = 0;
    std::vector<FormSet> leadsTo;
    for (const MagType type : stage.forms) {
      const FormSet after =
          cutAtEnd ? formsAfter(type, bounds[k + 1], events[k]) : formBit(type);
      leadsTo.push_back(after);
      nextForms |= after;
    }
    std::vector<MagType> following;
    for (FormSet left = nextForms; left != 0; left &= left - 1) {
      following.push_back(static_cast<MagType>(std::countr_zero(left)));
    }
    for (const FormSet after : leadsTo) {
      std::vector<int> indexes;
      bool ends = false;
      for (std::size_t i = 0; i < following.size(); ++i) {
        if ((after & formBit(following[i])) == 0) continue;
        indexes.push_back(static_cast<int>(i));
        ends = ends || !form || following[i] == *form;
      }
      stage.next.push_back(indexes);
      if (last) stage.finish.push_back(ends ? 0 : kInfinite);
    }
    if (!last) stages_[k + 1].forms = following;
  }
  // Kinds, from the last stage back: two forms are of one kind when they read one table and lead
  // to the same kinds of forms (or may end the plan alike).
  for (std::size_t k = stageCount; k-- > 0;) {
    Stage& stage = stages_[k];
    const bool last = k + 1 == stageCount;
    std::vector<std::vector<std::size_t>> leadsTo(stage.forms.size());
    for (std::size_t f = 0; f < stage.forms.size(); ++f) {
      if (!last) {
        for (const int following : stage.next[f]) {
          leadsTo[f].push_back(stages_[k + 1].kindOf[static_cast<std::size_t>(following)]);
        }
        std::sort(leadsTo[f].begin(), leadsTo[f].end());
        leadsTo[f].erase(std::unique(leadsTo[f].begin(), leadsTo[f].end()), leadsTo[f].end());
      }
      std::size_t kind = 0;
      while (kind < stage.kinds.size()) {
        const std::size_t other = stage.kinds[kind];
        if (feedTableOf(stage.forms[other]) == feedTableOf(stage.forms[f]) &&
            leadsTo[other] == leadsTo[f] && (!last || stage.finish[other] == stage.finish[f])) {
          break;
        }
        ++kind;
      }
      if (kind == stage.kinds.size()) stage.kinds.push_back(f);
      stage.kindOf.push_back(kind);
      if (k == 0) continue;
      for (const MagType type : stages_[k - 1].forms) {
        pairs_[feedTableOf(type)] |= 1U << feedTableOf(stage.forms[f]);
      }
    }
  }
  unsigned used = 0;
  for (const Stage& stage : stages_) {
    for (const MagType type : stage.forms) {
      const FeedTable table = feedTableOf(type);
      if ((used >> table & 1U) == 0) tables_[table] = tablePrices(table, costs, needed_);
      used |= 1U << table;
    }
  }
  addCappedPrices();
  for (TablePrices& prices : tables_) {
    // Taken a hair inside, the rounding of the arithmetic can never make an item worth more than
    // it costs.
    for (Point4& y : prices.points) {
      for (double& value : y) value *= 1 - 1e-9;
    }
    stride_ = std::max(stride_, prices.points.size());
  }
}

void Game::addCappedPrices() {
  // Which table's stage may come right before which other's.
  std::array<unsigned, kFeedTableCount> before{};
  for (std::size_t k = 0; k + 1 < stages_.size(); ++k) {
    for (std::size_t f = 0; f < stages_[k].forms.size(); ++f) {
      const FeedTable table = feedTableOf(stages_[k].forms[f]);
      for (const int following : stages_[k].next[f]) {
        const FeedTable next = feedTableOf(stages_[k + 1].forms[static_cast<std::size_t>(following)]);
        if (next != table) before[table] |= 1U << next;
      }
    }
  }
  // A stage whose prices are far below the next one's loses up to 99 points a stat at the cut,
  // and the best prices then lie under the next stage's: every table gets its highest points
  // under each price of the tables after it, over as many rounds as a chain of tables is long.
  constexpr std::size_t kMostPoints = 24;
  for (int round = 0; round < 3; ++round) {
    std::array<std::vector<Point4>, kFeedTableCount> added;
    for (FeedTable table = 0; table < kFeedTableCount; ++table) {
      for (unsigned left = before[table]; left != 0; left &= left - 1) {
        for (const Point4& cap : tables_[std::countr_zero(left)].points) {
          added[table].push_back(highestUnder(tables_[table], cap, levelsNeeded_));
        }
      }
    }
    for (FeedTable table = 0; table < kFeedTableCount; ++table) {
      for (const Point4& y : added[table]) {
        if (tables_[table].points.size() < kMostPoints) addPoint(tables_[table].points, y);
      }
    }
  }
}

void Game::price(const Point4& lambda) {
  for (FeedTable table = 0; table < kFeedTableCount; ++table) {
    const TablePrices& prices = tables_[table];
    std::vector<Priced>& priced = priced_[table];
    priced.clear();
    for (const Point4& vertex : prices.points) {
      Priced p{vertex, kInfinite};
      for (int s = 0; s < 4; ++s) {
        if (((prices.raised >> s) & 1U) != 0) p.m = std::min(p.m, 100 * vertex[s] - lambda[s]);
      }
      if (p.m == kInfinite) p.m = 0;  // the table raises no stat needed: any price will do
      // A stat the table never raises gains no level in the stage whatever its price (a bar
      // carried in holds less than one level): priced just so that it does not lower m.
      for (int s = 0; s < 4; ++s) {
        if (((needed_ >> s) & 1U) != 0 && ((prices.raised >> s) & 1U) == 0) {
          p.y[s] = std::max(0.0, (lambda[s] + p.m) / 100);
        }
      }
      priced.push_back(p);
    }
  }
  // What the bars carried over a cut may save, per pair of tables and their prices.
  for (FeedTable before = 0; before < kFeedTableCount; ++before) {
    for (FeedTable table = 0; table < kFeedTableCount; ++table) {
      std::vector<double>& carried = carried_[before * kFeedTableCount + table];
      carried.clear();
      if (((pairs_[before] >> table) & 1U) == 0) continue;
      for (const Priced& prev : priced_[before]) {
        for (const Priced& here : priced_[table]) {
          double rise = 0;
          for (int s = 0; s < 4; ++s) rise += std::max(0.0, here.y[s] - prev.y[s]);
          carried.push_back(kBarCarry * rise);
        }
      }
    }
  }
}

double Game::value(const Point4& lambda) {
  if (!possible_) return kInfinite;
  if (stages_.empty()) return 0;
  price(lambda);
  const std::size_t stageCount = stages_.size();
  // Backwards, per stage and kind of form: ahead[g][j] values the stages from this one on with
  // the prices j of the kind's table here, the forms after chosen by the plan and their prices by
  // the game; answer[g][table before * stride_ + i] is the game's best answer to that kind of
  // form after the prices i of the table before.
  std::vector<std::vector<double>> ahead;
  std::vector<std::vector<double>> answer;
  std::vector<std::vector<double>> answerAfter;  // the next stage's answers, by its kinds
  for (std::size_t k = stageCount; k-- > 0;) {
    const Stage& stage = stages_[k];
    const bool last = k + 1 == stageCount;
    ahead.assign(stage.kinds.size(), {});
    for (std::size_t g = 0; g < stage.kinds.size(); ++g) {
      const std::size_t f = stage.kinds[g];
      const FeedTable table = feedTableOf(stage.forms[f]);
      const std::vector<Priced>& priced = priced_[table];
      ahead[g].resize(priced.size());
      for (std::size_t j = 0; j < priced.size(); ++j) {
        double rest = kInfinite;
        if (last) {
          rest = stage.finish[f];
        } else {
          for (const int following : stage.next[f]) {
            const std::size_t kind = stages_[k + 1].kindOf[static_cast<std::size_t>(following)];
            rest = std::min(rest, answerAfter[kind][table * stride_ + j]);
          }
        }
        ahead[g][j] = stage.levels * priced[j].m + rest;
      }
    }
    if (k == 0) break;
    // The bars carried over the cut and the levels run past it count against the prices here.
    unsigned tablesBefore = 0;
    for (const MagType type : stages_[k - 1].forms) tablesBefore |= 1U << feedTableOf(type);
    answer.assign(stage.kinds.size(), std::vector<double>(kFeedTableCount * stride_, -kInfinite));
    for (std::size_t g = 0; g < stage.kinds.size(); ++g) {
      const FeedTable table = feedTableOf(stage.forms[stage.kinds[g]]);
      const std::vector<Priced>& here = priced_[table];
      for (unsigned left = tablesBefore; left != 0; left &= left - 1) {
        const int tableBefore = std::countr_zero(left);
        const std::vector<Priced>& prev = priced_[tableBefore];
        const std::vector<double>& carried = carried_[tableBefore * kFeedTableCount + table];
        for (std::size_t i = 0; i < prev.size(); ++i) {
          double best = -kInfinite;
          const double* carriedFrom = &carried[i * here.size()];
          for (std::size_t j = 0; j < here.size(); ++j) {
            const double runPast = stage.overshoot * std::max(0.0, here[j].m - prev[i].m);
            best = std::max(best, ahead[g][j] - carriedFrom[j] - runPast);
          }
          answer[g][static_cast<std::size_t>(tableBefore) * stride_ + i] = best;
        }
      }
    }
    std::swap(answer, answerAfter);
  }
  const std::vector<Priced>& first = priced_[feedTableOf(stages_[0].forms[0])];
  double best = -kInfinite;
  for (std::size_t j = 0; j < first.size(); ++j) {
    double barsHeld = 0;
    for (int s = 0; s < 4; ++s) barsHeld += first[j].y[s] * startBars_[s];
    best = std::max(best, ahead[0][j] - barsHeld);
  }
  double levels = 0;
  for (int s = 0; s < 4; ++s) {
    if (((needed_ >> s) & 1U) != 0) levels += lambda[s] * levelsNeeded_[s];
  }
  return levels + best;
}

Point4 Game::firstLambda() const {
  // Each stat's level at its dearest single price in the longest stage's table.
  const Stage* longest = stages_.data();
  for (const Stage& stage : stages_) {
    if (stage.levels > longest->levels) longest = &stage;
  }
  Point4 lambda{0, 0, 0, 0};
  const TablePrices& prices = tables_[feedTableOf(longest->forms[0])];
  for (const Point4& y : prices.points) {
    for (int s = 0; s < 4; ++s) lambda[s] = std::max(lambda[s], 100 * y[s]);
  }
  return lambda;
}

// The largest value of the game over lambda, by a pattern search: steps along each needed stat
// and along each pair (one up, one down), halved when none helps.
double searchLambda(Game& game) {
  Point4 lambda = game.firstLambda();
  double best = game.value(lambda);
  if (best == kInfinite) return best;
  std::vector<Point4> directions;
  for (int s = 0; s < 4; ++s) {
    if (((game.needed() >> s) & 1U) == 0) continue;
    Point4 along{0, 0, 0, 0};
    along[s] = 1;
    directions.push_back(along);
    for (int t = s + 1; t < 4; ++t) {
      if (((game.needed() >> t) & 1U) == 0) continue;
      Point4 pair{0, 0, 0, 0};
      pair[s] = 1;
      pair[t] = -1;
      directions.push_back(pair);
    }
  }
  double step = 0;
  for (const double value : lambda) step = std::max(step, value / 4);
  if (step <= 0) step = 1;
  const double smallest = step * 1e-3;
  for (int round = 0; round < 400 && step > smallest; ++round) {
    bool better = false;
    for (const Point4& direction : directions) {
      for (const double sign : {1.0, -1.0}) {
        Point4 tried = lambda;
        for (int s = 0; s < 4; ++s) tried[s] += sign * step * direction[s];
        const double value = game.value(tried);
        if (value > best + 1e-12 * std::fabs(best)) {
          best = value;
          lambda = tried;
          better = true;
        }
      }
    }
    if (!better) step /= 2;
  }
  return best;
}

// `value` rounded up to a multiple of `unit` (what every plan costs), after a hair is taken off
// for the rounding of the arithmetic.
std::int64_t roundedUp(double value, std::int64_t unit) {
  const double safe = value * (1 - 1e-9) - 1e-6;
  if (safe <= 0) return 0;
  return static_cast<std::int64_t>(std::ceil(safe / static_cast<double>(unit))) * unit;
}

PlanBound boundOf(const PlayerRequest& request, const MagState& start,
                  std::optional<MagType> form) {
  PlanBound bound;
  const double meseta = planCostBound(request, start, mesetaCosts(), form);
  const double feedings = planCostBound(request, start, feedingCosts(), form);
  if (meseta == kInfinite || feedings == kInfinite) {
    bound.reachable = false;
    return bound;
  }
  std::int64_t priceUnit = 0;
  for (Item item = 0; item < kFedItemCount; ++item) {
    priceUnit = std::gcd(priceUnit, static_cast<std::int64_t>(kItemPrice[item]));
  }
  bound.meseta = roundedUp(meseta, priceUnit);
  bound.feedings = roundedUp(feedings, 1);
  return bound;
}

}  // namespace

FeedCosts mesetaCosts() {
  FeedCosts costs{};
  for (Item item = 0; item < kFedItemCount; ++item) costs[item] = kItemPrice[item];
  return costs;
}

FeedCosts feedingCosts() {
  FeedCosts costs{};
  costs.fill(1);
  return costs;
}

double planCostBound(const PlayerRequest& request, const MagState& start, const FeedCosts& costs,
                     std::optional<MagType> form) {
  Game game(request, start, costs, form);
  if (!game.possible()) return kInfinite;
  // A plan that gains a level feeds at least one item.
  const bool feeds = request.target.level > start.def + start.pow + start.dex + start.mind;
  const double cheapest = *std::min_element(costs.begin(), costs.end());
  return std::max(feeds ? cheapest : 0.0, searchLambda(game));
}

PlanBounds planBounds(const PlayerRequest& request, const MagState& start,
                      std::optional<MagType> form) {
  PlanBounds bounds;
  bounds.any = boundOf(request, start, {});
  if (form) bounds.form = boundOf(request, start, form);
  return bounds;
}

}  // namespace ostrel

// The corners of the dual of the covering programme: maximise b . y subject to y >= 0 and, for
// every item, its positive bar changes . y <= its cost. Any such y bounds the cost from below
// (weak duality), and the best of the corners is the programme's value. With four variables a
// corner is where four of the constraints hold with equality, and after dropping the items that
// another item beats on every bar for no more cost there are a couple of dozen constraints, so
// every choice of four is simply tried. The ranking guides are made the same way from the items'
// net bar changes.
#include "plan/goal/cost_bound.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <iterator>
#include <utility>

#include "model/feeding.h"

namespace ostrel {
namespace {

struct Constraint {
  std::array<double, 4> gain;  // a . y <= limit
  double limit;
};

// a beats b: it gives at least as much to every bar, for no more.
bool beats(const Constraint& a, const Constraint& b) {
  for (int stat = 0; stat < 4; ++stat) {
    if (a.gain[stat] < b.gain[stat]) return false;
  }
  return a.limit <= b.limit;
}

// Solves the equalities of `rows` in the stats `stats` (as many of each), the other stats' y
// being 0; false when they do not meet in one point.
bool solve(const Constraint* const rows[4], const int stats[4], int count,
           std::array<double, 4>& y) {
  double m[4][5];
  for (int r = 0; r < count; ++r) {
    for (int c = 0; c < count; ++c) m[r][c] = rows[r]->gain[stats[c]];
    m[r][count] = rows[r]->limit;
  }
  for (int col = 0; col < count; ++col) {
    int pivot = col;
    for (int r = col + 1; r < count; ++r) {
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    }
    if (std::fabs(m[pivot][col]) < 1e-12) return false;
    for (int c = 0; c <= count; ++c) std::swap(m[col][c], m[pivot][c]);
    for (int r = 0; r < count; ++r) {
      if (r == col) continue;
      const double factor = m[r][col] / m[col][col];
      for (int c = col; c <= count; ++c) m[r][c] -= factor * m[col][c];
    }
  }
  y = {0, 0, 0, 0};
  for (int r = 0; r < count; ++r) y[stats[r]] = m[r][count] / m[r][r];
  return true;
}

// The items of `tables` as constraints, their bar changes counted by `gainOf`, less the items
// another beats; then y >= 0 for the stats some item raises (`raised`, which it sets), and after
// them for the other stats of `alsoVariables`. The y of the other stats is 0 (a need there makes
// the bound infinite anyway).
template <class GainOf>
std::vector<Constraint> constraintsOf(TableSet tables, const ItemCosts& costs, GainOf gainOf,
                                      std::uint8_t& raised, std::uint8_t alsoVariables = 0) {
  std::vector<Constraint> items;
  raised = 0;
  for (FeedTable table = 0; table < kFeedTableCount; ++table) {
    if (((tables >> table) & 1U) == 0) continue;
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kFeedTable[table][item];
      const std::int32_t gains[4] = {d.def, d.pow, d.dex, d.mind};
      Constraint row{{}, costs[item]};
      bool gainsAny = false;
      for (int stat = 0; stat < 4; ++stat) {
        row.gain[stat] = static_cast<double>(gainOf(stat, gains[stat]));
        if (row.gain[stat] > 0) raised |= 1U << stat;
        gainsAny = gainsAny || row.gain[stat] > 0;
      }
      // An item that gains nothing counted holds with room to spare for every y >= 0, so it is
      // never one of the rows that meet in a corner.
      if (gainsAny) items.push_back(row);
    }
  }
  // Keep the items no other beats (of two equal ones, the first).
  std::vector<Constraint> rows;
  for (std::size_t i = 0; i < items.size(); ++i) {
    bool beaten = false;
    for (std::size_t j = 0; j < items.size() && !beaten; ++j) {
      if (j != i && beats(items[j], items[i]) && (!beats(items[i], items[j]) || j < i)) {
        beaten = true;
      }
    }
    if (!beaten) rows.push_back(items[i]);
  }
  // y >= 0 as -y <= 0.
  for (const unsigned variables : {unsigned{raised}, alsoVariables & ~unsigned{raised}}) {
    for (int stat = 0; stat < 4; ++stat) {
      if (((variables >> stat) & 1U) == 0) continue;
      Constraint floor{{0, 0, 0, 0}, 0};
      floor.gain[stat] = -1;
      rows.push_back(floor);
    }
  }
  return rows;
}

// Slightly loosened by rounding, corners are taken a hair inside: the bound stays a true lower
// bound.
constexpr double kSlack = 1e-9;

// A point where as many of the rows meet as there are stats, and that holds every row: the
// number of its choice of rows (in the order of choice), and its y.
struct Meeting {
  std::size_t choice;
  std::array<double, 4> y;
};

// The meetings of the choices numbered `share`, `share` + 2, ... of `count` of `rows`, in the
// stats `stats`, in the order of choice.
std::vector<Meeting> meetingsOf(const std::vector<Constraint>& rows, const int stats[4], int count,
                                int share) {
  std::vector<Meeting> meetings;
  const auto n = static_cast<int>(rows.size());
  int pick[4] = {0, 1, 2, 3};  // the rows chosen, the first `count`, in order
  for (std::size_t choice = 0;; ++choice) {
    if (choice % 2 == static_cast<std::size_t>(share)) {
      const Constraint* chosen[4];
      for (int i = 0; i < count; ++i) chosen[i] = &rows[static_cast<std::size_t>(pick[i])];
      std::array<double, 4> y{};
      const auto holds = [&y](const Constraint& row) {
        const double lhs =
            row.gain[0] * y[0] + row.gain[1] * y[1] + row.gain[2] * y[2] + row.gain[3] * y[3];
        return lhs <= row.limit * (1 + kSlack) + kSlack;
      };
      if (solve(chosen, stats, count, y) && std::all_of(rows.begin(), rows.end(), holds)) {
        meetings.push_back({choice, y});
      }
    }
    int at = count;  // the next choice: the last pick that can move on, and those after it
    while (at > 0 && pick[at - 1] == n - count + at - 1) --at;
    if (at == 0) return meetings;
    ++pick[at - 1];
    for (int i = at; i < count; ++i) pick[i] = pick[i - 1] + 1;
  }
}

// The corners of the dual programme of `rows` in the stats `raised` (the others' y being 0), less
// those another corner matches or beats: every choice of as many rows as stats is tried, the
// choices shared out between the two parts of `runBoth`.
std::vector<double> cornersOf(const std::vector<Constraint>& rows, std::uint8_t raised,
                              const RunBoth& runBoth, std::uint8_t priced = 0) {
  std::vector<double> corners;
  int stats[4];
  int count = 0;
  for (int stat = 0; stat < 4; ++stat) {
    if (((raised >> stat) & 1U) != 0) stats[count++] = stat;
  }
  if (count == 0 || count > static_cast<int>(rows.size())) return corners;
  std::vector<Meeting> shares[2];
  runBoth([&](int share) { shares[share] = meetingsOf(rows, stats, count, share); });
  std::vector<Meeting> meetings;
  std::merge(shares[0].begin(), shares[0].end(), shares[1].begin(), shares[1].end(),
             std::back_inserter(meetings),
             [](const Meeting& a, const Meeting& b) { return a.choice < b.choice; });
  for (const Meeting& meeting : meetings) {
    std::array<double, 4> corner{};
    for (int stat = 0; stat < 4; ++stat) {
      const double value = std::max(meeting.y[stat], 0.0);
      corner[stat] = ((priced >> stat) & 1U) != 0 ? -value * (1 + kSlack) : value * (1 - kSlack);
    }
    bool known = false;
    for (std::size_t i = 0; i < corners.size() && !known; i += 4) {
      known = std::fabs(corners[i] - corner[0]) < kSlack &&
              std::fabs(corners[i + 1] - corner[1]) < kSlack &&
              std::fabs(corners[i + 2] - corner[2]) < kSlack &&
              std::fabs(corners[i + 3] - corner[3]) < kSlack;
    }
    if (!known) corners.insert(corners.end(), corner.begin(), corner.end());
  }
  // The needs and rooms multiplied are never negative (a priced stat's value is stored negated),
  // so a corner that another matches or beats on all four values never gives the largest product.
  std::vector<double> kept;
  const std::size_t cornerCount = corners.size() / 4;
  for (std::size_t i = 0; i < cornerCount; ++i) {
    bool beaten = false;
    for (std::size_t j = 0; j < cornerCount && !beaten; ++j) {
      if (j == i) continue;
      bool atLeast = true;
      bool equal = true;
      for (int k = 0; k < 4; ++k) {
        atLeast = atLeast && corners[j * 4 + k] >= corners[i * 4 + k];
        equal = equal && corners[j * 4 + k] == corners[i * 4 + k];
      }
      beaten = atLeast && (!equal || j < i);
    }
    if (!beaten) kept.insert(kept.end(), &corners[i * 4], &corners[i * 4 + 4]);
  }
  return kept;
}

}  // namespace

void runHere(const std::function<void(int)>& work) {
  work(0);
  work(1);
}

// The corners for the stats `shortStats` short and the others on their targets: a short stat
// counts an item's gains, a stat on target the bar points it takes off (the room it gives back),
// and the corners hold the negated prices of the stats on target, so that their products with the
// room left count against the bound.
std::vector<double> cappedCornersOf(TableSet tables, const ItemCosts& costs, unsigned shortStats,
                                    std::uint8_t raised, const RunBoth& runBoth) {
  const auto change = [shortStats](int stat, std::int32_t delta) {
    return ((shortStats >> stat) & 1U) != 0 ? std::max(delta, 0) : -delta;
  };
  // Every stat on target has a price, at least 0, whether or not an item lowers it.
  const auto onTarget = static_cast<std::uint8_t>(~shortStats & 15U);
  std::uint8_t gaining = 0;
  const std::vector<Constraint> rows = constraintsOf(tables, costs, change, gaining, onTarget);
  const auto variables = static_cast<std::uint8_t>((raised & shortStats) | onTarget);
  return cornersOf(rows, variables, runBoth, onTarget);
}

// The most bar points an item of `tables` fed gives each of pow, dex and mind (none for def: its
// bar moves first in a feeding, before any level-up to 200 in it).
std::array<std::int32_t, 4> mostGivenAfterDef(TableSet tables) {
  std::array<std::int32_t, 4> most{};
  for (FeedTable table = 0; table < kFeedTableCount; ++table) {
    if (((tables >> table) & 1U) == 0) continue;
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kFeedTable[table][item];
      most = {0, std::max(most[1], d.pow), std::max(most[2], d.dex), std::max(most[3], d.mind)};
    }
  }
  return most;
}

CostBound makeCostBound(TableSet tables, const ItemCosts& costs, const RunBoth& runBoth,
                        RoomCount room) {
  CostBound bound;
  const auto gained = [](int /*stat*/, std::int32_t change) { return std::max(change, 0); };
  const std::vector<Constraint> rows = constraintsOf(tables, costs, gained, bound.raised);
  bound.corners = cornersOf(rows, bound.raised, runBoth);
  if (room != RoomCount::kNot && std::popcount(tables) == 1) {
    if (room == RoomCount::kToMaxLevel) bound.lastOverfill = mostGivenAfterDef(tables);
    for (unsigned shortStats = 1; shortStats < 15; ++shortStats) {
      bound.cappedCorners[shortStats] =
          cappedCornersOf(tables, costs, shortStats, bound.raised, runBoth);
    }
  }
  return bound;
}

CostBound makeRankingGuide(TableSet tables, const ItemCosts& costs, bool countLosses, double weight,
                           unsigned mayBeShort, const RunBoth& runBoth) {
  CostBound guide = makeCostBound(tables, costs, runBoth);
  guide.countsLosses = countLosses;
  if (countLosses) {
    for (unsigned shortStats = 1; shortStats < 16; ++shortStats) {
      if ((shortStats & ~mayBeShort) != 0) continue;
      // A stat on its target takes losses for free (its bar stops at 0), so it counts nothing.
      const auto change = [shortStats](int stat, std::int32_t delta) {
        return ((shortStats >> stat) & 1U) != 0 ? delta : 0;
      };
      std::uint8_t raised = 0;
      const std::vector<Constraint> rows = constraintsOf(tables, costs, change, raised);
      guide.netCorners[shortStats] = cornersOf(rows, raised, runBoth);
    }
  }
  const auto scale = [weight](std::vector<double>& values) {
    std::transform(values.begin(), values.end(), values.begin(),
                   [weight](double value) { return value * weight; });
  };
  scale(guide.corners);
  for (std::vector<double>& corners : guide.netCorners) scale(corners);
  return guide;
}

}  // namespace ostrel

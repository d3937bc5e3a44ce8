// The bounded simplex method on a dense tableau, in two phases. Every inequality gets a slack,
// and every row a unit column: the row's artificial where its slack cannot meet it at the start,
// and in any case the column that tells the row's price at the end (its reduced cost). The first
// phase brings the artificials' sum, the rows' total shortfall, down as far as it goes; the
// second brings the cost down from there. Variables sit at a bound or in the basis, so their
// upper bounds need no rows of their own; an artificial that leaves the basis never comes back.
#include "model/linear_programme.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

namespace ostrel {
namespace {

using Sense = LinearProgramme::Sense;
constexpr double kInfinity = LinearProgramme::kInfinity;

constexpr double kPivotTolerance = 1e-9;
constexpr double kCostTolerance = 1e-9;
// The shortfall left that counts as none: far above the rounding of a few hundred pivots, far
// below the margins the callers leave in the rows.
constexpr double kShortfallTolerance = 1e-3;
// What the evaluation of a bound may have lost to rounding, as a share of the sum of the sizes
// of its terms: a sum of k terms in doubles errs by at most k * 2^-53 of that, and this covers
// a million terms.
constexpr double kRoundingShare = 1e-10;

// The simplex's working state. Rows are multiplied by -1 where that makes their right-hand side
// at least 0; the variables are shifted to start at 0; the columns are the variables, then a
// slack per inequality, then a unit column (an artificial) per row that its slack does not meet
// at the start.
struct Tableau {
  int rows = 0;
  int columns = 0;
  int firstUnit = 0;
  std::vector<double> cells;  // rows x columns
  std::vector<double> room;   // each column's upper bound above 0
  std::vector<double> value;  // each row's basic column's value
  std::vector<int> basis;
  std::vector<bool> atUpper;
  std::vector<bool> isBasic;
  std::vector<double> sign;  // each row's factor, 1 or -1
  std::vector<int> slackOf;  // each row's slack column, or -1 for an equality
  std::vector<int> unitOf;   // each row's unit column, or -1 where its slack is basic at the start

  double* row(int r) { return &cells[static_cast<std::size_t>(r) * columns]; }
  const double* row(int r) const { return &cells[static_cast<std::size_t>(r) * columns]; }

  // The sum of the artificials still in the basis.
  double shortfall() const {
    double total = 0;
    for (int r = 0; r < rows; ++r) {
      if (basis[r] >= firstUnit) total += value[r];
    }
    return total;
  }

  // The reduced costs of the objective that costs `cost` a unit of each column.
  std::vector<double> reducedCosts(const std::vector<double>& cost) const {
    std::vector<double> reduced = cost;
    for (int r = 0; r < rows; ++r) {
      const double basic = cost[static_cast<std::size_t>(basis[r])];
      if (basic == 0) continue;
      const double* line = row(r);
      for (int j = 0; j < columns; ++j) reduced[j] -= basic * line[j];
    }
    return reduced;
  }
};

enum class Outcome { kOptimal, kStopped, kOutOfSteps, kUnbounded };

// Lowers the objective whose reduced costs are `reduced` (kept up to date) by pivoting, until no
// column lowers it (kOptimal), `stop` says enough (checked before every step) or the steps run
// out. The entering column is the steepest by the columns' lengths at the start, or after many
// steps the first (which cannot cycle); unit columns never enter.
template <typename Stop>
Outcome descend(Tableau& t, std::vector<double>& reduced, Stop stop) {
  const int stepLimit = 50 * (t.rows + t.firstUnit);
  const int steepestSteps = 10 * (t.rows + t.firstUnit);
  std::vector<int> nonzero;  // the pivot row's columns that are not 0: the only ones it changes
  nonzero.reserve(static_cast<std::size_t>(t.columns));
  // Each column's gain is weighed by its length at the start, for the steepest edge in the
  // variables' own space rather than the largest reduced cost, which takes far fewer steps.
  std::vector<double> weight(static_cast<std::size_t>(t.firstUnit));
  for (int j = 0; j < t.firstUnit; ++j) {
    double squares = 1;
    for (int r = 0; r < t.rows; ++r) squares += t.row(r)[j] * t.row(r)[j];
    weight[j] = 1 / std::sqrt(squares);
  }
  for (int step = 0; step < stepLimit; ++step) {
    if (stop()) return Outcome::kStopped;
    int entering = -1;
    double best = 0;
    for (int j = 0; j < t.firstUnit; ++j) {
      if (t.isBasic[j] || t.room[j] == 0) continue;
      const double raw = t.atUpper[j] ? reduced[j] : -reduced[j];
      if (raw <= kCostTolerance) continue;
      const double gain = raw * weight[j];
      if (entering < 0 || gain > best) {
        entering = j;
        best = gain;
        if (step >= steepestSteps) break;
      }
    }
    if (entering < 0) return Outcome::kOptimal;
    const double direction = t.atUpper[entering] ? -1.0 : 1.0;
    double limit = t.room[entering];
    int leaving = -1;
    bool leavesAtUpper = false;
    for (int r = 0; r < t.rows; ++r) {
      const double change = -direction * t.row(r)[entering];
      if (change < -kPivotTolerance) {
        const double room = t.value[r] / -change;
        if (room < limit) {
          limit = room;
          leaving = r;
          leavesAtUpper = false;
        }
      } else if (change > kPivotTolerance && t.room[t.basis[r]] != kInfinity) {
        const double room = (t.room[t.basis[r]] - t.value[r]) / change;
        if (room < limit) {
          limit = room;
          leaving = r;
          leavesAtUpper = true;
        }
      }
    }
    if (limit == kInfinity) return Outcome::kUnbounded;
    limit = std::max(limit, 0.0);
    for (int r = 0; r < t.rows; ++r) t.value[r] -= direction * t.row(r)[entering] * limit;
    if (leaving < 0) {  // the entering column only moves to its other bound
      t.atUpper[entering] = !t.atUpper[entering];
      continue;
    }
    const double enteringValue = t.atUpper[entering] ? t.room[entering] - limit : limit;
    const int left = t.basis[leaving];
    t.isBasic[left] = false;
    t.atUpper[left] = leavesAtUpper;
    t.isBasic[entering] = true;
    t.atUpper[entering] = false;
    t.basis[leaving] = entering;
    t.value[leaving] = enteringValue;
    double* pivotRow = t.row(leaving);
    const double pivot = pivotRow[entering];
    nonzero.clear();
    for (int j = 0; j < t.columns; ++j) {
      if (pivotRow[j] == 0) continue;
      pivotRow[j] /= pivot;
      nonzero.push_back(j);
    }
    for (int r = 0; r < t.rows; ++r) {
      if (r == leaving) continue;
      double* cells = t.row(r);
      const double factor = cells[entering];
      if (factor == 0) continue;
      for (const int j : nonzero) cells[j] -= factor * pivotRow[j];
    }
    // The objective's row is pivoted like the others.
    const double factor = reduced[entering];
    for (const int j : nonzero) reduced[j] -= factor * pivotRow[j];
  }
  return Outcome::kOutOfSteps;
}

}  // namespace

int LinearProgramme::addVariable(double lower, double upper, double cost) {
  lower_.push_back(lower);
  upper_.push_back(upper);
  cost_.push_back(cost);
  return static_cast<int>(lower_.size()) - 1;
}

void LinearProgramme::addRow(const std::vector<std::pair<int, double>>& terms, Sense sense,
                             double rhs) {
  rows_.push_back(terms);
  senses_.push_back(sense);
  rhs_.push_back(rhs);
}

namespace {

// The tableau of a programme at the start: each row's slack in the basis where it meets the row
// by itself, else the row's artificial.
Tableau startingTableau(const std::vector<double>& lower, const std::vector<double>& upper,
                        const std::vector<std::vector<std::pair<int, double>>>& rowTerms,
                        const std::vector<Sense>& senses, const std::vector<double>& rhsOf) {
  Tableau t;
  t.rows = static_cast<int>(senses.size());
  const int n = static_cast<int>(lower.size());
  // Each row's right-hand side with the variables at their lower bounds, and whether the row is
  // multiplied by -1 to make it at least 0.
  std::vector<double> rhs(rhsOf);
  t.sign.assign(t.rows, 1.0);
  t.slackOf.assign(t.rows, -1);
  t.unitOf.assign(t.rows, -1);
  int columns = n;
  for (int r = 0; r < t.rows; ++r) {
    for (const auto& [variable, coefficient] : rowTerms[r]) rhs[r] -= coefficient * lower[variable];
    if (senses[r] != Sense::kEqual) t.slackOf[r] = columns++;
    if (rhs[r] < 0 || (rhs[r] == 0 && senses[r] == Sense::kAtLeast)) t.sign[r] = -1.0;
  }
  t.firstUnit = columns;
  for (int r = 0; r < t.rows; ++r) {
    const bool slackMeets =
        senses[r] != Sense::kEqual && (senses[r] == Sense::kAtMost ? 1.0 : -1.0) * t.sign[r] > 0;
    if (!slackMeets) t.unitOf[r] = columns++;
  }
  t.columns = columns;
  t.cells.assign(static_cast<std::size_t>(t.rows) * t.columns, 0.0);
  t.room.assign(t.columns, kInfinity);
  t.value.resize(t.rows);
  t.basis.resize(t.rows);
  t.atUpper.assign(t.columns, false);
  t.isBasic.assign(t.columns, false);
  for (int j = 0; j < n; ++j) t.room[j] = upper[j] - lower[j];
  for (int r = 0; r < t.rows; ++r) {
    double* row = t.row(r);
    for (const auto& [variable, coefficient] : rowTerms[r]) {
      row[variable] += t.sign[r] * coefficient;
    }
    if (t.slackOf[r] >= 0) {
      row[t.slackOf[r]] = t.sign[r] * (senses[r] == Sense::kAtMost ? 1.0 : -1.0);
    }
    t.value[r] = t.sign[r] * rhs[r];
    const int basic = t.unitOf[r] >= 0 ? t.unitOf[r] : t.slackOf[r];
    if (t.unitOf[r] >= 0) row[t.unitOf[r]] = 1.0;
    t.basis[r] = basic;
    t.isBasic[basic] = true;
  }
  return t;
}

// The first phase: the artificials each cost 1.
Outcome firstPhase(Tableau& t) {
  std::vector<double> cost(t.columns, 0.0);
  for (int r = 0; r < t.rows; ++r) {
    if (t.basis[r] >= t.firstUnit) cost[static_cast<std::size_t>(t.basis[r])] = 1.0;
  }
  std::vector<double> reduced = t.reducedCosts(cost);
  return descend(t, reduced, [&] { return t.shortfall() <= kShortfallTolerance; });
}

}  // namespace

bool LinearProgramme::feasible() const {
  for (int j = 0; j < variableCount(); ++j) {
    if (lower_[j] > upper_[j]) return false;
  }
  if (rowCount() == 0) return true;
  Tableau t = startingTableau(lower_, upper_, rows_, senses_, rhs_);
  // Out of steps: nothing proven.
  return firstPhase(t) != Outcome::kOptimal;
}

double LinearProgramme::leastCost() const { return leastCosts({cost_}).front(); }

std::vector<double> LinearProgramme::leastCosts(
    const std::vector<std::vector<double>>& costs) const {
  std::vector<double> bounds;
  // What a programme that no values of the variables meet costs, in every objective.
  std::vector<double> unmet(costs.size(), kInfinity);
  for (int j = 0; j < variableCount(); ++j) {
    if (lower_[j] > upper_[j]) return unmet;
  }
  std::vector<double> prices(rowCount(), 0.0);
  Tableau t = startingTableau(lower_, upper_, rows_, senses_, rhs_);
  const Outcome first = rowCount() == 0 ? Outcome::kStopped : firstPhase(t);
  if (first == Outcome::kOptimal) return unmet;
  // Out of steps: the prices 0, whose bound needs no basis.
  if (first != Outcome::kStopped) {
    std::transform(costs.begin(), costs.end(), std::back_inserter(bounds),
                   [&](const std::vector<double>& cost) { return boundFromPrices(cost, prices); });
    return bounds;
  }
  // The artificials left hold a trace of shortfall: they may fall, never rise.
  for (int r = 0; r < t.rows; ++r) {
    if (t.basis[r] >= t.firstUnit) t.room[static_cast<std::size_t>(t.basis[r])] = t.value[r];
  }
  // Each objective's second phase starts where the one before ended: a basis that meets the rows.
  for (const std::vector<double>& cost : costs) {
    std::vector<double> columnCost(t.columns, 0.0);
    std::copy(cost.begin(), cost.end(), columnCost.begin());
    std::vector<double> reduced = t.reducedCosts(columnCost);
    descend(t, reduced, [] { return false; });
    // A row's price (the row as multiplied) is minus the reduced cost of its unit column, or of
    // its slack over the slack's coefficient.
    for (int r = 0; r < t.rows; ++r) {
      const double slack = t.sign[r] * (senses_[r] == Sense::kAtMost ? 1.0 : -1.0);
      const double price = t.slackOf[r] >= 0
                               ? -reduced[static_cast<std::size_t>(t.slackOf[r])] * slack
                               : -reduced[static_cast<std::size_t>(t.unitOf[r])];
      prices[r] = t.sign[r] * price;
    }
    bounds.push_back(boundFromPrices(cost, prices));
  }
  return bounds;
}

double LinearProgramme::boundFromPrices(const std::vector<double>& cost,
                                        std::vector<double> prices) const {
  // For a row a.x >= b and a price p >= 0 (at most: p <= 0; equal: any p), cost.x >=
  // cost.x - p (a.x - b) on every x that meets the rows; the least of the right side over the
  // variables' bounds alone is the bound.
  for (int r = 0; r < rowCount(); ++r) {
    if (senses_[r] == Sense::kAtLeast) prices[r] = std::max(prices[r], 0.0);
    if (senses_[r] == Sense::kAtMost) prices[r] = std::min(prices[r], 0.0);
  }
  const int n = variableCount();
  std::vector<double> reduced(cost);
  std::vector<double> paidSize(n, 0.0);  // the sizes of the terms of each reduced cost
  const auto price = [&] {
    reduced = cost;
    std::fill(paidSize.begin(), paidSize.end(), 0.0);
    for (int r = 0; r < rowCount(); ++r) {
      if (prices[r] == 0) continue;
      for (const auto& [variable, coefficient] : rows_[r]) {
        reduced[variable] -= prices[r] * coefficient;
        paidSize[variable] += std::fabs(prices[r] * coefficient);
      }
    }
  };
  price();
  // A variable without an upper bound must not pay to raise: the prices are scaled towards 0,
  // where it costs what it costs, until it does not (a hair further, against the rounding).
  double scale = 1;
  for (int j = 0; j < n; ++j) {
    if (upper_[j] != kInfinity || reduced[j] >= 0) continue;
    if (cost[j] <= 0) return -kInfinity;
    scale = std::min(scale, cost[j] / (cost[j] - reduced[j]) * (1 - 1e-9));
  }
  if (scale < 1) {
    std::transform(prices.begin(), prices.end(), prices.begin(),
                   [scale](double p) { return p * scale; });
    price();
  }
  double bound = 0;
  double size = 0;
  for (int r = 0; r < rowCount(); ++r) {
    bound += prices[r] * rhs_[r];
    size += std::fabs(prices[r] * rhs_[r]);
  }
  for (int j = 0; j < n; ++j) {
    const double at = reduced[j] >= 0 ? lower_[j] : upper_[j];
    if (at == kInfinity) return -kInfinity;
    bound += reduced[j] * at;
    size += (std::fabs(cost[j]) + paidSize[j]) * std::fabs(at) + std::fabs(reduced[j] * at);
  }
  return bound - kRoundingShare * size;
}

}  // namespace ostrel

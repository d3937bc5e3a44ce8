// The first phase of the bounded simplex method on a dense tableau. Every inequality gets a slack;
// a row that its slack cannot meet at the start gets an artificial variable too, and the
// artificials' sum, the rows' total shortfall, is brought down as far as it goes. Variables sit
// at a bound or in the basis, so their upper bounds need no rows of their own; an artificial
// that leaves the basis never comes back, so its column is not kept.
#include "model/linear_feasibility.h"

#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

constexpr double kPivotTolerance = 1e-9;
constexpr double kCostTolerance = 1e-9;
// The shortfall left that counts as none: far above the rounding of a few hundred pivots, far
// below the margins the callers leave in the rows.
constexpr double kShortfallTolerance = 1e-3;

}  // namespace

int LinearFeasibility::addVariable(double lower, double upper) {
  lower_.push_back(lower);
  upper_.push_back(upper);
  return static_cast<int>(lower_.size()) - 1;
}

void LinearFeasibility::addRow(const std::vector<std::pair<int, double>>& terms, Sense sense,
                               double rhs) {
  rows_.push_back(terms);
  senses_.push_back(sense);
  rhs_.push_back(rhs);
}

bool LinearFeasibility::feasible() const {
  const int m = rowCount();
  const int n = variableCount();
  for (int j = 0; j < n; ++j) {
    if (lower_[j] > upper_[j]) return false;
  }
  if (m == 0) return true;
  // Columns: the variables shifted to start at 0, then a slack per inequality.
  const int columns =
      n + static_cast<int>(std::count_if(senses_.begin(), senses_.end(),
                                         [](Sense sense) { return sense != Sense::kEqual; }));
  constexpr int kArtificial = -1;  // the basis entry of a row an artificial holds
  std::vector<double> tableau(static_cast<std::size_t>(m) * columns, 0.0);
  std::vector<double> upper(columns, kInfinity);  // each column's bound above 0
  std::vector<double> basicValue(m);
  std::vector<int> basis(m);
  std::vector<bool> atUpper(columns, false);
  std::vector<bool> isBasic(columns, false);
  std::vector<double> reduced(columns, 0.0);  // of the shortfall, kept up to date by the pivots
  for (int j = 0; j < n; ++j) upper[j] = upper_[j] - lower_[j];
  int slack = n;
  for (int r = 0; r < m; ++r) {
    double* row = &tableau[static_cast<std::size_t>(r) * columns];
    double rhs = rhs_[r];
    for (const auto& [variable, coefficient] : rows_[r]) {
      row[variable] += coefficient;
      rhs -= coefficient * lower_[variable];
    }
    int rowSlack = -1;
    if (senses_[r] != Sense::kEqual) {
      rowSlack = slack++;
      row[rowSlack] = senses_[r] == Sense::kAtMost ? 1.0 : -1.0;
    }
    if (rhs < 0 || (rhs == 0 && rowSlack >= 0 && row[rowSlack] < 0)) {
      for (int j = 0; j < columns; ++j) row[j] = -row[j];
      rhs = -rhs;
    }
    basicValue[r] = rhs;
    if (rowSlack >= 0 && row[rowSlack] > 0) {  // the slack meets the row by itself
      basis[r] = rowSlack;
      isBasic[rowSlack] = true;
    } else {
      basis[r] = kArtificial;
      for (int j = 0; j < columns; ++j) reduced[j] -= row[j];
    }
  }
  const auto shortfall = [&] {
    double total = 0;
    for (int r = 0; r < m; ++r) {
      if (basis[r] == kArtificial) total += basicValue[r];
    }
    return total;
  };

  const int stepLimit = 50 * (m + columns);
  const int steepestSteps = 10 * (m + columns);
  for (int step = 0; step < stepLimit; ++step) {
    if (shortfall() <= kShortfallTolerance) return true;
    // The entering column: the steepest, or after many steps the first (which cannot cycle).
    int entering = -1;
    double best = 0;
    for (int j = 0; j < columns; ++j) {
      if (isBasic[j] || upper[j] == 0) continue;
      const double gain = atUpper[j] ? reduced[j] : -reduced[j];
      if (gain <= kCostTolerance) continue;
      if (entering < 0 || gain > best) {
        entering = j;
        best = gain;
        if (step >= steepestSteps) break;
      }
    }
    if (entering < 0) return false;  // the least shortfall is above zero
    const double direction = atUpper[entering] ? -1.0 : 1.0;
    double limit = upper[entering];
    int leaving = -1;
    bool leavesAtUpper = false;
    for (int r = 0; r < m; ++r) {
      const double change = -direction * tableau[static_cast<std::size_t>(r) * columns + entering];
      if (change < -kPivotTolerance) {
        const double room = basicValue[r] / -change;
        if (room < limit) {
          limit = room;
          leaving = r;
          leavesAtUpper = false;
        }
      } else if (change > kPivotTolerance && basis[r] != kArtificial &&
                 upper[basis[r]] != kInfinity) {
        const double room = (upper[basis[r]] - basicValue[r]) / change;
        if (room < limit) {
          limit = room;
          leaving = r;
          leavesAtUpper = true;
        }
      }
    }
    if (limit == kInfinity) return true;  // cannot happen in the first phase: shortfall >= 0
    limit = std::max(limit, 0.0);
    for (int r = 0; r < m; ++r) {
      basicValue[r] -= direction * tableau[static_cast<std::size_t>(r) * columns + entering] * limit;
    }
    if (leaving < 0) {  // the entering column only moves to its other bound
      atUpper[entering] = !atUpper[entering];
      continue;
    }
    const double enteringValue = atUpper[entering] ? upper[entering] - limit : limit;
    const int left = basis[leaving];
    if (left != kArtificial) {
      isBasic[left] = false;
      atUpper[left] = leavesAtUpper;
    }
    isBasic[entering] = true;
    atUpper[entering] = false;
    basis[leaving] = entering;
    basicValue[leaving] = enteringValue;
    double* pivotRow = &tableau[static_cast<std::size_t>(leaving) * columns];
    const double pivot = pivotRow[entering];
    for (int j = 0; j < columns; ++j) pivotRow[j] /= pivot;
    for (int r = 0; r < m; ++r) {
      if (r == leaving) continue;
      double* row = &tableau[static_cast<std::size_t>(r) * columns];
      const double factor = row[entering];
      if (factor == 0) continue;
      for (int j = 0; j < columns; ++j) row[j] -= factor * pivotRow[j];
    }
    // The shortfall's row is pivoted like the others (the cost an artificial that left had
    // goes with it).
    const double factor = reduced[entering];
    for (int j = 0; j < columns; ++j) reduced[j] -= factor * pivotRow[j];
  }
  return true;  // out of steps: nothing proven
}

}  // namespace ostrel

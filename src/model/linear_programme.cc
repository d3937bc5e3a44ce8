// The programmes are solved by GLPK's simplex method, each first as it is: from GLPK's standard
// basis, or, where the last programme solved on the thread had the same rows, from the basis that
// solve ended at; each objective after the first starts from the basis the one before ended at. Its
// status is only trusted for a "yes": a programme it has met is met. A "no" and every bound come
// from the prices of the rows at the basis it ends at, turned into a bound here
// (boundFromPrices), and a basis far from the least only proves less.
#include "model/linear_programme.h"

#include <glpk.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <iterator>

namespace ostrel {
namespace {

using Sense = LinearProgramme::Sense;
constexpr double kInfinity = LinearProgramme::kInfinity;

// The shortfall left that counts as none: far above the rounding of a few hundred pivots, far
// below the margins the callers leave in the rows.
constexpr double kShortfallTolerance = 1e-3;
// How far above the tolerance a shortfall proven from the basis another programme left must be
// to be taken without a fresh solve.
constexpr double kWarmProofMargin = 2;
// What the evaluation of a bound may have lost to rounding, as a share of the sum of the sizes
// of its terms: a sum of k terms in doubles errs by at most k * 2^-53 of that, and this covers
// a million terms.
constexpr double kRoundingShare = 1e-10;
// How far off 0 the reduced cost of a variable in the solver's basis may come out, as a share of
// the sizes of its terms: the rounding of the solver's solves and of its sum.
constexpr double kBasicRoundingShare = 1e-9;
// A row price this small beside the largest is the rounding of the solver's sums.
constexpr double kNoisePrice = 1e-11;
// The solver gives up after this many steps for each row and variable; its last basis still
// proves what its prices prove.
constexpr int kStepsPerLine = 50;
// The ratio test of the primal simplex: Harris's two passes, or the textbook one.
constexpr int kRatioTest = GLP_RT_HAR;

// The GLPK of one thread, kept for the thread's life: its environment (GLPK keeps one per
// thread), one problem that each programme is loaded into in turn, and the simplex parameters.
// Made and freed for each programme they cost more than many of the small solves themselves.
// Freed when the thread ends (the bound's own threads end with their work), so nothing is left
// behind; no other code of ours calls GLPK on the thread.
class ThreadGlpk {
 public:
  ThreadGlpk() {
    // Silent, even GLPK's messages before it gives up for good: the console's lines and
    // documents are ours alone.
    glp_term_out(GLP_OFF);
    problem_ = glp_create_prob();
    glp_init_smcp(&parameters_);
    parameters_.msg_lev = GLP_MSG_OFF;
    parameters_.meth = GLP_PRIMAL;
    parameters_.presolve = GLP_OFF;
    parameters_.r_test = kRatioTest;
  }
  ~ThreadGlpk() {
    glp_delete_prob(problem_);
    glp_free_env();
  }
  ThreadGlpk(const ThreadGlpk&) = delete;
  ThreadGlpk& operator=(const ThreadGlpk&) = delete;

  glp_prob* problem() const { return problem_; }

  // The problem, emptied for a new programme.
  glp_prob* emptied() {
    glp_erase_prob(problem_);
    holdsLoaded = false;
    return problem_;
  }

  // Runs GLPK's simplex method on the problem with the costs `cost` (one per variable, from the
  // first; those past its end cost nothing), from its current basis, within a number of steps.
  // A basis GLPK cannot start from (one that lost a variable, or too near singular) gives way
  // to its standard basis. Whether GLPK left a basis of this solve to read: after a failure its
  // prices are still those of the solve before, another programme's at times, and a proof from
  // them would hang on what the thread solved before.
  bool runSimplex(const std::vector<double>& cost) {
    const int columns = glp_get_num_cols(problem_);
    for (int j = 1; j <= columns; ++j) {
      glp_set_obj_coef(problem_, j, j <= static_cast<int>(cost.size()) ? cost[j - 1] : 0.0);
    }
    parameters_.it_lim = kStepsPerLine * (glp_get_num_rows(problem_) + columns);
    int failed = glp_simplex(problem_, &parameters_);
    if (failed == GLP_EBADB || failed == GLP_ESING || failed == GLP_ECOND) {
      glp_std_basis(problem_);
      failed = glp_simplex(problem_, &parameters_);
    }
    // Out of steps, GLPK still leaves the basis it reached.
    return failed == 0 || failed == GLP_EITLIM;
  }

  // The programme the problem was last loaded with, while `holdsLoaded`: a programme with the
  // same rows (their variables and coefficients) is only given its bounds and right-hand sides,
  // and solved from the basis the last solve ended at.
  LinearProgramme loaded;
  bool holdsLoaded = false;

 private:
  glp_prob* problem_ = nullptr;
  glp_smcp parameters_{};
};

// This thread's GLPK, made with its first programme.
ThreadGlpk& threadGlpk() {
  thread_local ThreadGlpk glpk;
  return glpk;
}

// Whether the basis GLPK's last solve of `problem` ended at meets every row and bound, within
// its own tolerance (far below the margins of the callers' rows): a "yes" needs no proof.
bool endedFeasible(glp_prob* problem) { return glp_get_prim_stat(problem) == GLP_FEAS; }

// The row prices of the basis `problem` ends at. A row the basis does not price comes out a
// hair off 0 (the rounding of the solver's sums), and even a hair of price on a row of a variable
// without an upper bound, which nothing else pays for, would make the bound prove nothing: such
// prices, and any GLPK has no finite value for, are taken as 0 (any prices give a bound). All are
// 0 where the last solve left no basis of its own (`solved` false, ThreadGlpk::runSimplex).
std::vector<double> rowPrices(glp_prob* problem, bool solved) {
  std::vector<double> prices(static_cast<std::size_t>(glp_get_num_rows(problem)));
  if (!solved) return prices;
  double largest = 0;
  for (std::size_t r = 0; r < prices.size(); ++r) {
    const double price = glp_get_row_dual(problem, static_cast<int>(r) + 1);
    prices[r] = std::isfinite(price) ? price : 0.0;
    largest = std::max(largest, std::fabs(prices[r]));
  }
  for (double& price : prices) {
    if (std::fabs(price) <= kNoisePrice * largest) price = 0;
  }
  return prices;
}

// Whether each of the first `count` variables of `problem` is in the basis it ends at.
std::vector<bool> basicColumns(glp_prob* problem, int count) {
  std::vector<bool> basic(static_cast<std::size_t>(count));
  for (int j = 0; j < count; ++j) basic[j] = glp_get_col_stat(problem, j + 1) == GLP_BS;
  return basic;
}

// Sets the bounds of column `j` of `problem` to `lower`..`upper` (lower finite, at most upper).
void setColumnBounds(glp_prob* problem, int j, double lower, double upper) {
  if (upper == kInfinity) {
    glp_set_col_bnds(problem, j, GLP_LO, lower, 0.0);
  } else if (lower == upper) {
    glp_set_col_bnds(problem, j, GLP_FX, lower, upper);
  } else {
    glp_set_col_bnds(problem, j, GLP_DB, lower, upper);
  }
}

// Sets the bounds of row `i` of `problem` to its sense and right-hand side.
void setRowBounds(glp_prob* problem, int i, Sense sense, double rhs) {
  if (sense == Sense::kAtLeast) glp_set_row_bnds(problem, i, GLP_LO, rhs, 0.0);
  if (sense == Sense::kAtMost) glp_set_row_bnds(problem, i, GLP_UP, 0.0, rhs);
  if (sense == Sense::kEqual) glp_set_row_bnds(problem, i, GLP_FX, rhs, rhs);
}

// Drops the columns of `problem` past the first `keep` (the shortfall variables, each in one row
// alone). One in the basis hands its place there to its row's own variable, whose column is its
// own up to the sign, so that the basis stays one GLPK can start from.
void dropColumnsPast(glp_prob* problem, int keep) {
  const int columns = glp_get_num_cols(problem);
  if (columns <= keep) return;
  std::vector<int> dropped(1);  // counted from 1
  std::vector<int> rows(static_cast<std::size_t>(glp_get_num_rows(problem)) + 1);
  std::vector<double> values(rows.size());
  for (int j = keep + 1; j <= columns; ++j) {
    dropped.push_back(j);
    if (glp_get_col_stat(problem, j) != GLP_BS) continue;
    if (glp_get_mat_col(problem, j, rows.data(), values.data()) == 1) {
      glp_set_row_stat(problem, rows[1], GLP_BS);
    }
  }
  glp_del_cols(problem, static_cast<int>(dropped.size()) - 1, dropped.data());
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

void LinearProgramme::loadInto(glp_prob* problem) const {
  const int n = variableCount();
  if (n > 0) glp_add_cols(problem, n);
  for (int j = 0; j < n; ++j) setColumnBounds(problem, j + 1, lower_[j], upper_[j]);
  if (rowCount() == 0) return;
  glp_add_rows(problem, rowCount());
  // GLPK takes each variable once in a row, and counts from 1 (its arrays' first cells unused).
  std::vector<double> merged(static_cast<std::size_t>(n) + 1, 0.0);
  std::vector<int> index(static_cast<std::size_t>(n) + 1);
  std::vector<double> value(static_cast<std::size_t>(n) + 1);
  for (int r = 0; r < rowCount(); ++r) {
    const int i = r + 1;
    setRowBounds(problem, i, senses_[r], rhs_[r]);
    for (const auto& [variable, coefficient] : rows_[r]) merged[variable + 1] += coefficient;
    int length = 0;
    for (const auto& [variable, coefficient] : rows_[r]) {
      double& sum = merged[variable + 1];
      if (sum != 0) {
        ++length;
        index[length] = variable + 1;
        value[length] = sum;
        sum = 0;
      }
    }
    glp_set_mat_row(problem, i, length, index.data(), value.data());
  }
}

glp_prob* LinearProgramme::loadedProblem() const {
  ThreadGlpk& glpk = threadGlpk();
  const LinearProgramme& last = glpk.loaded;
  if (glpk.holdsLoaded && last.variableCount() == variableCount() && last.senses_ == senses_ &&
      last.rows_ == rows_) {
    glp_prob* problem = glpk.problem();
    dropColumnsPast(problem, variableCount());
    for (int j = 0; j < variableCount(); ++j) {
      setColumnBounds(problem, j + 1, lower_[j], upper_[j]);
    }
    for (int r = 0; r < rowCount(); ++r) setRowBounds(problem, r + 1, senses_[r], rhs_[r]);
    return problem;
  }
  glp_prob* problem = glpk.emptied();
  loadInto(problem);
  glpk.loaded = *this;
  glpk.holdsLoaded = true;
  return problem;
}

LinearProgramme LinearProgramme::withShortfalls() const {
  LinearProgramme made = *this;
  std::fill(made.cost_.begin(), made.cost_.end(), 0.0);
  for (int r = 0; r < rowCount(); ++r) {
    std::vector<std::pair<int, double>>& terms = made.rows_[r];
    if (senses_[r] != Sense::kAtMost) terms.emplace_back(made.addVariable(0, kInfinity, 1), 1.0);
    if (senses_[r] != Sense::kAtLeast) terms.emplace_back(made.addVariable(0, kInfinity, 1), -1.0);
  }
  return made;
}

double LinearProgramme::leastShortfall(glp_prob* problem, const LinearProgramme& shortfalls) const {
  // The shortfall variables are added to the problem as it was loaded, after its own, in the
  // order withShortfalls() adds them, and the solve goes on from the basis the last one ended at.
  int column = glp_add_cols(problem, shortfalls.variableCount() - variableCount());
  for (int r = 0; r < rowCount(); ++r) {
    const int row[2] = {0, r + 1};
    for (const double sign : {1.0, -1.0}) {
      if (senses_[r] == (sign > 0 ? Sense::kAtMost : Sense::kAtLeast)) continue;
      const double coefficient[2] = {0, sign};
      setColumnBounds(problem, column, 0, kInfinity);
      glp_set_mat_col(problem, column, 1, row, coefficient);
      ++column;
    }
  }
  return shortfalls.solvedCostBound(problem);
}

double LinearProgramme::solvedCostBound(glp_prob* problem) const {
  const bool solved = threadGlpk().runSimplex(cost_);
  return boundFromPrices(cost_, rowPrices(problem, solved), basicColumns(problem, variableCount()));
}

bool LinearProgramme::rowAloneUnmet() const {
  // The bound of the shortfall programme with the price 1 on one row (-1 on an "at most" row)
  // and 0 on the others: the row's own shortfall at the best its variables' bounds allow.
  for (int r = 0; r < rowCount(); ++r) {
    double least = 0;
    double most = 0;
    double size = std::fabs(rhs_[r]);
    for (const auto& [variable, coefficient] : rows_[r]) {
      const double low = coefficient * (coefficient > 0 ? lower_[variable] : upper_[variable]);
      const double high = coefficient * (coefficient > 0 ? upper_[variable] : lower_[variable]);
      least += low;
      most += high;
      size += std::fabs(low) + std::fabs(high);
    }
    // An unbounded side comes out infinite (or not a number), and proves nothing.
    const double rounding = kRoundingShare * size;
    if (senses_[r] != Sense::kAtMost && rhs_[r] - most - rounding > kShortfallTolerance) {
      return true;
    }
    if (senses_[r] != Sense::kAtLeast && least - rhs_[r] - rounding > kShortfallTolerance) {
      return true;
    }
  }
  return false;
}

bool LinearProgramme::unmetProven(glp_prob* problem) const {
  const LinearProgramme shortfalls = withShortfalls();
  // Solved on from where the last solve ended, a "no" is taken only well clear of the tolerance:
  // a fresh solve that ends at the least proves as much, within far less than the margin, so
  // the answer is the one a fresh solve gives.
  const double warm = leastShortfall(problem, shortfalls);
  if (warm > kWarmProofMargin * kShortfallTolerance) return true;
  // The least shortfall itself close to 0: no basis proves more, wherever the solve started.
  if (warm != -kInfinity && glp_get_status(problem) == GLP_OPT &&
      glp_get_obj_val(problem) <= kShortfallTolerance) {
    return false;
  }
  // Nothing proven, the solve having stopped short of the least or its prices proving less than
  // it: the shortfall programme is solved again afresh, from GLPK's standard basis, so that the
  // answer does not hang on the programmes the thread solved before.
  problem = threadGlpk().emptied();
  shortfalls.loadInto(problem);
  return shortfalls.solvedCostBound(problem) > kShortfallTolerance;
}

bool LinearProgramme::feasible() const {
  for (int j = 0; j < variableCount(); ++j) {
    if (lower_[j] > upper_[j]) return false;
  }
  if (rowCount() == 0) return true;
  if (rowAloneUnmet()) return false;
  glp_prob* problem = loadedProblem();
  threadGlpk().runSimplex({});
  return endedFeasible(problem) || !unmetProven(problem);
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
  if (rowCount() == 0) {  // the prices 0, whose bound needs no basis
    const std::vector<double> none;
    std::transform(
        costs.begin(), costs.end(), std::back_inserter(bounds),
        [&](const std::vector<double>& cost) { return boundFromPrices(cost, none, {}); });
    return bounds;
  }
  if (costs.empty()) return bounds;
  if (rowAloneUnmet()) return unmet;
  // Loaded afresh, and solved from GLPK's standard basis: a basis left by another programme
  // may end at other prices, and the bounds of the plans are the same on every run and thread.
  ThreadGlpk& glpk = threadGlpk();
  glp_prob* problem = glpk.emptied();
  loadInto(problem);
  bool solved = glpk.runSimplex(costs.front());
  if (!endedFeasible(problem)) {
    // Not met as it is (or not within the steps): a "no" is proven by the least shortfall.
    if (unmetProven(problem)) return unmet;
    // The shortfalls left hold a trace at most: they may fall, never rise, and cost nothing
    // from here on.
    const int columns = glp_get_num_cols(problem);
    for (int j = variableCount() + 1; j <= columns; ++j) {
      setColumnBounds(problem, j, 0, std::max(glp_get_col_prim(problem, j), 0.0));
    }
    solved = glpk.runSimplex(costs.front());
  }
  // The reduced costs are taken as they come here: a variable that may grow without end and
  // comes out a hair below 0 costs something in every objective the callers give, and the prices
  // are scaled away from it soundly; only the shortfalls' proof, whose variables cost nothing,
  // counts a basic one's hair as 0. Each objective starts from the basis the one before ended at.
  for (std::size_t k = 0; k < costs.size(); ++k) {
    if (k > 0) solved = glpk.runSimplex(costs[k]);
    bounds.push_back(boundFromPrices(costs[k], rowPrices(problem, solved), {}));
  }
  return bounds;
}

double LinearProgramme::boundFromPrices(const std::vector<double>& cost, std::vector<double> prices,
                                        const std::vector<bool>& basic) const {
  prices.resize(static_cast<std::size_t>(rowCount()), 0.0);
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
  // A variable without an upper bound in the solver's last basis has the reduced cost 0 at the
  // basis's prices in exact numbers, and a hair off 0 in doubles: within the rounding of its own
  // sum it counts as 0, else a programme whose variables can all grow together proves nothing.
  const auto settle = [&] {
    for (std::size_t j = 0; j < basic.size(); ++j) {
      const double rounding = kBasicRoundingShare * (std::fabs(cost[j]) + paidSize[j]);
      if (basic[j] && upper_[j] == kInfinity && std::fabs(reduced[j]) <= rounding) reduced[j] = 0;
    }
  };
  settle();
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
    settle();
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

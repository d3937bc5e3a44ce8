// Whether a small system of linear inequalities over bounded real variables has a solution: the
// first phase of the simplex method, dense, with the variables' bounds kept apart from the rows.
// It knows nothing of mags; the form proof (form_proof.h) asks it whether the bar points of some
// mix of feedings can bring a mag's stats where a form needs them. A "no" must be sure, so the
// callers leave a margin in every row they give, and the solver answers "no" only for a clear
// shortfall; a solver that runs out of steps answers "yes" (nothing proven).
#pragma once

#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

namespace ostrel {

class LinearFeasibility {
 public:
  static constexpr double kInfinity = std::numeric_limits<double>::infinity();
  enum class Sense { kAtMost, kAtLeast, kEqual };

  // A new variable between `lower` (finite) and `upper`; returns its index.
  int addVariable(double lower, double upper = kInfinity);

  // The row sum(coefficient * variable) `sense` `rhs`, its terms as (variable, coefficient).
  void addRow(const std::vector<std::pair<int, double>>& terms, Sense sense, double rhs);

  // Whether some values within the bounds meet every row; false only when the least total
  // shortfall over the rows is clearly above zero (a thousandth), so a system that misses by
  // less counts as met.
  bool feasible() const;

  int variableCount() const { return static_cast<int>(lower_.size()); }
  int rowCount() const { return static_cast<int>(senses_.size()); }

 private:
  std::vector<double> lower_;
  std::vector<double> upper_;
  std::vector<std::vector<std::pair<int, double>>> rows_;
  std::vector<Sense> senses_;
  std::vector<double> rhs_;
};

}  // namespace ostrel

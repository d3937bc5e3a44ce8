// A small linear programme over bounded real variables: whether its rows can all be met, and a
// proven lower bound on the least cost of meeting them. The simplex method on a dense tableau,
// the variables' bounds kept apart from the rows. It knows nothing of mags; the form proof and
// the plan bounds (form_routes.h) ask it about the bar points that mixes of feedings move.
//
// Both answers must be sure. A "no" to feasible() comes only for a clear shortfall: the callers
// leave a margin in every row they give, and a solver that runs out of steps answers "yes"
// (nothing proven). leastCost() never rests on the pivots being exact: the prices of the rows
// that the last basis gives are turned into a bound by weak duality, evaluated afresh on the rows
// as given, with the rounding of that evaluation taken off.
#pragma once

#include <limits>
#include <utility>
#include <vector>

namespace ostrel {

class LinearProgramme {
 public:
  static constexpr double kInfinity = std::numeric_limits<double>::infinity();
  enum class Sense { kAtMost, kAtLeast, kEqual };

  // A new variable between `lower` (finite) and `upper`, that costs `cost` a unit; returns its
  // index.
  int addVariable(double lower, double upper = kInfinity, double cost = 0);

  // The row sum(coefficient * variable) `sense` `rhs`, its terms as (variable, coefficient).
  void addRow(const std::vector<std::pair<int, double>>& terms, Sense sense, double rhs);

  // Whether some values within the bounds meet every row; false only when the least total
  // shortfall over the rows is clearly above zero (a thousandth), so a system that misses by
  // less counts as met.
  bool feasible() const;

  // At most the least sum(cost * variable) over the values that meet every row: kInfinity where
  // feasible() is false, and -kInfinity where nothing can be proven (a variable without an upper
  // bound that pays to raise without end). Close to the least itself once the simplex ends.
  double leastCost() const;

  // leastCost() for each of `costs` (a cost per variable each) in turn, from one first phase.
  std::vector<double> leastCosts(const std::vector<std::vector<double>>& costs) const;

  int variableCount() const { return static_cast<int>(lower_.size()); }
  int rowCount() const { return static_cast<int>(senses_.size()); }

 private:
  // The bound on the least of sum(cost * variable) that the row prices `prices` prove (weak
  // duality), prices of the wrong sign for their rows taken as zero.
  double boundFromPrices(const std::vector<double>& cost, std::vector<double> prices) const;

  std::vector<double> lower_;
  std::vector<double> upper_;
  std::vector<double> cost_;
  std::vector<std::vector<std::pair<int, double>>> rows_;
  std::vector<Sense> senses_;
  std::vector<double> rhs_;
};

}  // namespace ostrel

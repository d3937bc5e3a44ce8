// A small linear programme over bounded real variables: whether its rows can all be met, and a
// proven lower bound on the least cost of meeting them. GLPK's simplex method solves it; its
// answers are taken as a guess, never as proof. It knows nothing of mags; the form proof and the
// plan bounds (form_routes.h) ask it about the bar points that mixes of feedings move.
//
// Both answers must be sure. A "no" to feasible() comes only for a clear shortfall: the callers
// leave a margin in every row they give, and a solver that gives up answers "yes" (nothing
// proven). Neither answer rests on the solver's pivots being exact: the prices of the rows that
// its last basis gives are turned into a bound by weak duality, evaluated afresh on the rows as
// given, with the rounding of that evaluation taken off; feasible() proves so the least total
// shortfall of the rows, in the same programme with a shortfall variable per row side.
#pragma once

#include <limits>
#include <utility>
#include <vector>

struct glp_prob;

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
  // bound that pays to raise without end). Close to the least itself where the solver ends.
  double leastCost() const;

  // leastCost() for each of `costs` (a cost per variable each) in turn, from one first phase.
  std::vector<double> leastCosts(const std::vector<std::vector<double>>& costs) const;

  int variableCount() const { return static_cast<int>(lower_.size()); }
  int rowCount() const { return static_cast<int>(senses_.size()); }

 private:
  // This programme with a variable per row side that makes up the row's shortfall (costing 1 a
  // unit, the others nothing), so that its rows can always be met.
  LinearProgramme withShortfalls() const;

  // A proven lower bound on the least total shortfall of the rows: `shortfalls` (this
  // programme's own withShortfalls()) solved in `problem`, where this programme was loaded and
  // solved last; the problem is left with the shortfall variables added, at its last basis.
  double leastShortfall(glp_prob* problem, const LinearProgramme& shortfalls) const;

  // The bound on this programme's least cost that GLPK's solve of `problem`, which holds it,
  // proves from the basis it ends at (its variables' own costs; the basis counted for the
  // variables without an upper bound, as in boundFromPrices).
  double solvedCostBound(glp_prob* problem) const;

  // Whether one row alone clearly cannot be met within the variables' bounds: a "no" that needs
  // no solve.
  bool rowAloneUnmet() const;

  // Whether the least total shortfall of the rows is proven clearly above 0, this programme
  // loaded in `problem` and GLPK having found no values that meet it.
  bool unmetProven(glp_prob* problem) const;

  // This thread's GLPK problem with this programme in it: only its bounds and right-hand sides
  // set where the programme solved last on the thread has the same rows, the whole programme
  // loaded afresh where not.
  glp_prob* loadedProblem() const;

  // Puts the variables, their bounds and the rows into the empty GLPK problem `problem`.
  void loadInto(glp_prob* problem) const;

  // The bound on the least of sum(cost * variable) that the row prices `prices` prove (weak
  // duality), prices of the wrong sign for their rows taken as zero; `basic` tells which
  // variables the basis that gave the prices holds (none where it is empty).
  double boundFromPrices(const std::vector<double>& cost, std::vector<double> prices,
                         const std::vector<bool>& basic) const;

  std::vector<double> lower_;
  std::vector<double> upper_;
  std::vector<double> cost_;
  std::vector<std::vector<std::pair<int, double>>> rows_;
  std::vector<Sense> senses_;
  std::vector<double> rhs_;
};

}  // namespace ostrel

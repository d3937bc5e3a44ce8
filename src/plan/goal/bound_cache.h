// The bounds that the searches of one request have made, kept for the searches after them and the
// one beside them on the other thread. A bound is the corners of up to 16 covering programmes, each
// found by trying every choice of four of its constraints, and the searches of a request need
// mostly the same ones: the cheapest plan's five passes, the shortest plan's ten beams, a price's
// five passes. A bound is the same whoever makes it, so sharing them changes no plan.
#pragma once

#include <mutex>
#include <utility>
#include <vector>

#include "plan/goal/cost_bound.h"

namespace ostrel {

// What a bound or ranking guide is made from: the arguments of makeCostBound or makeRankingGuide.
struct BoundRecipe {
  TableSet tables = 0;
  ItemCosts costs{};
  bool guide = false;  // makeRankingGuide, with the next three; else makeCostBound, with `room`
  bool countLosses = false;
  double weight = 1.0;
  unsigned mayBeShort = 0;
  RoomCount room = RoomCount::kNot;

  bool operator==(const BoundRecipe&) const = default;
};

class BoundCache {
 public:
  // The bound of `recipe`: the one made before, or made now (its work shared out by `runBoth`)
  // and kept.
  CostBound boundOf(const BoundRecipe& recipe, const RunBoth& runBoth);

 private:
  std::mutex mutex_;  // the shortest plan's beams run two at a time
  std::vector<std::pair<BoundRecipe, CostBound>> made_;
};

}  // namespace ostrel

// The bound cache: looked up under its lock, bounds made outside it.
#include "plan/goal/bound_cache.h"

#include <algorithm>

namespace ostrel {

CostBound BoundCache::boundOf(const BoundRecipe& recipe, const RunBoth& runBoth) {
  const auto sameRecipe = [&recipe](const auto& made) { return made.first == recipe; };
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto found = std::find_if(made_.begin(), made_.end(), sameRecipe);
    if (found != made_.end()) return found->second;
  }
  // Two searches may make the same bound at once: the same corners either way, kept once.
  CostBound bound = recipe.guide ? makeRankingGuide(recipe.tables, recipe.costs, recipe.countLosses,
                                                    recipe.weight, recipe.mayBeShort, runBoth)
                                 : makeCostBound(recipe.tables, recipe.costs, runBoth, recipe.room);
  const std::lock_guard<std::mutex> lock(mutex_);
  if (std::none_of(made_.begin(), made_.end(), sameRecipe)) made_.emplace_back(recipe, bound);
  return bound;
}

}  // namespace ostrel

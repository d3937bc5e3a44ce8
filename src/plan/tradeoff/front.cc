// The front of a trade-off and its gaps (front.h).
#include "plan/tradeoff/front.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

#include "plan/goal/goal.h"

namespace ostrel {
bool follows(const Plan& earlier, const Plan& later) {
  return later.feedCount() > earlier.feedCount() &&
         measureOf(later).meseta < measureOf(earlier).meseta;
}

std::vector<Plan> frontBetween(const Plan& shortest, const Plan& cheapest, std::vector<Plan>& met) {
  if (!follows(shortest, cheapest)) {
    const bool cheapestBest = cheapest.feedCount() <= shortest.feedCount() &&
                              measureOf(cheapest).meseta <= measureOf(shortest).meseta;
    return {cheapestBest ? cheapest : shortest};
  }
  // The shorter first, then the cheaper; of equal plans the one met first.
  std::stable_sort(met.begin(), met.end(), [](const Plan& a, const Plan& b) {
    return a.feedCount() != b.feedCount() ? a.feedCount() < b.feedCount()
                                          : measureOf(a).meseta < measureOf(b).meseta;
  });
  std::vector<Plan> front = {shortest};
  const Plan* last = &shortest;  // the last point taken
  std::copy_if(met.begin(), met.end(), std::back_inserter(front), [&](const Plan& plan) {
    if (!follows(*last, plan) || !follows(plan, cheapest)) return false;
    last = &plan;
    return true;
  });
  front.push_back(cheapest);
  return front;
}

double slopeBetween(const Plan& shorter, const Plan& longer) {
  return static_cast<double>(measureOf(shorter).meseta - measureOf(longer).meseta) /
         static_cast<double>(longer.feedCount() - shorter.feedCount());
}

std::vector<FeedingPrice> gapPrices(const std::vector<Plan>& front) {
  const auto width = [&](std::size_t i) { return front[i + 1].feedCount() - front[i].feedCount(); };
  const double least = kLeastGapShare * (front.back().feedCount() - front.front().feedCount());
  std::vector<std::size_t> gaps;  // each the index of the gap's shorter end
  for (std::size_t i = 0; i + 1 < front.size(); ++i) {
    if (width(i) >= least) gaps.push_back(i);
  }
  const std::size_t kept = std::min(gaps.size(), kGapsFilled);
  std::partial_sort(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(kept), gaps.end(),
                    [&](std::size_t a, std::size_t b) {
                      return width(a) != width(b) ? width(a) > width(b) : a < b;
                    });
  gaps.resize(kept);
  std::vector<FeedingPrice> prices(gaps.size());
  std::transform(gaps.begin(), gaps.end(), prices.begin(), [&](std::size_t i) {
    return FeedingPrice{slopeBetween(front[i], front[i + 1]), front[i + 1].feedCount()};
  });
  return prices;
}

}  // namespace ostrel

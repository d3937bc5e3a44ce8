// The front of the trade-off between feedings and meseta, and the plans picked from it.
#include "plan/tradeoff/tradeoffs.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <limits>
#include <numeric>
#include <string>

#include "model/form_rules.h"
#include "model/tables.h"
#include "plan/goal/search_schedule.h"
#include "plan/goal/two_threads.h"

namespace ostrel {
namespace {

std::int64_t mesetaOf(const Plan& plan) { return measureOf(plan).meseta; }

// Whether `later` belongs after `earlier` on a front: longer and cheaper.
bool follows(const Plan& earlier, const Plan& later) {
  return later.feedCount() > earlier.feedCount() && mesetaOf(later) < mesetaOf(earlier);
}

// The front from `shortest` to `cheapest` out of `met`: between the two, every plan cheaper than
// all shorter ones; the two goals' plans themselves are its ends.
std::vector<Plan> frontBetween(const Plan& shortest, const Plan& cheapest, std::vector<Plan> met) {
  if (!follows(shortest, cheapest)) {
    // One plan is as good as the other in both: it alone is the front.
    const bool cheapestBest =
        cheapest.feedCount() <= shortest.feedCount() && mesetaOf(cheapest) <= mesetaOf(shortest);
    return {cheapestBest ? cheapest : shortest};
  }
  // The shorter first, then the cheaper; of equal plans the one met first.
  std::stable_sort(met.begin(), met.end(), [](const Plan& a, const Plan& b) {
    return a.feedCount() != b.feedCount() ? a.feedCount() < b.feedCount()
                                          : mesetaOf(a) < mesetaOf(b);
  });
  std::vector<Plan> front = {shortest};
  for (Plan& plan : met) {
    if (follows(front.back(), plan) && follows(plan, cheapest)) front.push_back(std::move(plan));
  }
  front.push_back(cheapest);
  return front;
}

// The trade-off's priced searches (search_schedule.h), which fill the range between the shortest
// and the cheapest plan; returns the feedings they simulated.
std::uint64_t searchWithPricedFeedings(const PlayerRequest& request, const MagState& start,
                                       const GoalOptions& options, const Plan& shortest,
                                       const Plan& cheapest, std::vector<Plan>& met) {
  const double slope = static_cast<double>(mesetaOf(shortest) - mesetaOf(cheapest)) /
                       static_cast<double>(cheapest.feedCount() - shortest.feedCount());
  const std::vector<ScheduledSearch> searches =
      pricedSearches(options.beamWidth, options.form, slope, cheapest.feedCount());
  const StepRunning running{options.threads, options.lentThread, nullptr, &met};
  const std::vector<SearchResult> searched = runSearches(request, start, searches, running);
  return std::accumulate(
      searched.begin(), searched.end(), std::uint64_t{0},
      [](std::uint64_t sum, const SearchResult& each) { return sum + each.feedingsTried; });
}

std::string feedingsText(std::int64_t feedings) {
  return std::to_string(feedings) + (feedings == 1 ? " feeding" : " feedings");
}

std::string pointText(const Plan& plan) {
  return feedingsText(plan.feedCount()) + " for " + std::to_string(mesetaOf(plan)) + " meseta";
}

}  // namespace

Tradeoffs findTradeoffs(const PlayerRequest& request, const MagState& start,
                        const GoalOptions& options, const SearchCounters& counters) {
  Tradeoffs found;
  GoalOptions search = options;
  search.everyForm = false;
  // The two goals' searches run side by side, each on a thread of its own, and the one done first
  // lends its thread to the other: one after the other on both threads, the cheapest plan's
  // passes, which make their layers in two halves, left the two threads idle a third of the
  // time. The goal shown in the progress runs on the calling thread. Each meets its plans into a
  // list of its own, the shortest plan's first, as with one thread.
  const bool sideBySide = options.threads >= 2;
  const Goal shown = options.goal == Goal::kFewest ? Goal::kFewest : Goal::kCheapest;
  const Goal goals[2] = {shown, otherGoal(shown)};
  std::vector<Plan> metBy[2];
  PartHandoff spare;
  const std::function<void(int)> searchGoal = [&](int part) {
    GoalOptions goalSearch = search;
    goalSearch.goal = goals[part];
    goalSearch.progress = goals[part] == options.goal ? options.progress : nullptr;
    goalSearch.metPlans = &metBy[goals[part] == Goal::kFewest ? 0 : 1];
    // One bound serves both goals: the shown goal's search proves it.
    goalSearch.bound = options.bound && part == 0;
    if (sideBySide) {
      goalSearch.threads = 1;
      goalSearch.lentThread = &spare;
    }
    (goals[part] == Goal::kFewest ? found.fewest : found.cheapest) =
        planForGoal(request, start, goalSearch, counters);
  };
  if (sideBySide) {
    runLendingWhenDone(searchGoal, spare);
  } else {
    // With one thread, the shortest plan first, as always.
    const int fewestPart = goals[0] == Goal::kFewest ? 0 : 1;
    searchGoal(fewestPart);
    searchGoal(1 - fewestPart);
  }
  (goals[1] == Goal::kFewest ? found.fewest : found.cheapest).bound =
      (goals[0] == Goal::kFewest ? found.fewest : found.cheapest).bound;
  std::vector<Plan> met = std::move(metBy[0]);
  std::move(metBy[1].begin(), metBy[1].end(), std::back_inserter(met));
  const GoalResult& fewest = found.fewest;
  const GoalResult& cheapest = found.cheapest;
  found.feedingsTried = fewest.feedingsTried + cheapest.feedingsTried;
  const bool shortestFound = fewest.outcome == GoalOutcome::kFound;
  const bool cheapestFound = cheapest.outcome == GoalOutcome::kFound;
  if (!shortestFound && !cheapestFound) return found;
  if (fewest.first && endsAsAsked(*fewest.first, options.form)) met.push_back(*fewest.first);
  const Plan& shortest = shortestFound ? fewest.plan : cheapest.plan;
  const Plan& cheapestPlan = cheapestFound ? cheapest.plan : fewest.plan;
  if (follows(shortest, cheapestPlan)) {
    found.feedingsTried +=
        searchWithPricedFeedings(request, start, search, shortest, cheapestPlan, met);
  }
  found.front = frontBetween(shortest, cheapestPlan, std::move(met));
  return found;
}

const Plan* planWithin(const std::vector<Plan>& front, Goal goal, const Budget& budget) {
  // Meseta falls along the front: the cheapest within is the last, the shortest the first.
  const auto within = [&](const Plan& plan) { return budget.allows(plan); };
  if (goal == Goal::kCheapest) {
    const auto last = std::find_if(front.rbegin(), front.rend(), within);
    return last == front.rend() ? nullptr : &*last;
  }
  const auto first = std::find_if(front.begin(), front.end(), within);
  return first == front.end() ? nullptr : &*first;
}

std::vector<Plan> nearestToBudget(const std::vector<Plan>& front, const Budget& budget) {
  if (front.empty()) return {};
  Budget feedingsOnly;
  feedingsOnly.maxFeedings = budget.maxFeedings;
  Budget mesetaOnly;
  mesetaOnly.maxMeseta = budget.maxMeseta;
  std::vector<const Plan*> nearest;
  if (budget.maxFeedings) {
    const Plan* plan = planWithin(front, Goal::kCheapest, feedingsOnly);
    nearest.push_back(plan != nullptr ? plan : &front.front());
  }
  if (budget.maxMeseta) {
    const Plan* plan = planWithin(front, Goal::kFewest, mesetaOnly);
    plan = plan != nullptr ? plan : &front.back();
    if (nearest.empty() || nearest.front() != plan) nearest.push_back(plan);
  }
  std::vector<Plan> plans(nearest.size());
  std::transform(nearest.begin(), nearest.end(), plans.begin(),
                 [](const Plan* plan) { return *plan; });
  return plans;
}

std::string notABudgetText(const char* name, const std::string& given, std::int32_t least) {
  return std::string(name) + " '" + given + "': not a budget; allowed: a whole number " +
         std::to_string(least) + ".." + std::to_string(std::numeric_limits<std::int32_t>::max());
}

std::string overBudgetText(const Budget& budget, const std::vector<Plan>& nearest,
                           std::optional<MagType> form) {
  std::string text = "no plan ";
  if (form) text += std::string("ending as ") + kMagTypeNames[*form] + " ";
  text += "found within ";
  if (budget.maxFeedings) text += feedingsText(*budget.maxFeedings);
  if (budget.maxFeedings && budget.maxMeseta) text += " and ";
  if (budget.maxMeseta) text += std::to_string(*budget.maxMeseta) + " meseta";
  text += "; the nearest found: ";
  for (std::size_t i = 0; i < nearest.size(); ++i) {
    text += (i == 0 ? "" : ", ") + pointText(nearest[i]);
  }
  return text;
}

std::vector<const Plan*> spreadPoints(const std::vector<Plan>& front, std::size_t count) {
  std::vector<const Plan*> points;
  if (front.size() <= count) {
    points.resize(front.size());
    std::transform(front.begin(), front.end(), points.begin(),
                   [](const Plan& plan) { return &plan; });
    return points;
  }
  // The point nearest to each of `count` feedings evenly spread from the first to the last (the
  // shorter of two as near), each taken once: where the front has a gap, fewer points.
  const double first = front.front().feedCount();
  const double span = front.back().feedCount() - first;
  std::size_t taken = 0;  // the points before this one are taken or passed over
  for (std::size_t k = 0; k < count; ++k) {
    const double wanted = first + span * static_cast<double>(k) / static_cast<double>(count - 1);
    std::size_t best = 0;
    for (std::size_t i = 1; i < front.size(); ++i) {
      const double distance = std::abs(front[i].feedCount() - wanted);
      if (distance < std::abs(front[best].feedCount() - wanted)) best = i;
    }
    if (k > 0 && best < taken) continue;
    points.push_back(&front[best]);
    taken = best + 1;
  }
  if (points.back() != &front.back()) points.push_back(&front.back());
  return points;
}

}  // namespace ostrel

// The trade-off: the searches that meet its plans (front.h makes the front of them), and the
// plans a budget picks from that front.
#include "plan/tradeoff/tradeoffs.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <iterator>
#include <limits>
#include <numeric>
#include <optional>
#include <string>

#include "model/form_rules.h"
#include "model/tables.h"
#include "plan/goal/estimate_store.h"
#include "plan/goal/search_schedule.h"
#include "plan/goal/two_threads.h"
#include "plan/tradeoff/front.h"

namespace ostrel {
namespace {

std::int64_t mesetaOf(const Plan& plan) { return measureOf(plan).meseta; }

// Runs the searches that put each of `prices` on every feeding, adding the plans they meet to
// `met`; returns the feedings they simulated.
std::uint64_t searchPriced(const PlayerRequest& request, const MagState& start,
                           const GoalOptions& options, const std::vector<FeedingPrice>& prices,
                           std::vector<Plan>& met) {
  const std::vector<ScheduledSearch> searches =
      pricedSearches(options.beamWidth, options.form, prices);
  const StepRunning running{options.threads, options.lentThread, options.twoThreads, nullptr, &met,
                            options.estimates};
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
  // The two goals and the priced searches share their estimates: many are the same.
  EstimateStore estimates;
  if (search.estimates == nullptr) search.estimates = &estimates;
  // The forms ruled out are the same for both goals: proven once, here.
  std::optional<FormsRuled> ruled;
  if (search.ruled == nullptr) search.ruled = &ruled.emplace(ruleForms(request, start, search));
  // The two goals' searches run side by side, each on a thread of its own, and the one done first
  // lends its thread to the other: one after the other on both threads, the cheapest plan's
  // passes, which make their layers in two halves, left the two threads idle a third of the
  // time. The goal shown in the progress runs on the calling thread, and the other after it there
  // too where the second thread does not come in time (a busy machine). Each meets its plans into
  // a list of its own, the shortest plan's first, as with one thread.
  const bool sideBySide = search.threads >= 2;
  // The second thread, made once for both goals and the priced searches.
  std::optional<TwoThreads> ownThreads;
  if (sideBySide && search.twoThreads == nullptr) {
    search.twoThreads = &ownThreads.emplace(true, options.oneThreadWhenBusy);
  }
  if (!sideBySide) search.twoThreads = nullptr;
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
      goalSearch.twoThreads = nullptr;
    }
    (goals[part] == Goal::kFewest ? found.fewest : found.cheapest) =
        planForGoal(request, start, goalSearch, counters);
  };
  if (sideBySide) {
    runLendingWhenDone(searchGoal, spare, *search.twoThreads);
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
  if (fewest.first) met.push_back(*fewest.first);
  const Plan& shortest = shortestFound ? fewest.plan : cheapest.plan;
  const Plan& cheapestPlan = cheapestFound ? cheapest.plan : fewest.plan;
  // The searches for other forms than asked (when the form is missed) meet plans of those too.
  const auto notAsAsked = [&](const Plan& plan) { return !endsAsAsked(plan, options.form); };
  if (follows(shortest, cheapestPlan)) {
    // The priced searches fill the range between the ends; then those at the slopes of the gaps
    // they left fill those. The plans met stay for the final front.
    const std::vector<FeedingPrice> spread =
        spreadPrices(slopeBetween(shortest, cheapestPlan), cheapestPlan.feedCount());
    found.feedingsTried += searchPriced(request, start, search, spread, met);
    std::erase_if(met, notAsAsked);
    const std::vector<FeedingPrice> gaps = gapPrices(frontBetween(shortest, cheapestPlan, met));
    if (!gaps.empty()) found.feedingsTried += searchPriced(request, start, search, gaps, met);
  }
  std::erase_if(met, notAsAsked);
  found.front = frontBetween(shortest, cheapestPlan, met);
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

}  // namespace ostrel

// Plans with a goal: the first-found plan and the beam searches as candidates, and the best of
// them for the goal, per final form and overall.
#include <algorithm>
#include <iterator>
#include <vector>

#include "plan/first_found/search.h"
#include "plan/goal/beam_search.h"
#include "plan/goal/goal.h"
#include "plan/goal/two_threads.h"

namespace ostrel {
namespace {

// How far the beam searches look, in feedings. A known plan of n feedings leaves room for
// cheaper plans that are twice as long; without one, the search stops at a fixed depth, well
// beyond the 2,000 feedings that the longest plans found for a new mag to level 200 take.
std::int32_t feedingsToSearch(const std::optional<Plan>& first) {
  constexpr std::int32_t kWithoutPlan = 3000;
  return first ? 2 * first->feedCount() + 200 : kWithoutPlan;
}

// The beam widths the shortest plan is searched with: the option's, and two narrower ones (an
// eighth and a sixty-fourth of it, at least 4) when they are narrower.
std::vector<std::int32_t> fewestWidths(std::int32_t width) {
  constexpr std::int32_t kNarrowest = 4;
  std::vector<std::int32_t> widths = {width};
  const std::int32_t eighth = std::max(width / 8, kNarrowest);
  const std::int32_t sixtyFourth = std::max(width / 64, kNarrowest);
  if (eighth < width) widths.push_back(eighth);
  if (sixtyFourth < widths.back()) widths.push_back(sixtyFourth);
  return widths;
}

// Takes `plan` as the best of its form when it beats the one held.
void offer(GoalResult& result, Goal goal, const Plan& plan) {
  keepBetter(goal, plan, result.forms[plan.reached.type].best);
}

bool fitsTheForm(const Plan& plan, const std::optional<MagType>& form) {
  return !form || plan.reached.type == *form;
}

// Notes in `result` why the rules exclude each form; true when they exclude the wanted one.
bool wantedFormExcluded(const PlayerRequest& request, const MagState& start,
                        const GoalOptions& options, GoalResult& result) {
  const auto exclusions = excludedForms(request, start);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    result.forms[type].exclusion = exclusions[type];
  }
  if (!options.form || exclusions[*options.form].kind == ExclusionKind::kNone) return false;
  result.outcome = GoalOutcome::kExcluded;
  result.exclusion = exclusions[*options.form];
  return true;
}

// The first-found plan, searched as the dialogue does (its node count carries on from the
// caller's, on a copy), but silently.
std::optional<Plan> firstFoundPlan(const PlayerRequest& request, const MagState& start,
                                   const GoalOptions& options, const SearchCounters& counters) {
  SearchCounters plain = counters;
  SearchOptions quiet = options.firstSearch;
  quiet.quiet = true;
  Plan found;
  if (!findFirstPlan(request, plain, start, Console{}, found, quiet)) return std::nullopt;
  return found;
}

// The beam searches a goal runs. The cheapest plan runs one search (itself three narrower passes
// with rankings of their own, kCheapestPasses in beam_search.cc), its layers grown on both
// threads. The shortest plan runs two rankings, which win on different targets, each also with
// narrow beams after the wide one: the shortest plans are found by luck as much as by width (a
// beam of 8 found 650 feedings where one of 500 found 763).
std::vector<BeamOptions> beamSearchesFor(const GoalOptions& options,
                                         const std::optional<Plan>& first) {
  BeamOptions beam;
  beam.goal = options.goal;
  beam.width = options.beamWidth;
  beam.form = options.form;
  beam.everyForm = options.everyForm;
  beam.maxFeedings = feedingsToSearch(first);
  beam.known = first && fitsTheForm(*first, options.form) ? &*first : nullptr;
  beam.progress = options.progress;
  std::vector<BeamOptions> searches;
  if (options.goal == Goal::kCheapest) {
    searches.push_back(beam);
    searches.back().threads = options.threads;
    return searches;
  }
  for (const std::int32_t width : fewestWidths(options.beamWidth)) {
    for (const Ranking ranking : {Ranking::kCurrentTable, Ranking::kReachableTables}) {
      searches.push_back(beam);
      searches.back().ranking = ranking;
      searches.back().width = width;
      searches.back().threads = 1;
    }
  }
  return searches;
}

// Runs the searches; the shortest plan's, each on one thread, two at a time when there are two
// threads. Each search gives the same plans whatever the threads, and the results keep the
// searches' order.
std::vector<BeamResult> runSearches(const PlayerRequest& request, const MagState& start,
                                    const std::vector<BeamOptions>& searches,
                                    const GoalOptions& options) {
  std::vector<BeamResult> beams(searches.size());
  TwoThreads threads(options.goal == Goal::kFewest && options.threads >= 2);
  const auto step = static_cast<std::size_t>(threads.count());
  const auto runShare = [&](int share) {
    for (auto i = static_cast<std::size_t>(share); i < searches.size(); i += step) {
      beams[i] = beamSearch(request, start, searches[i]);
    }
  };
  if (step == 2) {
    threads.runBoth(runShare);
  } else {
    runShare(0);
  }
  return beams;
}

// The goal's plan among the best of every form: for the first goal, the first-found plan alone.
const Plan* chosenPlan(const GoalResult& result, const GoalOptions& options, Goal measure) {
  if (options.goal == Goal::kFirst) {
    return result.first && fitsTheForm(*result.first, options.form) ? &*result.first : nullptr;
  }
  const Plan* best = nullptr;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const std::optional<Plan>& plan = result.forms[type].best;
    if (!plan || (options.form && *options.form != type)) continue;
    if (best == nullptr || planScore(measure, *plan) < planScore(measure, *best)) best = &*plan;
  }
  return best;
}

}  // namespace

GoalResult planForGoal(const PlayerRequest& request, const MagState& start,
                       const GoalOptions& options, const SearchCounters& counters) {
  GoalResult result;
  if (wantedFormExcluded(request, start, options, result)) return result;
  result.first = firstFoundPlan(request, start, options, counters);
  // The first plan ranks as the shortest would, which is how it is compared in the first goal.
  const Goal measure = options.goal == Goal::kFirst ? Goal::kFewest : options.goal;
  if (result.first) {
    offer(result, measure, *result.first);
    if (options.progress != nullptr) {
      options.progress->best.store(planScore(measure, *result.first));
    }
  }
  if (options.goal != Goal::kFirst) {
    std::vector<BeamOptions> searches = beamSearchesFor(options, result.first);
    // Each search fills a list of its own, so two threads never share one.
    std::vector<std::vector<Plan>> met(options.metPlans != nullptr ? searches.size() : 0);
    for (std::size_t i = 0; i < met.size(); ++i) searches[i].metPlans = &met[i];
    for (const BeamResult& searched : runSearches(request, start, searches, options)) {
      result.feedingsTried += searched.feedingsTried;
      for (const auto& plan : searched.bestByForm) {
        if (plan) offer(result, measure, *plan);
      }
    }
    for (std::vector<Plan>& plans : met) {
      std::move(plans.begin(), plans.end(), std::back_inserter(*options.metPlans));
    }
  }
  if (const Plan* best = chosenPlan(result, options, measure)) {
    result.outcome = GoalOutcome::kFound;
    result.plan = *best;
  }
  return result;
}

}  // namespace ostrel

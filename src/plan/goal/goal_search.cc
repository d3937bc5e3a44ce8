// Plans with a goal: the first-found plan and the beam searches as candidates, and the best of
// them for the goal, per final form and overall.
#include <algorithm>
#include <thread>
#include <vector>

#include "plan/first_found/search.h"
#include "plan/goal/beam_search.h"
#include "plan/goal/goal.h"

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

// Takes `plan` as the best of its form when it beats the one held; on a tie the plan held, found
// by an earlier candidate, stays.
void offer(GoalResult& result, Goal goal, const Plan& plan) {
  std::optional<Plan>& best = result.forms[plan.reached.type].best;
  if (!best || planScore(goal, plan) < planScore(goal, *best)) best = plan;
}

}  // namespace

GoalResult planForGoal(const PlayerRequest& request, const MagState& start,
                       const GoalOptions& options, const SearchCounters& counters) {
  GoalResult result;
  const auto exclusions = excludedForms(request, start);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    result.forms[type].exclusion = exclusions[type];
  }
  if (options.form && exclusions[*options.form].kind != ExclusionKind::kNone) {
    result.outcome = GoalOutcome::kExcluded;
    result.exclusion = exclusions[*options.form];
    return result;
  }

  // The first-found plan, searched as the dialogue does (its node count carries on from the
  // caller's), but silently.
  SearchCounters plain = counters;
  SearchOptions quiet = options.firstSearch;
  quiet.quiet = true;
  Plan found;
  if (findFirstPlan(request, plain, start, Console{}, found, quiet)) result.first = found;
  // The first plan ranks as the shortest would, which is how it is compared in the first goal.
  const Goal measure = options.goal == Goal::kFirst ? Goal::kFewest : options.goal;
  if (result.first) {
    offer(result, measure, *result.first);
    if (options.progress != nullptr) {
      options.progress->best.store(planScore(measure, *result.first));
    }
  }

  if (options.goal != Goal::kFirst) {
    const bool knownFits =
        result.first && (!options.form || result.first->reached.type == *options.form);
    BeamOptions beam;
    beam.goal = options.goal;
    beam.width = options.beamWidth;
    beam.form = options.form;
    beam.everyForm = options.everyForm;
    beam.maxFeedings = feedingsToSearch(result.first);
    beam.known = knownFits ? &*result.first : nullptr;
    beam.progress = options.progress;

    // The cheapest plan runs one ranking (the current form's table, which found the cheaper
    // plan on all but two of the reference targets, and those by 1.5% at most), its layers grown
    // on both threads. The shortest plan runs two rankings, which win on different targets, side
    // by side, each also with narrow beams after the wide one: the shortest plans are found by
    // luck as much as by width (a beam of 8 found 650 feedings where one of 500 found 763).
    // Each search gives the same plans whatever the threads, and their plans are offered in a
    // fixed order.
    std::vector<BeamOptions> searches;
    if (options.goal == Goal::kCheapest) {
      searches.push_back(beam);
      searches.back().ranking = Ranking::kCurrentTable;
      searches.back().threads = options.threads;
    } else {
      for (const std::int32_t width : fewestWidths(options.beamWidth)) {
        for (const Ranking ranking : {Ranking::kCurrentTable, Ranking::kReachableTables}) {
          searches.push_back(beam);
          searches.back().ranking = ranking;
          searches.back().width = width;
          searches.back().threads = 1;
        }
      }
    }
    std::vector<BeamResult> beams(searches.size());
    const auto runShare = [&](std::size_t first, std::size_t step) {
      for (std::size_t i = first; i < searches.size(); i += step) {
        beams[i] = beamSearch(request, start, searches[i]);
      }
    };
    if (options.goal == Goal::kFewest && options.threads >= 2) {
      std::thread second(runShare, 1, 2);
      runShare(0, 2);
      second.join();
    } else {
      runShare(0, 1);
    }
    for (const BeamResult& searched : beams) {
      result.feedingsTried += searched.feedingsTried;
      for (const auto& plan : searched.bestByForm) {
        if (plan) offer(result, measure, *plan);
      }
    }
  }

  const Plan* best = nullptr;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const std::optional<Plan>& plan = result.forms[type].best;
    if (!plan || (options.form && *options.form != type)) continue;
    if (best == nullptr || planScore(measure, *plan) < planScore(measure, *best)) best = &*plan;
  }
  if (options.goal == Goal::kFirst) {
    best = result.first && (!options.form || result.first->reached.type == *options.form)
               ? &*result.first
               : nullptr;
  }
  if (best != nullptr) {
    result.outcome = GoalOutcome::kFound;
    result.plan = *best;
  }
  return result;
}

}  // namespace ostrel

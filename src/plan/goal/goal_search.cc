// Plans with a goal: the first-found plan and the beam searches as candidates, and the best of
// them for the goal, per final form and overall.
#include <algorithm>
#include <array>
#include <bit>
#include <span>
#include <utility>
#include <vector>

#include "plan/first_found/search.h"
#include "plan/goal/beam_search.h"
#include "plan/goal/form_steering.h"
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

// Takes `plan` as the best of its form when it beats the one held.
void offer(GoalResult& result, Goal goal, const Plan& plan) {
  keepBetter(goal, plan, result.forms[plan.reached.type].best);
}

// Notes in `result` why the rules exclude each form; true when they exclude the wanted one. A
// form no rule excludes that the evolutions ahead give to none of the stats on the way is
// excluded too: no search can end in it (Viridia Racaseal to 10/9/7/10: mitra).
bool wantedFormExcluded(const PlayerRequest& request, const MagState& start, FormSet open,
                        const GoalOptions& options, GoalResult& result) {
  auto exclusions = excludedForms(request, start);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (exclusions[type].kind == ExclusionKind::kNone && (open & formBit(type)) == 0) {
      exclusions[type].kind = ExclusionKind::kStatsLeadElsewhere;
    }
    result.forms[type].exclusion = exclusions[type];
  }
  if (!options.form || exclusions[*options.form].kind == ExclusionKind::kNone) return false;
  result.outcome = GoalOutcome::kExcluded;
  result.exclusion = exclusions[*options.form];
  return true;
}

// The first-found plan into `result`, searched as the dialogue does (its node count carries on
// from the caller's, on a copy), but silently; or whether it gave up.
void searchFirstPlan(const PlayerRequest& request, const MagState& start,
                     const GoalOptions& options, const SearchCounters& counters,
                     GoalResult& result) {
  SearchCounters plain = counters;
  SearchOptions quiet = options.firstSearch;
  quiet.quiet = true;
  Plan found;
  if (findFirstPlan(request, plain, start, Console{}, found, quiet)) {
    result.first = std::move(found);
  } else {
    result.firstGaveUp = searchGaveUp(plain);
  }
}

// The kinds of beam the shortest plan is searched with. The narrow beams are cheap, and which of
// them finds the shortest plan differs from target to target: besides the wide beams' true bound
// they rank by the table of the form the stats head for, and by the current form's table with
// their states spread over more stats (which finds what the plain current table found, and more).
struct ShortestBeam {
  Ranking ranking;
  std::int32_t sameStatsCap;  // BeamOptions::sameStatsCap
};
// The wide beams run one after the other where the goal has one thread (in the trade-off, beside
// the other goal), the true bound's first: it ends sooner, so the current table's beam, the longer
// one with the larger layers, is the one running when the other goal's thread comes free and
// shares its layers (Pinkal Fomar's trade-off: 0.96-0.97 s the other way round, 0.93-0.94 s so).
constexpr ShortestBeam kWideShortestBeams[] = {{Ranking::kReachableTables, 0},
                                               {Ranking::kCurrentTable, 0}};
constexpr ShortestBeam kNarrowShortestBeams[] = {{Ranking::kReachableTables, 0},
                                                 {Ranking::kComingTable, 0},
                                                 {Ranking::kCurrentTable, 4},
                                                 {Ranking::kCurrentTable, 8}};

// `base` as a beam of `kind` and `width` for the shortest plan, on one thread of its own (these
// beams run two at a time). The narrow beams count the room left on the stats on target and the
// wide ones do not: each way finds shortest plans that the other misses.
BeamOptions shortestBeam(BeamOptions base, const ShortestBeam& kind, std::int32_t width,
                         bool wide) {
  base.ranking = kind.ranking;
  base.sameStatsCap = kind.sameStatsCap;
  base.width = width;
  base.threads = 1;
  base.countRoom = !wide;
  return base;
}

// The beam searches a goal runs, in rounds. The cheapest plan runs one search (itself five
// narrower passes with rankings of their own, kCheapestPasses in beam_search.cc), its layers
// grown on both threads (for the listing, its widest pass on one thread beside the others on the
// second). The shortest plan runs beams of several kinds, which win on different
// targets, narrow ones as well as wide ones: the shortest plans are found by luck as much as by
// width (a beam of 8 found 650 feedings where one of 500 found 763). The narrow beams run in a
// round before the wide ones, which then only look for plans that beat theirs and drop early the
// states that cannot (`known`, filled between the rounds).
using SearchRound = std::vector<BeamOptions>;
std::vector<SearchRound> beamSearchesFor(
    const GoalOptions& options, const std::optional<Plan>& first,
    const std::array<std::optional<Plan>, kMagTypeCount>& known) {
  BeamOptions beam;
  beam.goal = options.goal;
  beam.width = options.beamWidth;
  beam.form = options.form;
  beam.everyForm = options.everyForm;
  beam.maxFeedings = feedingsToSearch(first);
  beam.known = first && endsAsAsked(*first, options.form) ? &*first : nullptr;
  beam.progress = options.progress;
  beam.lentThread = options.lentThread;
  if (options.goal == Goal::kCheapest) {
    beam.threads = options.threads;
    return {{beam}};
  }
  std::vector<SearchRound> rounds(2);
  for (const std::int32_t width : fewestWidths(options.beamWidth)) {
    const bool wide = width == options.beamWidth;
    for (const ShortestBeam& kind : wide ? std::span<const ShortestBeam>(kWideShortestBeams)
                                         : std::span<const ShortestBeam>(kNarrowShortestBeams)) {
      BeamOptions& search =
          (wide ? rounds[1] : rounds[0]).emplace_back(shortestBeam(beam, kind, width, wide));
      if (wide) search.knownByForm = &known;
    }
  }
  if (rounds[0].empty()) rounds.erase(rounds.begin());
  return rounds;
}

// The forms wanted (the one asked for, or for the listing every form) that no plan held ends in
// and that a plan from the start may end in (`open`, formsOpenFrom): the steering would drop the
// start of a search for the others.
FormSet formsMissed(const GoalOptions& options, const GoalResult& result, FormSet open) {
  FormSet missed = 0;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if ((!options.form || *options.form == type) && !result.forms[type].best) {
      missed |= formBit(type);
    }
  }
  return missed & open;
}

// One search of `goal`'s kind for the forms in `wanted`, which the searches before missed: it
// drops the states that can no longer end in one of them and wants no other form, so it stops
// once it cannot beat what it found. The progress of the other goal's kind is told by
// offerFormPlans, in the goal's unit.
BeamOptions formSearch(const GoalOptions& options, Goal goal, FormSet wanted, std::int32_t width,
                       const std::optional<Plan>& first) {
  BeamOptions search;
  search.goal = goal;
  search.ranking = Ranking::kCurrentTable;  // for the shortest plan: it reaches more forms
  search.width = std::max(width, 1);
  if (std::has_single_bit(wanted)) search.form = static_cast<MagType>(std::countr_zero(wanted));
  search.steerTo = wanted;
  // The plain bound: counting the room on the stats on target, these narrow searches missed
  // forms in listings that they found without it (purplenum hucaseal 37/75/8/30: kabanda).
  search.countRoom = false;
  search.everyForm = !search.form;
  search.maxFeedings = feedingsToSearch(first);
  search.known = first && endsAsAsked(*first, search.form) ? &*first : nullptr;
  search.progress = goal == options.goal ? options.progress : nullptr;
  search.threads = options.threads;
  search.lentThread = options.lentThread;
  return search;
}

// Offers the plans of a search made by formSearch, measured by `measure`; true when it found a
// plan of a wanted form.
bool offerFormPlans(const GoalOptions& options, const BeamOptions& search,
                    const BeamResult& searched, Goal measure, GoalResult& result) {
  result.feedingsTried += searched.feedingsTried;
  std::uint64_t best = GoalProgress::kNoPlan;
  for (const auto& plan : searched.bestByForm) {
    if (!plan) continue;
    offer(result, measure, *plan);
    if ((search.steerTo & formBit(plan->reached.type)) != 0) {
      best = std::min(best, planScore(measure, *plan));
    }
  }
  if (search.goal != options.goal) tellProgress(options.progress, searched.feedingsTried, best);
  return best != GoalProgress::kNoPlan;
}

// The search of formSearch for the forms in `wanted` together, its plans offered; true when it
// found a plan of a wanted form.
bool searchForForms(const PlayerRequest& request, const MagState& start, const GoalOptions& options,
                    Goal goal, FormSet wanted, std::int32_t width, Goal measure,
                    GoalResult& result) {
  const BeamOptions search = formSearch(options, goal, wanted, width, result.first);
  return offerFormPlans(options, search, beamSearch(request, start, search), measure, result);
}

// Runs searches made by formSearch two at a time, each on a thread (when there are two), and
// offers their plans in their order.
void runFormSearches(const PlayerRequest& request, const MagState& start,
                     const GoalOptions& options, const std::vector<BeamOptions>& searches,
                     Goal measure, GoalResult& result) {
  const std::vector<BeamResult> searched =
      beamSearches(request, start, searches, options.threads >= 2, nullptr);
  for (std::size_t i = 0; i < searches.size(); ++i) {
    offerFormPlans(options, searches[i], searched[i], measure, result);
  }
}

// A search of `goal`'s kind for each form in `wanted` alone, as searchForForms does for them
// together. The searches are narrow and independent of each other: they run two at a time, each
// on a thread, and their plans are offered in the order of the forms.
void searchForEachForm(const PlayerRequest& request, const MagState& start,
                       const GoalOptions& options, Goal goal, FormSet wanted, std::int32_t width,
                       Goal measure, GoalResult& result) {
  std::vector<BeamOptions> searches;
  for (FormSet left = wanted; left != 0; left &= left - 1) {
    const auto form = static_cast<MagType>(std::countr_zero(left));
    searches.push_back(formSearch(options, goal, formBit(form), width, result.first));
  }
  if (searches.size() > 1) {
    for (BeamOptions& search : searches) search.threads = 1;
  }
  runFormSearches(request, start, options, searches, measure, result);
}

// The narrow beams of the shortest plan's own searches (kNarrowShortestBeams, fewestWidths),
// each steered to all the forms in `wanted`; they run two at a time.
void searchNarrowBeamsForForms(const PlayerRequest& request, const MagState& start,
                               const GoalOptions& options, FormSet wanted, Goal measure,
                               GoalResult& result) {
  if (wanted == 0) return;
  std::vector<BeamOptions> searches;
  for (const std::int32_t width : fewestWidths(options.beamWidth)) {
    if (width == options.beamWidth) continue;
    for (const ShortestBeam& kind : kNarrowShortestBeams) {
      const BeamOptions steered = formSearch(options, Goal::kFewest, wanted, width, result.first);
      searches.push_back(shortestBeam(steered, kind, width, false));
    }
  }
  runFormSearches(request, start, options, searches, measure, result);
}

// Searches for the wanted forms that the goal's own searches missed, steered to them. A form
// asked for gets a search of the goal's kind, then of the other goal's: their rankings reach
// different forms. So does a goal without a form whose beam searches found no plan at all (the
// first-found plan aside), for every form still open: one kind of search can lose its way where
// the other finds plans (the shortest plan's beams all do to Whitill Racaseal 10/9/7/10, where
// the cheapest plan's find one; the cheapest plan's to a Pinkal Racast's tapas of level 47 going
// to 15/9/11/17, where the first-found plan costs 118,320 meseta and the shortest plan's beams
// find one of 25,320). The listing's first search shares its width among all the forms: the
// forms it misses get a search of the shortest plan's kind first, which reaches forms that the
// cheapest plan's ranking misses and leaves the cheapest plan's search fewer forms to share its
// width among; then each form still missed gets a search of the shortest plan's kind of its own,
// and those still missed the shortest plan's narrow beams; last, for the listing by meseta, each
// form that only the first-found plan or a search of the shortest plan's kind reached gets a search
// of the cheapest plan's kind of its own.
void searchMissedForms(const PlayerRequest& request, const MagState& start, FormSet open,
                       const GoalOptions& options, Goal measure, FormSet beamsReached,
                       GoalResult& result) {
  const bool listing = options.everyForm && !options.form;
  const bool anyForm = !listing && !options.form;
  if (anyForm && beamsReached != 0) return;
  const Goal other = otherGoal(options.goal);
  // The steering drops most states: a narrower beam does, narrower still for the listing, whose
  // first search took the most time.
  const std::int32_t width = options.beamWidth / (listing ? 4 : 2);
  const Goal order[2] = {listing ? Goal::kFewest : options.goal, listing ? Goal::kCheapest : other};
  FormSet steeredCheapest = 0;     // the forms a search of the cheapest plan's kind was steered to
  FormSet reached = beamsReached;  // and the forms the beams have found plans of so far
  for (const Goal goal : order) {
    // Without a form, any open form will do, also the first-found plan's (it is only known); a
    // form asked for that only the first-found plan reached is searched for as well (Skyly Ramar
    // to 15/20/5/10: the first-found bhirava plan cost 60,660 meseta, as much as `--form
    // bhirava` found, while the search without a form found one of 40,100).
    const FormSet wanted = anyForm   ? open
                           : listing ? formsMissed(options, result, open)
                                     : formBit(*options.form) & open & ~reached;
    if (wanted == 0) break;
    if (goal == Goal::kCheapest) steeredCheapest |= wanted;
    const bool found =
        searchForForms(request, start, options, goal, wanted, width, measure, result);
    if (found) reached |= wanted;
    if (anyForm && found) return;
  }
  if (!listing) return;
  // Steered to several forms at once, a search shares its width among them: each form the
  // listing still misses gets a search of the shortest plan's kind of its own (Whitill Fomar to
  // 25/8/17/8: garuda, which `ostrel plan --form garuda` found; on 80 random mags, 2 of 226 forms
  // listed as not found had a plan with the form, 1 after; the benchmark's listings took no
  // longer: a search steered to a form that no route reaches ends within a few layers).
  searchForEachForm(request, start, options, Goal::kFewest, formsMissed(options, result, open),
                    width, measure, result);
  // Then the forms still missed get the narrow beams of the shortest plan's own searches, with
  // their rankings, steered to those forms: only they reached surya for Purplenum Ramar to
  // 18/13/17/1, which the listing by feedings showed and the listing by meseta did not. Steered
  // to forms that no route reaches, they end within a few layers (on the benchmark's targets, at
  // most 0.1 M feedings more for a listing).
  searchNarrowBeamsForForms(request, start, options, formsMissed(options, result, open), measure,
                            result);
  if (options.goal != Goal::kCheapest) return;
  // The listing by meseta shows the cheapest plan of each form: a form that only the first-found
  // plan or a search of the shortest plan's kind reached holds a plan of few feedings and much
  // meseta, so each such form gets a search of the cheapest plan's kind steered to it alone,
  // narrower still (Skyly Ramar to 50/60/60/20: Pushan for 503,040 meseta, then for 116,440). On
  // 20 random new mags to level 200, 6 forms 2-9 times cheaper, none dearer, 4.5% more feedings
  // simulated; at width 32 on 60 random mags, 27 forms cheaper and 9 listings' cheapest plan. One
  // search for those forms together shares its width among them and lost some that each alone
  // finds.
  const FormSet reachedByCheapestKind = beamsReached | steeredCheapest;
  const FormSet dearOnly = ~formsMissed(options, result, open) & open & ~reachedByCheapestKind;
  searchForEachForm(request, start, options, Goal::kCheapest, dearOnly, width / 2, measure, result);
}

GoalResult planFor(const PlayerRequest& request, const MagState& start, const GoalOptions& options,
                   const SearchCounters& counters, bool lastResorts);

// Runs the goal search of `nested`, made from the goal's `options` to look another way, and
// offers its plans of every form measured by `measure` (with a form asked for, the others only
// name the forms that plans reach when it is not found). The progress counts its feedings and
// the best plan offered that ends as asked; its own progress and plans met are not the goal's (a
// budget takes none of them).
void offerNestedSearch(const PlayerRequest& request, const MagState& start,
                       const GoalOptions& options, GoalOptions nested,
                       const SearchCounters& counters, bool lastResorts, Goal measure,
                       GoalResult& result) {
  nested.progress = nullptr;
  nested.metPlans = nullptr;
  const GoalResult searched = planFor(request, start, nested, counters, lastResorts);
  result.feedingsTried += searched.feedingsTried;
  std::uint64_t best = GoalProgress::kNoPlan;
  for (const FormResult& form : searched.forms) {
    if (!form.best) continue;
    offer(result, measure, *form.best);
    if (endsAsAsked(*form.best, options.form)) {
      best = std::min(best, planScore(measure, *form.best));
    }
  }
  tellProgress(options.progress, searched.feedingsTried, best);
}

// A form asked for that the searches steered to it missed may still be among the forms that the
// listing of every form reaches: steered to a few forms at once, its searches take other ways
// than steered to one (Purplenum Ramarl 76/56/56/11: the listing reaches apsaras, the searches
// for apsaras alone did not). The page plans a form chosen from the listing with the form asked
// for, so the listing's searches run as the last resort, with the listing's own last resorts
// when the goal has them: a form the listing shows is always found.
void searchListingForForm(const PlayerRequest& request, const MagState& start, FormSet open,
                          const GoalOptions& options, const SearchCounters& counters,
                          bool lastResorts, Goal measure, GoalResult& result) {
  if (!options.form || options.everyForm) return;
  if (formsMissed(options, result, open) == 0) return;  // found, or never open
  GoalOptions listing = options;
  listing.form.reset();
  listing.everyForm = true;
  offerNestedSearch(request, start, options, listing, counters, lastResorts, measure, result);
}

// Where a plan found is short, the target is near and every search quick (a few hundredths of a
// second), but each kind of search loses its way more often: the other goal's searches run too,
// and their plans are offered measured by the goal (Skyly Fomar to 8/6/6/8: the shortest plan's
// searches found 118 feedings, the cheapest plan's 117; Viridia Racaseal's listing by feedings to
// 10/9/7/10 held surya in 190 feedings, the listing by meseta 176). They run without last resorts
// of their own.
constexpr std::int32_t kShortPlan = 200;  // feedings, three hours and twenty minutes

void searchOtherGoalForShortPlans(const PlayerRequest& request, const MagState& start,
                                  const GoalOptions& options, const SearchCounters& counters,
                                  Goal measure, GoalResult& result) {
  const bool shortPlan = std::any_of(
      result.forms.begin(), result.forms.end(),
      [](const auto& form) { return form.best && form.best->feedCount() <= kShortPlan; });
  if (!shortPlan) return;
  GoalOptions other = options;
  other.goal = otherGoal(options.goal);
  offerNestedSearch(request, start, options, other, counters, false, measure, result);
}

// Whether a search found a plan of any form (the first-found plan among them).
bool foundAny(const GoalResult& result) {
  return std::any_of(result.forms.begin(), result.forms.end(),
                     [](const FormResult& form) { return form.best.has_value(); });
}

// When every search came back empty, the goal's own searches without the listing (for the
// listing, which looks for every form) and then the other goal's run as the last resort: on a
// small target every kind of beam can lose its way where another finds a plan (Yelloboze
// Racaseal to 5/3/3/5: the shortest plan's searches find one of 39 feedings, every search of the
// cheapest plan's kind none; Skyly Fonewm to 7/5/5/7: the listing by feedings none, the shortest
// plan's searches one of 93). They run without last resorts of their own, and their plans are
// offered measured by the goal.
void searchOtherGoals(const PlayerRequest& request, const MagState& start,
                      const GoalOptions& options, const SearchCounters& counters, Goal measure,
                      GoalResult& result) {
  if (foundAny(result)) return;
  const Goal other = otherGoal(options.goal);
  std::vector<Goal> goals = {other};
  if (options.everyForm) goals.insert(goals.begin(), options.goal);
  for (const Goal goal : goals) {
    GoalOptions plain = options;
    plain.goal = goal;
    plain.everyForm = false;
    offerNestedSearch(request, start, options, plain, counters, false, measure, result);
    if (foundAny(result)) return;
  }
}

// The goal's plan among the best of every form: for the first goal, the first-found plan alone.
const Plan* chosenPlan(const GoalResult& result, const GoalOptions& options, Goal measure) {
  if (options.goal == Goal::kFirst) {
    return result.first && endsAsAsked(*result.first, options.form) ? &*result.first : nullptr;
  }
  const Plan* best = nullptr;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const std::optional<Plan>& plan = result.forms[type].best;
    if (!plan || (options.form && *options.form != type)) continue;
    if (best == nullptr || planScore(measure, *plan) < planScore(measure, *best)) best = &*plan;
  }
  return best;
}

GoalResult planFor(const PlayerRequest& request, const MagState& start, const GoalOptions& options,
                   const SearchCounters& counters, bool lastResorts) {
  GoalResult result;
  // The forms a plan from the start may end in, worked out once for every search below.
  const FormSet open = formsOpenFrom(request, start);
  if (wantedFormExcluded(request, start, open, options, result)) return result;
  searchFirstPlan(request, start, options, counters, result);
  const Goal measure = measureOf(options.goal);
  if (result.first) {
    offer(result, measure, *result.first);
    // The progress shows the best plan of the form asked for, as the beam searches tell it.
    if (endsAsAsked(*result.first, options.form)) {
      tellProgress(options.progress, 0, planScore(measure, *result.first));
    }
  }
  if (options.goal != Goal::kFirst) {
    std::array<std::optional<Plan>, kMagTypeCount> known;
    FormSet beamsReached = 0;  // the forms the goal's own beam searches found plans of
    for (SearchRound& round : beamSearchesFor(options, result.first, known)) {
      const bool twoThreads = options.goal == Goal::kFewest && options.threads >= 2;
      for (const BeamResult& searched :
           beamSearches(request, start, std::move(round), twoThreads, options.metPlans)) {
        result.feedingsTried += searched.feedingsTried;
        for (const auto& plan : searched.bestByForm) {
          if (!plan) continue;
          offer(result, measure, *plan);
          beamsReached |= formBit(plan->reached.type);
        }
      }
      for (MagType type = 0; type < kMagTypeCount; ++type) known[type] = result.forms[type].best;
    }
    searchMissedForms(request, start, open, options, measure, beamsReached, result);
    if (lastResorts) {
      searchOtherGoalForShortPlans(request, start, options, counters, measure, result);
    }
    searchListingForForm(request, start, open, options, counters, lastResorts, measure, result);
    if (lastResorts) searchOtherGoals(request, start, options, counters, measure, result);
  }
  if (const Plan* best = chosenPlan(result, options, measure)) {
    result.outcome = GoalOutcome::kFound;
    result.plan = *best;
  }
  return result;
}

}  // namespace

GoalResult planForGoal(const PlayerRequest& request, const MagState& start,
                       const GoalOptions& options, const SearchCounters& counters) {
  return planFor(request, start, options, counters, true);
}

}  // namespace ostrel

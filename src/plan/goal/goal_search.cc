// Plans with a goal: the first-found plan, then the stages and steps of the search schedule
// (search_schedule.h) walked for the goal, depth first, each stage's tally handed to the stage
// above; the best plan of the goal among them, per final form and overall.
#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "model/form_proof.h"
#include "model/tables.h"
#include "plan/bound/lower_bound.h"
#include "plan/first_found/search.h"
#include "plan/goal/beam_search.h"
#include "plan/goal/estimate_store.h"
#include "plan/goal/form_steering.h"
#include "plan/goal/goal.h"
#include "plan/goal/search_schedule.h"
#include "plan/goal/stats_ceiling.h"
#include "plan/goal/two_threads.h"
#include "plan/goal/waypoint_legs.h"

namespace ostrel {
namespace {

// How far the beam searches look, in feedings. A known plan of n feedings leaves room for
// cheaper plans that are twice as long; without one, the search stops at a fixed depth, well
// beyond the longest plans found for a new mag to level 200.
std::int32_t feedingsToSearch(const std::optional<Plan>& first) {
  constexpr std::int32_t kWithoutPlan = 3000;
  return first ? 2 * first->feedCount() + 200 : kWithoutPlan;
}

}  // namespace

FormsRuled ruleForms(const PlayerRequest& request, const MagState& start,
                     const GoalOptions& options) {
  FormsRuled ruled;
  ruled.ends = possibleEndsFrom(request, start);
  auto exclusions = excludedForms(request, start);
  FormSet open = 0;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (exclusions[type].kind != ExclusionKind::kNone) continue;
    if ((ruled.ends & formBit(type)) == 0) {
      exclusions[type].kind = ExclusionKind::kStatsLeadElsewhere;
    } else {
      open |= formBit(type);
    }
  }
  const bool wantedByRules = options.form && (open & formBit(*options.form)) == 0;
  if (options.settleForms && !wantedByRules) {
    ruled.target = targetProvenOut(request, start);
    const auto proven = ruled.target.kind == ExclusionKind::kNone
                            ? formsProvenOut(request, start, open)
                            : std::array<FormExclusion, kMagTypeCount>{};
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if ((open & formBit(type)) == 0) continue;
      exclusions[type] = ruled.target.kind == ExclusionKind::kNone ? proven[type] : ruled.target;
      if (exclusions[type].kind != ExclusionKind::kNone) ruled.ends &= ~formBit(type);
    }
  }
  ruled.exclusions = exclusions;
  return ruled;
}

namespace {

// Notes in `result` why each form is ruled out (`ruled`); true when there is nothing to search
// for: the wanted form ruled out, or the whole target.
bool ruledOut(const FormsRuled& ruled, const GoalOptions& options, GoalResult& result) {
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    result.forms[type].exclusion = ruled.exclusions[type];
  }
  if (ruled.target.kind != ExclusionKind::kNone) {
    result.outcome = GoalOutcome::kImpossible;
    result.exclusion = ruled.target;
    return true;
  }
  if (!options.form || ruled.exclusions[*options.form].kind == ExclusionKind::kNone) return false;
  result.outcome = GoalOutcome::kExcluded;
  result.exclusion = ruled.exclusions[*options.form];
  return true;
}

// The closer proof's verdicts (formsProvenOutInWholeStats), each form's asked once: a listing
// asks it of the forms still missed before its widest searches for them, which then run only on
// the forms it leaves open, and settleFormsLeft asks it after the searches of the forms no search
// reached. A form's verdict does not depend on the others asked with it.
struct WholeStatsProofs {
  FormSet asked = 0;
  std::array<FormExclusion, kMagTypeCount> proven{};
};

// Every other form of `forms`, from the first.
FormSet everyOtherForm(FormSet forms) {
  FormSet taken = 0;
  bool take = true;
  for (FormSet left = forms; left != 0; left &= left - 1) {
    if (take) taken |= left & (~left + 1);
    take = !take;
  }
  return taken;
}

// The forms of `forms` that the closer proof rules out, asking it of those not asked before.
// Each form's verdict is proven apart from the others', so with two threads and two forms or more
// each thread proves every other form: the searches wait for these verdicts.
FormSet provenInWholeStats(const PlayerRequest& request, const MagState& start, FormSet forms,
                           TwoThreads* threads, WholeStatsProofs& proofs) {
  const FormSet ask = forms & ~proofs.asked;
  if (ask != 0) {
    const FormSet here = threads != nullptr ? everyOtherForm(ask) : ask;
    const std::array<FormSet, 2> parts{here, ask & ~here};
    std::array<std::array<FormExclusion, kMagTypeCount>, 2> proven{};
    const auto prove = [&](int part) {
      proven[part] = formsProvenOutInWholeStats(request, start, parts[part]);
    };
    if (parts[1] == 0) {
      prove(0);
    } else {
      PartHandoff unused;  // no job is handed over: the part done first only waits for the other
      runLendingWhenDone(prove, unused, *threads);
    }
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      for (int part = 0; part < 2; ++part) {
        if ((parts[part] & formBit(type)) != 0) proofs.proven[type] = proven[part][type];
      }
    }
    proofs.asked |= ask;
  }
  FormSet out = 0;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if ((forms & formBit(type)) != 0 && proofs.proven[type].kind != ExclusionKind::kNone) {
      out |= formBit(type);
    }
  }
  return out;
}

// The leg-by-leg search of each of `forms` into `result`. Each form's search depends on that form
// alone, so where there are two threads the forms run side by side, each thread taking the next
// form, and the one done first lends itself to the legs still running on the other (listings
// where two forms get that far spent a tenth of their time on these searches, one after the
// other).
void planThroughWaypoints(const PlayerRequest& request, const MagState& start,
                          const std::vector<MagType>& forms, const GoalOptions& options,
                          GoalResult& result) {
  if (options.twoThreads == nullptr || forms.size() < 2) {
    for (const MagType type : forms) {
      result.forms[type].best = planThroughWaypoints(request, start, type, options);
    }
    return;
  }
  PartHandoff spare;
  GoalOptions alone = options;
  alone.threads = 1;
  alone.lentThread = &spare;
  alone.twoThreads = nullptr;
  std::vector<std::optional<Plan>> found(forms.size());
  std::atomic<std::size_t> next{0};
  runLendingWhenDone(
      [&](int /*part*/) {
        for (std::size_t i = next++; i < forms.size(); i = next++) {
          found[i] = planThroughWaypoints(request, start, forms[i], alone);
        }
      },
      spare, *options.twoThreads);
  for (std::size_t i = 0; i < forms.size(); ++i) result.forms[forms[i]].best = std::move(found[i]);
}

// Where the forms are settled, rules out by the closer proof the forms that no search reached:
// the form asked for, or each form of a listing. It runs after the searches, since a form a plan
// reaches needs no proof and the closer proof takes its time; most verdicts are already held, as
// the listing's widest searches (When::kFormsLeft) ask it first.
void settleFormsLeft(const PlayerRequest& request, const MagState& start,
                     const GoalOptions& options, FormSet ends, WholeStatsProofs& proofs,
                     GoalResult& result) {
  if (!options.settleForms || (!options.form && !options.everyForm)) return;
  FormSet left = 0;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const FormResult& form = result.forms[type];
    if ((ends & formBit(type)) == 0 || form.best || form.exclusion.kind != ExclusionKind::kNone ||
        (options.form && *options.form != type)) {
      continue;
    }
    left |= formBit(type);
  }
  if (left == 0) return;
  provenInWholeStats(request, start, left, options.twoThreads, proofs);
  std::vector<MagType> open;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if ((left & formBit(type)) == 0) continue;
    result.forms[type].exclusion = proofs.proven[type];
    if (proofs.proven[type].kind == ExclusionKind::kNone) open.push_back(type);
  }
  // What the closer proof leaves open, a search leg by leg through the stats it pins may reach.
  planThroughWaypoints(request, start, open, options, result);
  if (options.form && proofs.proven[*options.form].kind != ExclusionKind::kNone) {
    result.outcome = GoalOutcome::kExcluded;
    result.exclusion = proofs.proven[*options.form];
  }
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

// A stage of the goal search (search_schedule.h): its goal and scope, and its tally.
struct Stage {
  Goal goal;
  ScopeSet scope;
  bool runs;  // its condition held (and its parent's)
  PlansByForm tally{};
  std::uint64_t feedingsTried = 0;
  FormSet reached = 0;          // the forms its beams found plans of
  FormSet ownReached = 0;       // of those, by its own search (the steps of When::kAlways)
  FormSet cheapestKindFor = 0;  // the forms a steered search of the cheapest kind was for
};

// What every stage of one goal search shares.
struct Walk {
  const PlayerRequest& request;
  const MagState& start;
  const GoalOptions& options;
  FormSet ends;  // the forms a plan from the start may end in (possibleEndsFrom)
  const Plan* first;
  std::int32_t maxFeedings;
  WholeStatsProofs& proofs;
};

FormSet formsHeld(const PlansByForm& tally) {
  FormSet held = 0;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (tally[type]) held |= formBit(type);
  }
  return held;
}

// The best by `measure` of the plans `planOf(type)` holds for each form of `forms` (0: every
// form); null when none is held.
template <typename PlanOf>
const Plan* bestOf(const PlanOf& planOf, Goal measure, FormSet forms) {
  const Plan* best = nullptr;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const std::optional<Plan>& plan = planOf(type);
    if (!plan || (forms != 0 && (forms & formBit(type)) == 0)) continue;
    if (best == nullptr || better(measure, *plan, *best)) best = &*plan;
  }
  return best;
}

// The forms of `form` as a set: 0 (every form) when none is asked.
FormSet formsOf(const std::optional<MagType>& form) { return form ? formBit(*form) : 0; }

// The best by `measure` of the plans `tally` holds for each form of `forms` (0: every form).
const Plan* bestInTally(const PlansByForm& tally, Goal measure, FormSet forms) {
  return bestOf([&](MagType type) -> const std::optional<Plan>& { return tally[type]; }, measure,
                forms);
}

// The stage's best plan by its goal, of the form asked in a stage of kTheForm; null: none held.
const Plan* bestPlanHeld(const Stage& stage, const Walk& walk) {
  return bestInTally(stage.tally, stage.goal,
                     stage.scope == kTheForm ? formsOf(walk.options.form) : 0);
}

// The form of the stage's best plan (bestPlanHeld); 0: none held.
FormSet bestHeld(const Stage& stage, const Walk& walk) {
  const Plan* best = bestPlanHeld(stage, walk);
  return best != nullptr ? formBit(best->reached.type) : 0;
}

// The form of the runner-up: the best plan of any other form than the best plan's, when it is
// within kNearBestShare of the best; 0: none.
FormSet secondBestNear(const Stage& stage, const Walk& walk) {
  const Plan* best = bestPlanHeld(stage, walk);
  if (best == nullptr) return 0;
  const Plan* second = bestInTally(stage.tally, stage.goal, ~formBit(best->reached.type));
  if (second == nullptr) return 0;
  const auto size = [&](const Plan& plan) {
    const PlanMeasure measure = measureOf(plan);
    return stage.goal == Goal::kFewest ? static_cast<double>(measure.feedings)
                                       : static_cast<double>(measure.meseta);
  };
  const bool near = size(*second) <= size(*best) * (1 + kNearBestShare);
  return near ? formBit(second->reached.type) : 0;
}

// The forms a step's condition names; 0: the step does not run.
FormSet formsFor(When when, const Stage& stage, const Walk& walk) {
  switch (when) {
    case When::kAlways:
      return ~FormSet{0};
    case When::kFormNotReached:
      return formBit(*walk.options.form) & walk.ends & ~stage.reached;
    case When::kNoBeamPlan:
      return stage.reached == 0 ? walk.ends : 0;
    case When::kFormsMissed:
      return walk.ends & ~formsHeld(stage.tally);
    case When::kFormsLeft: {
      // Asked for one form, the searches for the others would be spent for nothing: each of
      // these searches is for one form alone, and only the form asked for is answered.
      if (!walk.options.settleForms) return 0;
      const FormSet asked = walk.options.form ? formBit(*walk.options.form) : ~FormSet{0};
      const FormSet left = walk.ends & asked & ~formsHeld(stage.tally);
      // Asking the closer proof here fills walk.proofs, which settleFormsLeft reads after.
      return left &
             ~provenInWholeStats(walk.request, walk.start, left, walk.options.twoThreads,
                                 walk.proofs);
    }
    case When::kDearOnly:
      return walk.ends & formsHeld(stage.tally) & ~(stage.ownReached | stage.cheapestKindFor);
    case When::kBestHeld:
      return bestHeld(stage, walk);
    case When::kSecondBestNear:
      return secondBestNear(stage, walk);
    case When::kNoFirstPlan:
      return walk.first == nullptr ? ~FormSet{0} : 0;
    case When::kShortBestHeld: {
      const Plan* best = bestPlanHeld(stage, walk);
      return best != nullptr && best->feedCount() <= kShortBestFeedings ? ~FormSet{0} : 0;
    }
  }
  return 0;
}

// The best plan held cut where its mag first reaches a level: the feedings before, and the rest
// as a plan of its own from that mag, which a search from there must beat.
struct ResumedPlan {
  Plan before;
  Plan rest;
};

// The first feeding of `plan` from a mag at `level` or above; the end where none is.
std::vector<Feeding>::const_iterator firstFeedingAt(const Plan& plan, std::int32_t level) {
  return std::find_if(plan.feedings.begin(), plan.feedings.end(), [&](const Feeding& f) {
    return f.before.def + f.before.pow + f.before.dex + f.before.mind >= level;
  });
}

// `plan` cut at `level` (StepRow::fromLevel); none where it starts at that level or above or
// never reaches it: a search from there would be the stage's own.
std::optional<ResumedPlan> resumedAt(const Plan& plan, std::int32_t level) {
  const auto at = firstFeedingAt(plan, level);
  if (at == plan.feedings.begin() || at == plan.feedings.end()) return std::nullopt;
  ResumedPlan cut;
  cut.before.start = plan.start;
  cut.before.feedings.assign(plan.feedings.begin(), at);
  cut.before.reached = at->before;
  cut.rest.start = at->before;
  cut.rest.feedings.assign(at, plan.feedings.end());
  cut.rest.reached = plan.reached;
  for (const Feeding& feeding : cut.before.feedings) cut.before.cost += kItemPrice[feeding.item];
  cut.rest.cost = plan.cost - cut.before.cost;
  return cut;
}

// The ceiling of a step with a capLevel for the best plan `plan`, resumed from `from`: each of the
// two stats it raised most from there to its mag as it first reaches `level`, by two levels at
// least, held to half its rise (StepRow::capLevel); none where no stat rose that much, or the
// plan ends before that level.
std::optional<StatsCeiling> ceilingOf(const Plan& plan, const MagState& from, std::int32_t level) {
  const auto at = firstFeedingAt(plan, level);
  if (at == plan.feedings.end()) return std::nullopt;
  const MagState& to = at->before;
  const std::array<std::int32_t, 4> was{from.def, from.pow, from.dex, from.mind};
  const std::array<std::int32_t, 4> rise{to.def - from.def, to.pow - from.pow, to.dex - from.dex,
                                         to.mind - from.mind};
  // The stats by their rise, the earlier first on a tie.
  std::array<std::size_t, 4> order{0, 1, 2, 3};
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return rise[a] > rise[b]; });
  constexpr std::int32_t kLeastRise = 2;
  constexpr std::size_t kStatsHeld = 2;
  if (rise[order[0]] < kLeastRise) return std::nullopt;
  StatsCeiling ceiling;
  ceiling.level = level;
  for (std::size_t i = 0; i < kStatsHeld; ++i) {
    const std::size_t stat = order[i];
    if (rise[stat] >= kLeastRise) ceiling.most[stat] = was[stat] + rise[stat] / 2;
  }
  return ceiling;
}

// Runs a step of `stage` and offers its searches' plans, search by search, to the stage's tally.
// The first stage's searches of its own goal's kind tell the progress themselves, layer by layer;
// those of the other kind, and those from the best plan's mag, tell it once they end, in the
// goal's order.
void runStep(const StepRow& step, Stage& stage, bool first, const Walk& walk) {
  const FormSet forms = formsFor(step.when, stage, walk);
  if (forms == 0) return;
  std::optional<ResumedPlan> resumed;
  StatsCeiling ceiling;
  if (step.fromLevel != 0) {
    const Plan& best = *bestPlanHeld(stage, walk);
    resumed = resumedAt(best, step.fromLevel);
    if (!resumed) return;
    if (step.capLevel != 0) {
      const std::optional<StatsCeiling> held = ceilingOf(best, resumed->rest.start, step.capLevel);
      if (!held) return;
      ceiling = *held;
    }
  }
  const MagState& from = resumed ? resumed->rest.start : walk.start;
  const GoalOptions& options = walk.options;
  const StepContext context{stage.goal,
                            stage.scope == kTheForm ? options.form : std::nullopt,
                            stage.scope == kEveryForm,
                            options.beamWidth,
                            walk.maxFeedings,
                            resumed ? &resumed->rest : walk.first,
                            &stage.tally,
                            ceiling};
  const std::vector<ScheduledSearch> searches = searchesOf(step, forms, context);
  const Goal kindGoal = kindRow(step.kind).goal;
  const bool tellsLayers = kindGoal == stage.goal && !resumed;
  StepRunning running{options.threads,           options.lentThread, options.twoThreads, nullptr,
                      nullptr,                   options.estimates};
  if (first && tellsLayers) running.progress = options.progress;
  // Every search's plans count for the trade-off, whatever it looked for: a plan of another form
  // than asked is left out there. Those met from the best plan's mag start there, so only the
  // best, joined to the feedings before, are offered.
  if (!resumed) running.metPlans = options.metPlans;
  std::vector<SearchResult> results = runSearches(walk.request, from, searches, running);
  for (std::size_t i = 0; i < results.size(); ++i) {
    stage.feedingsTried += results[i].feedingsTried;
    std::optional<PlanMeasure> best;  // of the forms it was steered to
    for (std::optional<Plan>& plan : results[i].bestByForm) {
      if (!plan) continue;
      if (resumed) {
        plan = followedBy(resumed->before, *plan);
        if (options.metPlans != nullptr) options.metPlans->push_back(*plan);
      }
      const FormSet form = formBit(plan->reached.type);
      keepBetter(stage.goal, *plan, stage.tally[plan->reached.type]);
      stage.reached |= form;
      if (step.when == When::kAlways) stage.ownReached |= form;
      const PlanMeasure measure = measureOf(*plan);
      if ((searches[i].forms & form) != 0 &&
          (!best || orderKey(stage.goal, measure) < orderKey(stage.goal, *best))) {
        best = measure;
      }
    }
    if (first && !tellsLayers) tellProgress(options.progress, results[i].feedingsTried, best);
  }
  if (step.kind == kCheapestKind && step.steer != kNotSteered) stage.cheapestKindFor |= forms;
}

// Runs the steps of a stage that its goal and scope take.
void runSteps(Stage& stage, bool first, const Walk& walk) {
  for (const StepRow& step : stepRows()) {
    const ForGoal forGoal = stage.goal == Goal::kCheapest ? kCheapestGoal : kFewestGoal;
    if ((step.forGoal != kBothGoals && step.forGoal != forGoal) ||
        (step.scopes & stage.scope) == 0) {
      continue;
    }
    runStep(step, stage, first, walk);
  }
}

// Whether a stage opens, by its row's condition on the tally of the stage above.
bool opens(Opens condition, const Stage& above, const Walk& walk) {
  switch (condition) {
    case kFirstStage:
      return true;
    case Opens::kShortPlan:
      return std::any_of(above.tally.begin(), above.tally.end(), [](const auto& plan) {
        return plan && plan->feedCount() <= kShortPlanFeedings;
      });
    case Opens::kFormMissed:
      return walk.options.form && (formBit(*walk.options.form) & walk.ends) != 0 &&
             !above.tally[*walk.options.form];
    case Opens::kNothingFound:
      return formsHeld(above.tally) == 0;
  }
  return false;
}

// Opens the stage of `row` inside `above` (none for the first): its tally starts from the
// first-found plan, and its steps run.
Stage openStage(const StageRow& row, const Stage* above, const Walk& walk) {
  Stage stage{walk.options.goal, 0, true};
  if (above != nullptr) {
    stage.goal = row.goal == kOtherGoal ? otherGoal(above->goal) : above->goal;
    stage.scope = row.scope == kListingScope   ? kEveryForm
                  : row.scope == kAnyFormScope ? kAnyForm
                                               : above->scope;
    stage.runs = above->runs && opens(row.opens, *above, walk);
  }
  return stage;
}

// Hands what a stage found to the stage above: its feedings, and its plans of every form,
// offered by the goal above. The first stage's progress counts them, and the best offered that
// ends as asked.
void closeStage(Stage& stage, Stage& above, bool aboveFirst, const Walk& walk) {
  if (!stage.runs) return;
  above.feedingsTried += stage.feedingsTried;
  std::optional<PlanMeasure> best;
  for (const std::optional<Plan>& plan : stage.tally) {
    if (!plan) continue;
    keepBetter(above.goal, *plan, above.tally[plan->reached.type]);
    const PlanMeasure measure = measureOf(*plan);
    const bool asAsked = above.scope != kTheForm || plan->reached.type == *walk.options.form;
    if (asAsked && (!best || orderKey(above.goal, measure) < orderKey(above.goal, *best))) {
      best = measure;
    }
  }
  if (aboveFirst) tellProgress(walk.options.progress, stage.feedingsTried, best);
}

// Walks the stage rows of the first stage's scope, depth first, and returns the first stage.
Stage walkStages(ScopeSet scope, const Walk& walk) {
  std::vector<Stage> stages;  // the stages open, by depth
  const auto closeDeeperThan = [&](std::size_t depth) {
    while (stages.size() > depth + 1) {
      Stage stage = std::move(stages.back());
      stages.pop_back();
      closeStage(stage, stages.back(), stages.size() == 1, walk);
    }
  };
  for (const StageRow& row : stageRows()) {
    if ((row.scopes & scope) == 0) continue;
    if (row.depth > 0) closeDeeperThan(static_cast<std::size_t>(row.depth) - 1);
    Stage stage = openStage(row, stages.empty() ? nullptr : &stages.back(), walk);
    if (stages.empty()) stage.scope = scope;
    if (stage.runs && walk.first != nullptr) {
      keepBetter(stage.goal, *walk.first, stage.tally[walk.first->reached.type]);
    }
    stages.push_back(std::move(stage));
    if (stages.back().runs) runSteps(stages.back(), stages.size() == 1, walk);
  }
  closeDeeperThan(0);
  return std::move(stages.front());
}

// The goal's plan among the best of every form: for the first goal, the first-found plan alone.
const Plan* chosenPlan(const GoalResult& result, const GoalOptions& options, Goal measure) {
  if (options.goal == Goal::kFirst) {
    return result.first && endsAsAsked(*result.first, options.form) ? &*result.first : nullptr;
  }
  return bestOf([&](MagType type) -> const std::optional<Plan>& { return result.forms[type].best; },
                measure, formsOf(options.form));
}

// The scope of the first stage: a form asked is searched for as such (also with everyForm).
ScopeSet scopeOf(const GoalOptions& options) {
  if (options.form) return kTheForm;
  return options.everyForm ? kEveryForm : kAnyForm;
}

// Proves the request's bound (the form asked for's, if any), and for a listing every form's,
// beside the searches: on a thread of its own while they run when there are two, else at once.
// The bounds take a small part of a search's time, and are the same wherever they are made.
class BoundBeside {
 public:
  BoundBeside(const PlayerRequest& request, const MagState& start, const GoalOptions& options) {
    if (!options.bound || options.goal == Goal::kFirst) return;
    const auto prove = [this, &request, &start, form = options.form,
                        everyForm = options.everyForm] {
      try {
        bound_ = planBound(request, start, form);
        if (everyForm) forms_ = formBounds(request, start);
      } catch (...) {
        failure_ = std::current_exception();
      }
    };
    // A thread of its own where the search's second thread found a core idle (free_cores.h):
    // on a busy machine a third thread would take the search's time.
    if (options.threads >= 2 && options.twoThreads != nullptr &&
        options.twoThreads->count() == 2) {
      thread_ = std::thread(prove);
    } else {
      prove();
    }
  }
  BoundBeside(const BoundBeside&) = delete;
  BoundBeside& operator=(const BoundBeside&) = delete;
  ~BoundBeside() {
    if (thread_.joinable()) thread_.join();
  }

  // Waits for the bounds and puts them in `result`; passes on what proving them threw.
  void finish(GoalResult& result) {
    if (thread_.joinable()) thread_.join();
    if (failure_) std::rethrow_exception(failure_);
    result.bound = bound_;
    if (!forms_) return;
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      result.forms[type].bound = (*forms_)[type];
    }
  }

 private:
  std::optional<PlanBound> bound_;
  std::optional<std::array<PlanBound, kMagTypeCount>> forms_;
  std::exception_ptr failure_;
  std::thread thread_;  // last: it starts once everything else is made
};

}  // namespace

GoalResult planForGoal(const PlayerRequest& request, const MagState& start,
                       const GoalOptions& options, const SearchCounters& counters) {
  if (options.estimates == nullptr) {
    EstimateStore own;
    GoalOptions withOwn = options;
    withOwn.estimates = &own;
    return planForGoal(request, start, withOwn, counters);
  }
  // Below, the second thread is there when two threads are asked, and only then.
  if ((options.threads >= 2) != (options.twoThreads != nullptr)) {
    std::optional<TwoThreads> own;
    GoalOptions withOwn = options;
    withOwn.twoThreads =
        options.threads >= 2 ? &own.emplace(true, options.oneThreadWhenBusy) : nullptr;
    return planForGoal(request, start, withOwn, counters);
  }
  GoalResult result;
  // The forms a plan from the start may end in, worked out once for every search below.
  const FormsRuled ruled =
      options.ruled != nullptr ? *options.ruled : ruleForms(request, start, options);
  const FormSet ends = ruled.ends;
  if (ruledOut(ruled, options, result)) return result;
  BoundBeside bounds(request, start, options);
  searchFirstPlan(request, start, options, counters, result);
  const Goal measure = measuredBy(options.goal);
  if (options.progress != nullptr) options.progress->measure = measure;
  const Plan* first = result.first ? &*result.first : nullptr;
  WholeStatsProofs proofs;
  if (first != nullptr) {
    keepBetter(measure, *first, result.forms[first->reached.type].best);
    // The progress shows the best plan of the form asked for, as the beam searches tell it.
    if (endsAsAsked(*first, options.form)) tellProgress(options.progress, 0, measureOf(*first));
  }
  if (options.goal != Goal::kFirst) {
    const Walk walk{request, start, options, ends, first, feedingsToSearch(result.first), proofs};
    Stage searched = walkStages(scopeOf(options), walk);
    result.feedingsTried = searched.feedingsTried;
    if (options.beamWidth > options.baseWidth) {
      GoalOptions base = options;
      base.beamWidth = options.baseWidth;
      Stage narrower = walkStages(
          scopeOf(options), Walk{request, start, base, ends, first, walk.maxFeedings, proofs});
      result.feedingsTried += narrower.feedingsTried;
      for (MagType type = 0; type < kMagTypeCount; ++type) {
        if (narrower.tally[type]) keepBetter(measure, *narrower.tally[type], searched.tally[type]);
      }
    }
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      result.forms[type].best = std::move(searched.tally[type]);
    }
  }
  settleFormsLeft(request, start, options, ends, proofs, result);
  if (const Plan* best = chosenPlan(result, options, measure)) {
    result.outcome = GoalOutcome::kFound;
    result.plan = *best;
  }
  bounds.finish(result);
  return result;
}

}  // namespace ostrel

// Plans with a goal: the first plan found (the plain search), the cheapest plan (least meseta,
// then fewest feedings), or the shortest (fewest feedings, then least meseta), optionally ending
// in a chosen form. Besides the first-found plan, beam searches over whole mag states look for
// better ones, as the search schedule (search_schedule.h) lists them; the best candidate is
// returned, so a goal's plan is never worse than the first found. The result also holds the best
// plan found for every final form and the forms that the evolution rules exclude, for a listing
// of the forms.
//
// The words of the goal searches, one thing each:
//   goal        what the player wants: the first plan, the cheapest or the shortest (Goal).
//   measure     a plan's feedings and meseta (PlanMeasure); a goal orders measures its own way.
//   meseta      money, always a whole number; "cost" is what a beam counts in its goal's unit.
//   form        a mag's form (MagType); the final form is the one a plan ends in.
//   ends        the forms a plan may still end in, by the evolution rules ahead (possibleEnds).
//   wanted      the ends a search is for: the form asked, or every form for the listing.
//   missed      wanted forms that no plan held ends in yet.
//   steering    dropping the states that can no longer end in a wanted form (form_steering.h).
//   excluded    a form no plan can end in, with the rule that says why (form_rules.h).
//   beam        one beam search: a layer of states per number of feedings, `width` kept per form.
//   width       the states a beam keeps per form and layer; a row's share of the option's width.
//   ranking     the order a beam keeps its states in: what they spent plus an estimate of what
//               they still need, by a lower bound (true) or a ranking guide (bolder, no bound).
//   limit       what a state's plan must come under to beat the plans found; only a lower
//               bound may drop a state against it.
//   search      beams that share what they find and are offered as one (the cheapest plan's
//               passes are one search).
//   step        one row of the schedule: the searches of one kind a stage runs on a condition.
//   stage       the steps run for one goal and scope; a stage may open another (the other goal's
//               stage when a plan is short, the listing's for a form missed, ...).
//   tally       a stage's best plan of every form, by its goal; handed to the stage above.
//   listing     the search for every form's best plan (`ostrel forms`).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/form_rules.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/bound/lower_bound.h"
#include "plan/first_found/search.h"
#include "plan/plan.h"

namespace ostrel {

class PartHandoff;
class TwoThreads;
class EstimateStore;
struct FormsRuled;

enum class Goal { kFirst, kCheapest, kFewest };

// What a plan takes: its feedings and its meseta.
struct PlanMeasure {
  std::int32_t feedings = 0;
  std::int64_t meseta = 0;

  bool operator==(const PlanMeasure&) const = default;
};

// The measure of `plan`: its prices add up to whole meseta.
inline PlanMeasure measureOf(const Plan& plan) {
  return {plan.feedCount(), static_cast<std::int64_t>(plan.cost)};
}

// A goal's order of measures as one number, smaller for the better plan: meseta then feedings
// for the cheapest, feedings then meseta for the shortest (and for the first plan). One word, so
// that threads can share the best so far and beams compare plans in one step.
inline std::uint64_t orderKey(Goal goal, const PlanMeasure& measure) {
  const auto f = static_cast<std::uint64_t>(measure.feedings);
  const auto m = static_cast<std::uint64_t>(measure.meseta);
  return goal == Goal::kCheapest ? (m << 24 | f) : (f << 40 | m);
}
inline PlanMeasure measureOfKey(Goal goal, std::uint64_t key) {
  if (goal == Goal::kCheapest) {
    return {static_cast<std::int32_t>(key & 0xFFFFFF), static_cast<std::int64_t>(key >> 24)};
  }
  return {static_cast<std::int32_t>(key >> 40), static_cast<std::int64_t>(key & 0xFFFFFFFFFF)};
}

// Whether `plan` is better than `other` for `goal` (not as good: better).
inline bool better(Goal goal, const Plan& plan, const Plan& other) {
  return orderKey(goal, measureOf(plan)) < orderKey(goal, measureOf(other));
}

// The most a plan may take, for a plan with a budget: none, one or both.
struct Budget {
  std::optional<std::int32_t> maxFeedings;
  std::optional<std::int64_t> maxMeseta;

  bool given() const { return maxFeedings || maxMeseta; }
  bool allows(const PlanMeasure& measure) const {
    return (!maxFeedings || measure.feedings <= *maxFeedings) &&
           (!maxMeseta || measure.meseta <= *maxMeseta);
  }
  bool allows(const Plan& plan) const { return allows(measureOf(plan)); }
};

// Where a running search stands, for a front end that shows it while the search runs (another
// thread may read it at any time). Updated once a layer of the search, not once a feeding.
struct GoalProgress {
  std::atomic<std::uint64_t> feedingsTried{0};  // feedings simulated so far, by every search
  // Called on a searching thread after every update, for a front end that has no thread of its
  // own to watch with (the web page's worker, which searches on one thread); with two threads it
  // may be called from either, and from both at once where two searches run side by side (the
  // shortest plan's, the listing's cheapest passes and its searches for its missed forms). Null:
  // nobody is called.
  void (*onUpdate)(const GoalProgress& progress, void* context) = nullptr;
  void* context = nullptr;
  // A plan with a budget is picked from all the plans found once the searches end: a best past
  // the budget is not shown as the best so far.
  Budget shownWithin;
  // The goal whose order the best is kept in: planForGoal sets it to its goal's (measuredBy).
  std::atomic<Goal> measure{Goal::kCheapest};

  // The goal's best plan so far, if any.
  std::optional<PlanMeasure> bestSoFar() const {
    const std::uint64_t key = bestKey.load(std::memory_order_relaxed);
    if (key == kNoPlan) return std::nullopt;
    return measureOfKey(measure.load(std::memory_order_relaxed), key);
  }

  // The best so far as orderKey in `measure`'s order; kNoPlan while there is none.
  std::atomic<std::uint64_t> bestKey{kNoPlan};
  static constexpr std::uint64_t kNoPlan = ~std::uint64_t{0};
};

// Tells `progress` (if any) what a search did since it last told: the feedings it tried, and its
// best plan of a wanted form (in the order of progress->measure), which is shown only when it
// beats the best shown and is within the budget shown. The figures are only shown, so relaxed
// order does.
inline void tellProgress(GoalProgress* progress, std::uint64_t feedingsTried,
                         const std::optional<PlanMeasure>& best) {
  if (progress == nullptr) return;
  progress->feedingsTried.fetch_add(feedingsTried, std::memory_order_relaxed);
  if (best && progress->shownWithin.allows(*best)) {
    const std::uint64_t key = orderKey(progress->measure.load(std::memory_order_relaxed), *best);
    std::uint64_t shown = progress->bestKey.load(std::memory_order_relaxed);
    while (key < shown && !progress->bestKey.compare_exchange_weak(shown, key)) {
    }
  }
  if (progress->onUpdate != nullptr) progress->onUpdate(*progress, progress->context);
}

// The goal a goal's plans are measured by, in the progress shown and among the plans found: the
// first plan found (which may be asked to end in a form) as the shortest.
inline Goal measuredBy(Goal goal) { return goal == Goal::kFirst ? Goal::kFewest : goal; }

// The goal that weighs plans the other way: the cheapest for the shortest (and the first plan),
// the shortest for the cheapest.
inline Goal otherGoal(Goal goal) {
  return goal == Goal::kCheapest ? Goal::kFewest : Goal::kCheapest;
}

// The goal of a request that names none: the first plan found, unless a budget or a final form
// asks for a search that weighs plans (the first plan found is only found, it is not chosen):
// the cheapest within a most of feedings or ending in the form, the shortest within a most of
// meseta alone.
inline Goal impliedGoal(const Budget& budget, bool formAsked) {
  if (budget.maxFeedings) return Goal::kCheapest;
  if (budget.maxMeseta) return Goal::kFewest;
  return formAsked ? Goal::kCheapest : Goal::kFirst;
}

struct GoalOptions {
  Goal goal = Goal::kFirst;
  // The form the plan must end in; none: any form.
  std::optional<MagType> form;
  // States kept per form and number of feedings: more finds better plans, slower.
  std::int32_t beamWidth = 500;
  // A search wider than this runs the searches at this width too, and keeps their plans where
  // they beat its own: a wider beam keeps other states than a narrower one, and may lose the way
  // that the narrower finds, but a player who widens the search wants a plan at least as good.
  std::int32_t baseWidth = 500;
  // 1 runs everything on the calling thread (as the page's planner without threads must); 2 runs
  // the shortest plan's beams, the listing's searches for its missed forms, and for the listing
  // the cheapest plan's widest pass beside its other passes, two at a time (a thread done first
  // lends itself to the other search), and makes each layer of the cheapest plan's passes in two
  // halves side by side; the trade-off runs its two goals side by side, each on one thread. The
  // plans are the same either way.
  std::int32_t threads = 2;
  // With two threads: run on one while the machine's cores are busy with other programs (the
  // second thread waits for a core idle for it, free_cores.h), since a second thread there only
  // takes the first's time. The program's own requests (goalOptions) turn it on: a player's
  // machine may be running the game. Off, a caller asking for two gets two (the tests comparing
  // thread counts).
  bool oneThreadWhenBusy = false;
  // With one thread: a thread that another goal's search lends once it has finished
  // (runLendingWhenDone), which then makes the layers of this goal's beams in two halves
  // (BeamRunning::lentThread). The plans are the same.
  PartHandoff* lentThread = nullptr;
  // With two threads: the second thread, made by the outermost search (planForGoal or
  // findTradeoffs, when null) and handed down to every search it runs.
  TwoThreads* twoThreads = nullptr;
  // Go on looking for the best plan of every final form once the goal's best is found, for a
  // listing of the forms; slower.
  bool everyForm = false;
  // Prove the least that any plan (ending in the form asked) spends, beside the searches (on a
  // thread of its own with two threads); a caller that has it from another goal's search of the
  // same request leaves it off.
  bool bound = true;
  GoalProgress* progress = nullptr;
  // When given, every beam the goal runs adds the plans it met that are cheaper than every
  // shorter one it met (met_plans.h), of any form, beam by beam in a fixed order whatever the
  // threads.
  std::vector<Plan>* metPlans = nullptr;
  // Where every beam takes its cost estimates from (estimate_store.h): a caller that runs several
  // goal searches (the trade-off's) shares one among them. Null: the search keeps one of its own.
  EstimateStore* estimates = nullptr;
  // The forms ruled out for this request before any search (ruleForms), where the caller has
  // them from another goal's search of the same request, form asked and settling; null: worked
  // out here.
  const FormsRuled* ruled = nullptr;
  // The plan for the goal among the plans within the budget (plan/tradeoff/tradeoffs.h);
  // planForGoal itself ignores it.
  Budget budget{};
  // The first-found search's own options (its budget, say); it always runs quietly. The first
  // goal returns its plan as it is: with a form, only if the plan ends in that form.
  SearchOptions firstSearch;
  // Settle every final form: before any search, rule out the forms and the target that the
  // feeding tables prove out of reach (form_proof.h) where the evolution rules leave them open,
  // and search for none of them; for a listing, search once more, alone, for each form still
  // missed; after the searches, ask the closer proof in whole stats of each form still missed (the
  // form asked for, or each of a listing's), and search leg by leg for each it leaves open
  // (waypoint_legs.h). Off only to count what the searches alone leave open, or to search for
  // what the proofs rule out.
  bool settleForms = true;
};

enum class GoalOutcome {
  kFound,       // `plan` reaches the target (in the wanted form)
  kNone,        // no plan found (in the wanted form)
  kExcluded,    // the rules, or the feeding tables, rule out the wanted form: `exclusion` says why
  kImpossible,  // the feeding tables prove the target out of reach: `exclusion` says why
};

struct FormResult {
  std::optional<Plan> best;  // the best plan found that ends in this form
  FormExclusion exclusion;   // kNone unless the rules exclude the form
  // With everyForm and a bound: the least any plan that ends in this form spends.
  std::optional<PlanBound> bound;
};

struct GoalResult {
  GoalOutcome outcome = GoalOutcome::kNone;
  Plan plan;                  // the goal's plan when found; plan.reached.type is its form
  FormExclusion exclusion;    // why the wanted form is excluded, or the target out of reach
  std::optional<Plan> first;  // the first-found plan, when the plain search found one
  bool firstGaveUp = false;   // the plain search ran out of its budget without a plan
  std::array<FormResult, kMagTypeCount> forms{};
  std::uint64_t feedingsTried = 0;  // by the beam searches
  // With a budget that no plan found meets: the plans found nearest to it (plan_run.h).
  std::vector<Plan> nearest;
  // For the cheapest and the fewest goals with options.bound: the least meseta and feedings any
  // plan to the target (ending in the form asked) must spend, which no plan found is below.
  std::optional<PlanBound> bound;
};

// What the rules and the proofs say of a request's final forms before any search: the forms a
// plan from the start may end in, and why each other is ruled out (by the evolution rules, then
// the steering, then, where the forms are settled, the proof from the feeding tables), or why the
// whole target is. It depends on the form asked and on GoalOptions::settleForms, not on the
// goal: the trade-off works it out once for its two goals.
struct FormsRuled {
  FormSet ends = 0;
  std::array<FormExclusion, kMagTypeCount> exclusions{};
  FormExclusion target;  // kNone unless the feeding tables prove the target out of reach
};

FormsRuled ruleForms(const PlayerRequest& request, const MagState& start,
                     const GoalOptions& options);

// The best plan for `options.goal` from `start` to `request.target` (stats at most their targets,
// bars 0..99), with the player's class and section ID. `counters` is only read: its node count
// carries over into the first-found search as in the dialogue, on a copy.
GoalResult planForGoal(const PlayerRequest& request, const MagState& start,
                       const GoalOptions& options, const SearchCounters& counters = {});

// Takes `plan` into `held` when it beats the plan held for `goal`; on a tie the plan held, found
// by an earlier search, stays.
inline void keepBetter(Goal goal, const Plan& plan, std::optional<Plan>& held) {
  if (!held || better(goal, plan, *held)) held = plan;
}

}  // namespace ostrel

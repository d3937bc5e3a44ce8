// Plans with a goal: the first plan found (the plain search), the cheapest plan (least meseta,
// then fewest feedings), or the shortest (fewest feedings, then least meseta), optionally ending
// in a chosen form. Besides the first-found plan, a beam search over whole mag states looks for
// better ones; the best candidate is returned, so a goal's plan is never worse than the first
// found. The result also holds the best plan found for every final form and the forms that the
// evolution rules exclude, for a listing of the forms.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/form_rules.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/first_found/search.h"
#include "plan/plan.h"

namespace ostrel {

class PartHandoff;

enum class Goal { kFirst, kCheapest, kFewest };

// A plan's standing for a goal, as one number that is smaller for the better plan: meseta then
// feedings for the cheapest, feedings then meseta for the shortest (and for the first plan).
inline std::uint64_t packScore(Goal goal, std::int64_t feedings, std::int64_t cost) {
  const auto f = static_cast<std::uint64_t>(feedings);
  const auto c = static_cast<std::uint64_t>(cost);
  return goal == Goal::kCheapest ? (c << 24 | f) : (f << 40 | c);
}
inline std::int64_t scoreFeedings(Goal goal, std::uint64_t score) {
  return static_cast<std::int64_t>(goal == Goal::kCheapest ? score & 0xFFFFFF : score >> 40);
}
inline std::int64_t scoreCost(Goal goal, std::uint64_t score) {
  return static_cast<std::int64_t>(goal == Goal::kCheapest ? score >> 24 : score & 0xFFFFFFFFFF);
}
inline std::uint64_t planScore(Goal goal, const Plan& plan) {
  return packScore(goal, plan.feedCount(), static_cast<std::int64_t>(plan.cost));
}

// The most a plan may take, for a plan with a budget: none, one or both.
struct Budget {
  std::optional<std::int32_t> maxFeedings;
  std::optional<std::int64_t> maxMeseta;

  bool given() const { return maxFeedings || maxMeseta; }
  bool allows(std::int64_t feedings, std::int64_t meseta) const {
    return (!maxFeedings || feedings <= *maxFeedings) && (!maxMeseta || meseta <= *maxMeseta);
  }
  bool allows(const Plan& plan) const {
    return allows(plan.feedCount(), static_cast<std::int64_t>(plan.cost));
  }
};

// Where a running search stands, for a front end that shows it while the search runs (another
// thread may read it at any time). Updated once a layer of the search, not once a feeding.
struct GoalProgress {
  std::atomic<std::uint64_t> feedingsTried{0};  // feedings simulated so far, by every search
  // The goal's best plan so far, packed by packScore; kNoPlan while there is none.
  std::atomic<std::uint64_t> best{kNoPlan};
  // Called on a searching thread after every update, for a front end that has no thread of its
  // own to watch with (the web page's worker, which searches on one thread); with two threads it
  // may be called from either, and from both at once where two searches run side by side (the
  // shortest plan's, the listing's cheapest passes and its searches for its missed forms). Null:
  // nobody is called.
  void (*onUpdate)(const GoalProgress& progress, void* context) = nullptr;
  void* context = nullptr;
  // A plan with a budget is picked from all the plans found once the searches end: a best past
  // the budget is not shown as the best so far. `measure` is the unit `best` is packed in.
  Budget shownWithin;
  Goal measure = Goal::kCheapest;

  static constexpr std::uint64_t kNoPlan = ~std::uint64_t{0};
};

// Tells `progress` (if any) what a search did since it last told: the feedings it tried, and its
// best plan of a wanted form (`best`, packed by packScore in the goal's unit), which is shown
// only when it beats the best shown and is within the budget shown. The figures are only shown,
// so relaxed order does.
inline void tellProgress(GoalProgress* progress, std::uint64_t feedingsTried, std::uint64_t best) {
  if (progress == nullptr) return;
  progress->feedingsTried.fetch_add(feedingsTried, std::memory_order_relaxed);
  const Goal measure = progress->measure;
  if (best != GoalProgress::kNoPlan &&
      !progress->shownWithin.allows(scoreFeedings(measure, best), scoreCost(measure, best))) {
    best = GoalProgress::kNoPlan;
  }
  std::uint64_t shown = progress->best.load(std::memory_order_relaxed);
  while (best < shown && !progress->best.compare_exchange_weak(shown, best)) {
  }
  if (progress->onUpdate != nullptr) progress->onUpdate(*progress, progress->context);
}

// What a goal's plans are measured by, in the progress shown and among the plans found: the
// first plan found (which may be asked to end in a form) as the shortest.
inline Goal measureOf(Goal goal) { return goal == Goal::kFirst ? Goal::kFewest : goal; }

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
  // 1 runs everything on the calling thread (as the page's planner without threads must); 2 runs
  // the shortest plan's beams, the listing's searches for its missed forms, and for the listing
  // the cheapest plan's widest pass beside its other passes, two at a time (a thread done first
  // lends itself to the other search), and makes each layer of the cheapest plan's passes in two
  // halves side by side; the trade-off runs its two goals side by side, each on one thread. The
  // plans are the same either way.
  std::int32_t threads = 2;
  // With one thread: a thread that another goal's search lends once it has finished
  // (runLendingWhenDone), which then makes the layers of this goal's beams in two halves
  // (BeamOptions::lentThread). The plans are the same.
  PartHandoff* lentThread = nullptr;
  // Go on looking for the best plan of every final form once the goal's best is found, for a
  // listing of the forms; slower.
  bool everyForm = false;
  GoalProgress* progress = nullptr;
  // When given, every beam search adds the plans it met that are cheaper than every shorter one
  // it met (BeamOptions::metPlans), search by search in a fixed order whatever the threads.
  std::vector<Plan>* metPlans = nullptr;
  // The plan for the goal among the plans within the budget (plan/tradeoff/tradeoffs.h);
  // planForGoal itself ignores it.
  Budget budget{};
  // The first-found search's own options (its budget, say); it always runs quietly. The first
  // goal returns its plan as it is: with a form, only if the plan ends in that form.
  SearchOptions firstSearch;
};

enum class GoalOutcome {
  kFound,     // `plan` reaches the target (in the wanted form)
  kNone,      // no plan found (in the wanted form)
  kExcluded,  // the rules exclude the wanted form: `exclusion` says why
};

struct FormResult {
  std::optional<Plan> best;  // the best plan found that ends in this form
  FormExclusion exclusion;   // kNone unless the rules exclude the form
};

struct GoalResult {
  GoalOutcome outcome = GoalOutcome::kNone;
  Plan plan;                  // the goal's plan when found; plan.reached.type is its form
  FormExclusion exclusion;    // why the wanted form is excluded
  std::optional<Plan> first;  // the first-found plan, when the plain search found one
  bool firstGaveUp = false;   // the plain search ran out of its budget without a plan
  std::array<FormResult, kMagTypeCount> forms{};
  std::uint64_t feedingsTried = 0;  // by the beam searches
  // With a budget that no plan found meets: the plans found nearest to it (plan_run.h).
  std::vector<Plan> nearest;
};

// The best plan for `options.goal` from `start` to `request.target` (stats at most their targets,
// bars 0..99), with the player's class and section ID. `counters` is only read: its node count
// carries over into the first-found search as in the dialogue, on a copy.
GoalResult planForGoal(const PlayerRequest& request, const MagState& start,
                       const GoalOptions& options, const SearchCounters& counters = {});

// Takes `plan` into `held` when it beats the plan held for `goal`; on a tie the plan held, found
// by an earlier search, stays.
inline void keepBetter(Goal goal, const Plan& plan, std::optional<Plan>& held) {
  if (!held || planScore(goal, plan) < planScore(goal, *held)) held = plan;
}

}  // namespace ostrel

// The beam search behind the cheapest and shortest plans. It grows whole mag states (form, stats
// and bars) one feeding at a time, all states of the same number of feedings together; merges
// states that are exactly alike, keeping the cheaper; and keeps, for every form the mags are in,
// only the states that look closest to the target: the cost so far plus a lower bound on the cost
// still needed (cost_bound.h). Keeping a share per form keeps different evolution routes alive,
// which finds good plans for every final form in one run.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/state.h"
#include "model/tables.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"

namespace ostrel {

class PartHandoff;

// Which feeding tables the bound on what is still needed may use: the current form's only (bold,
// and often the better guide, though not a true bound once the form changes) or every table the
// mag can still reach (a true lower bound). Either also drops the states whose bound shows that
// they cannot beat the best plan found. Three more rankings are no bounds either: the table of
// the form the stats are heading for (comingForm), which sees an evolution coming that the
// current table does not; the better of that table and the current one, which hopes for the
// evolution without counting on it; and every reachable table with the bars the items lower
// counted too (makeRankingGuide), bolder still.
enum class Ranking {
  kCurrentTable,
  kReachableTables,
  kComingTable,
  kCurrentOrComingTable,
  kReachableNet
};

struct BeamOptions {
  Goal goal = Goal::kCheapest;  // cheapest or fewest
  Ranking ranking = Ranking::kReachableTables;
  // The ranking's bound is scaled by this (not with kReachableTables, the true bound): below 1 it
  // favours the states that spent less so far.
  double rankingWeight = 1.0;
  // At most this many of the states a form keeps share their stats (other states fill the rest
  // of the width when too few differ), which keeps the beam on more routes; 0: no such limit.
  std::int32_t sameStatsCap = 0;
  // The bounds (not the bolder guides) also count that a stat on its target may not rise again:
  // what the items add to its bar, net of what they take off, must fit in the room left.
  bool countRoom = true;
  std::int32_t width = 500;     // states kept per form and number of feedings
  std::optional<MagType> form;  // the form the plan must end in
  // The states that can no longer end in one of these forms are dropped (0: none is): a search
  // for the forms that the searches before it missed.
  FormSet steerTo = 0;
  bool everyForm = false;  // look on for every form's best plan
  std::int32_t maxFeedings = 3000;
  // For the cheapest plan: the meseta that every feeding counts for in the ranking besides its
  // price, for the plans that weigh hours against meseta. The search then keeps no limits (they
  // are in meseta alone) and its plans are those it met (metPlans).
  double feedingPrice = 0;
  // A plan already known (the first-found one): the search only looks for better ones.
  const Plan* known = nullptr;
  // The best plans already known of every form (by an earlier search): likewise, form by form.
  const std::array<std::optional<Plan>, kMagTypeCount>* knownByForm = nullptr;
  GoalProgress* progress = nullptr;
  // 2 grows each layer in two halves side by side; the plans are the same with 1.
  std::int32_t threads = 1;
  // With one thread: a thread that another search lends once it has finished its own work
  // (beamSearches), which then runs the second share of each step (growing and keeping).
  PartHandoff* lentThread = nullptr;
  // When given, the plans the search met (of the wanted form) that are cheaper than every
  // shorter one it met are added here at the end of the run, shortest first: the cheapest plan
  // met for each number of feedings, for a list of the trade-offs between feedings and meseta.
  std::vector<Plan>* metPlans = nullptr;
  // For the cheapest plan: which of its passes run (bit i: the i-th, beam_search.cc).
  std::uint8_t cheapestPasses = 0xFF;
};

struct BeamResult {
  std::array<std::optional<Plan>, kMagTypeCount> bestByForm;
  std::uint64_t feedingsTried = 0;
  std::int32_t layers = 0;  // the number of feedings searched to
};

// Runs the beam search from `start` to `request.target`, for the request's player; for the
// cheapest plan, the five searches of kCheapestPasses, narrower than the options' width.
BeamResult beamSearch(const PlayerRequest& request, const MagState& start,
                      const BeamOptions& options);

// The cheapest plan's passes of `options` (a search for the cheapest plan that prices the
// feedings) as searches of their own, in their order. Such a search keeps no limits, so its passes
// find the same plans one by one as together, and many small searches share two threads out more
// evenly than a few long ones.
std::vector<BeamOptions> eachCheapestPass(const BeamOptions& options);

// Runs `searches`, each as beamSearch does, two at a time when `twoThreads` (each then best on one
// thread of its own). Each search gives the same plans whatever the threads, and the results keep
// the searches' order. With `metPlans`, every search meets plans into a list of its own (two
// threads never share one), and the lists are added there in the searches' order.
std::vector<BeamResult> beamSearches(const PlayerRequest& request, const MagState& start,
                                     std::vector<BeamOptions> searches, bool twoThreads,
                                     std::vector<Plan>* metPlans = nullptr);

}  // namespace ostrel

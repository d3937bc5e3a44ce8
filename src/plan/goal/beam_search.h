// The beam search behind the cheapest and shortest plans. It grows whole mag states (form, stats
// and bars) one feeding at a time, all states of the same number of feedings together; merges
// states that are exactly alike, keeping the cheaper; and keeps, for every form the mags are in,
// only the states that look closest to the target: what they spent plus what the ranking guide
// says they still need (cost_estimate.h). Keeping a share per form keeps different evolution
// routes alive, which finds good plans for every final form in one run.
//
// A beam is described in two parts: what it is (BeamSpec: its ranking, width, the forms it is for,
// the plans it must beat), which the search schedule (search_schedule.h) decides row by row, and
// how it runs (BeamRunning: threads, progress, who hears of the plans it meets), which the caller
// decides. The plans depend on the first alone.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "model/state.h"
#include "model/tables.h"
#include "plan/goal/goal.h"
#include "plan/goal/stats_ceiling.h"
#include "plan/plan.h"

namespace ostrel {

class PartHandoff;
class TwoThreads;
class MetPlans;
class EstimateStore;

// How a beam ranks its states: by the guide of the current form's table only (bold, and often the
// better guide, though no bound once the form changes) or by the lower bound over every table the
// mag can still reach (a true bound). Three more are guides too: the table of the form the stats
// are heading for (comingForm), which sees an evolution coming that the current table does not;
// the better of that table and the current one, which hopes for the evolution without counting on
// it; and every reachable table with the bars the items lower counted too, bolder still.
enum class Ranking {
  kCurrentTable,
  kReachableTables,
  kComingTable,
  kCurrentOrComingTable,
  kReachableNet
};

// The best plans known of every form, by an earlier beam.
using PlansByForm = std::array<std::optional<Plan>, kMagTypeCount>;

// What a beam is: the row of the schedule it runs, made concrete for one request.
struct BeamSpec {
  Goal goal = Goal::kCheapest;  // what it measures plans by: cheapest or fewest
  Ranking ranking = Ranking::kReachableTables;
  // The ranking's guide is scaled by this (not with kReachableTables, the true bound): below 1 it
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
  // The states that rise past this ceiling up to its level are dropped (level 0: none is).
  StatsCeiling ceiling;
  bool everyForm = false;  // look on for every form's best plan
  std::int32_t maxFeedings = 3000;
  // The beam stops once it has simulated this many feedings (0: only at maxFeedings).
  std::uint64_t mostFeedingsTried = 0;
  // For the cheapest plan: the meseta that every feeding counts for in the ranking besides its
  // price, for the plans that weigh hours against meseta. The beam then keeps no limits (they are
  // in meseta alone) and its plans are those it met (MetPlans).
  double feedingPrice = 0;
  // A plan already known (the first-found one): the beam only looks for better ones.
  const Plan* known = nullptr;
  // The best plans already known of every form (by an earlier beam): likewise, form by form.
  const PlansByForm* knownByForm = nullptr;
};

// How a beam runs: nothing here changes its plans.
struct BeamRunning {
  // 2 grows each layer in two halves side by side.
  std::int32_t threads = 1;
  // With one thread: a thread that another search lends once it has finished its own work,
  // which then runs the second share of each step (growing and keeping).
  PartHandoff* lentThread = nullptr;
  // With two threads: the second thread the goal search made, which the layers are shared with
  // (null: the beam makes one of its own).
  TwoThreads* twoThreads = nullptr;
  GoalProgress* progress = nullptr;  // told once a layer
  // Hears of every plan the beam meets (of the wanted form), for the trade-off.
  MetPlans* metPlans = nullptr;
  // Where the beam takes its estimates from, shared with the beams before and after it (null: a
  // store of its own).
  EstimateStore* estimates = nullptr;
};

struct BeamResult {
  PlansByForm bestByForm;
  std::uint64_t feedingsTried = 0;
};

// Runs one beam from `start` to `request.target`, for the request's player.
BeamResult runBeam(const PlayerRequest& request, const MagState& start, const BeamSpec& beam,
                   const BeamRunning& running);

}  // namespace ostrel

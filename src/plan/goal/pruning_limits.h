// The pruning limits of the beam search: for a state of each form and level bracket, what its
// plan must come under (in the goal's unit) to beat the best plans found so far of the forms it
// may end in and that are wanted. A state that cannot is dropped.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>

#include "model/form_rules.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/goal/beam_search.h"
#include "plan/goal/cost_estimate.h"
#include "plan/goal/ends_by_bracket.h"
#include "plan/goal/estimate_table.h"
#include "plan/goal/goal_order.h"

namespace ostrel {

// What the limits of a beam go by (BeamSpec): the forms it wants, and whether its ranking may
// overstate what a state still needs.
struct LimitRules {
  std::optional<MagType> form;  // the form a plan must end in
  bool everyForm = false;       // every form's best plan is wanted
  FormSet steerTo = 0;          // with everyForm: only these forms are wanted (0: all)
  // The ranking is a guide (or a bound weighted up), so only the true bound may drop a state.
  bool guideMayOverstate = false;
  // The limits are in the goal's unit alone: a beam that prices the feedings besides
  // (BeamSpec::feedingPrice) ranks in another and takes none.
  bool inGoalUnit = true;

  static LimitRules of(const BeamSpec& beam) {
    return {beam.form, beam.everyForm, beam.steerTo,
            beam.ranking != Ranking::kReachableTables || beam.rankingWeight > 1.0,
            beam.feedingPrice == 0};
  }
};

template <class Order>
class PruningLimits {
 public:
  // `possibleEnds`: the forms a plan of the search can end in at all, which only the search for
  // every form's best plan needs (the others' limits come from the forms they want). `known` and
  // `knownByForm` (either may be null) are the plans to beat from the start.
  PruningLimits(const EndsByBracket& ends, const LimitRules& rules, FormSet possibleEnds,
                const Plan* known, const PlansByForm* knownByForm)
      : ends_(ends), rules_(rules), possibleEnds_(possibleEnds) {
    formLimit_.fill(kNoLimit);
    if (!rules_.inGoalUnit) {
      update();
      return;
    }
    if (known != nullptr) formLimit_[known->reached.type] = Order::limitOf(measureOf(*known));
    for (MagType type = 0; knownByForm != nullptr && type < kMagTypeCount; ++type) {
      const std::optional<Plan>& plan = (*knownByForm)[type];
      if (plan) lower(type, measureOf(*plan));
    }
    update();
  }

  // Whether no state of this form and bracket can end in a form still wanted.
  bool dropsAll(MagType type, int bracket) const { return limit_[type][bracket] == kDropAll; }

  // Takes a plan measuring `measure` found in `form`; true when that lowers its limit.
  bool lower(MagType form, const PlanMeasure& measure) {
    if (!rules_.inGoalUnit) return false;
    const std::int64_t limit = Order::limitOf(measure);
    if (limit >= formLimit_[form]) return false;
    formLimit_[form] = limit;
    update();
    return true;
  }

  // Whether a state of layer `depth` that cost `cost` and needs at least `remaining` more by the
  // ranking's bound cannot beat the best plans found; `boundOf` gives the value of a bound for
  // the bar points it still needs (CostEstimate::of), for the true bound.
  template <typename BoundOf>
  bool hopeless(std::int32_t depth, MagType type, int bracket, std::int32_t cost, double remaining,
                BoundOf boundOf, const EstimateTable& bounds) const {
    const std::int64_t limit = limit_[type][bracket];
    const std::int64_t spent = Order::spentBy(depth, cost);
    if (comesUnder(spent, remaining, limit)) return false;
    // Only a true bound may drop a state: the ranking's may overstate what is still needed (the
    // true bound too, when weighted up).
    if (rules_.guideMayOverstate) {
      const double atLeast = boundOf(bounds.lowerBound(type, bracket));
      return atLeast >= CostEstimate::kUnreachable || !comesUnder(spent, atLeast, limit);
    }
    return true;
  }

 private:
  static constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();
  static constexpr std::int64_t kDropAll = std::numeric_limits<std::int64_t>::min();

  // The limit of every form and bracket, from the limits of the forms it may end in.
  void update() {
    std::int64_t anyForm = kNoLimit;
    for (std::int64_t limit : formLimit_) anyForm = std::min(anyForm, limit);
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      for (int bracket = 0; bracket < kBracketCount; ++bracket) {
        const FormSet forms = ends_.forms[type][bracket];
        std::int64_t limit = anyForm;
        if (rules_.form) {
          limit = (forms & formBit(*rules_.form)) != 0 ? formLimit_[*rules_.form] : kDropAll;
        } else if (rules_.everyForm) {
          // A search steered to some forms wants only those; none wants a form that no plan
          // can end in, which would leave every state that may still take it unlimited.
          const FormSet ends = forms & possibleEnds_;
          const FormSet wanted = rules_.steerTo != 0 ? ends & rules_.steerTo : ends;
          limit = kDropAll;
          for (MagType form = 0; form < kMagTypeCount; ++form) {
            if ((wanted & formBit(form)) != 0) limit = std::max(limit, formLimit_[form]);
          }
        }
        limit_[type][bracket] = limit;
      }
    }
  }

  const EndsByBracket& ends_;
  LimitRules rules_;
  FormSet possibleEnds_;
  std::array<std::int64_t, kMagTypeCount> formLimit_{};  // from the best plan of each form
  std::int64_t limit_[kMagTypeCount][kBracketCount]{};
};

}  // namespace ostrel

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
#include "plan/goal/bound_table.h"
#include "plan/goal/cost_bound.h"
#include "plan/goal/form_reach.h"
#include "plan/goal/goal_order.h"

namespace ostrel {

template <class Order>
class PruningLimits {
 public:
  // `possibleEnds`: the forms a plan of the search can end in at all, which only the search for
  // every form's best plan needs (the others' limits come from the forms they want).
  PruningLimits(const FormReach& reach, const BeamOptions& options, FormSet possibleEnds)
      : reach_(reach), options_(options), possibleEnds_(possibleEnds) {
    formLimit_.fill(kNoLimit);
    if (!inLimitsUnit()) {
      update();
      return;
    }
    if (options.known != nullptr) {
      const Plan& known = *options.known;
      formLimit_[known.reached.type] = Order::limitOf(known.feedCount(), known.cost);
    }
    for (MagType type = 0; options.knownByForm != nullptr && type < kMagTypeCount; ++type) {
      const std::optional<Plan>& known = (*options.knownByForm)[type];
      if (known) lower(type, known->feedCount(), known->cost);
    }
    update();
  }

  // Whether no state of this form and bracket can end in a form still wanted.
  bool dropsAll(MagType type, int bracket) const { return limit_[type][bracket] == kDropAll; }

  // Takes a plan of `feedings` and `cost` found in `form`; true when that lowers its limit.
  bool lower(MagType form, std::int64_t feedings, double cost) {
    if (!inLimitsUnit()) return false;
    const std::int64_t limit = Order::limitOf(feedings, cost);
    if (limit >= formLimit_[form]) return false;
    formLimit_[form] = limit;
    update();
    return true;
  }

  // Whether a state of layer `depth` that cost `cost` and needs at least `remaining` more by the
  // ranking's bound cannot beat the best plans found; `need` gives the bar points it still
  // needs, for the true bound.
  template <typename Need>
  bool hopeless(std::int32_t depth, MagType type, int bracket, std::int32_t cost, double remaining,
                Need need, const BoundTable& bounds) const {
    const std::int64_t limit = limit_[type][bracket];
    const std::int64_t spent = Order::spentBy(depth, cost);
    if (comesUnder(spent, remaining, limit)) return false;
    // Only a true bound may drop a state: the ranking's may overstate what is still needed (the
    // true bound too, when weighted up).
    if (options_.ranking != Ranking::kReachableTables || options_.rankingWeight > 1.0) {
      const double atLeast = bounds.prepared(type, bracket, true).of(need());
      return atLeast >= CostBound::kUnreachable || !comesUnder(spent, atLeast, limit);
    }
    return true;
  }

 private:
  // The limits are in the goal's unit alone: a search that prices the feedings besides
  // (BeamOptions::feedingPrice) ranks in another and takes none.
  bool inLimitsUnit() const { return options_.feedingPrice == 0; }

  static constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();
  static constexpr std::int64_t kDropAll = std::numeric_limits<std::int64_t>::min();

  // The limit of every form and bracket, from the limits of the forms it may end in.
  void update() {
    std::int64_t anyForm = kNoLimit;
    for (std::int64_t limit : formLimit_) anyForm = std::min(anyForm, limit);
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      for (int bracket = 0; bracket < kBracketCount; ++bracket) {
        const FormSet forms = reach_.forms[type][bracket];
        std::int64_t limit = anyForm;
        if (options_.form) {
          limit = (forms & formBit(*options_.form)) != 0 ? formLimit_[*options_.form] : kDropAll;
        } else if (options_.everyForm) {
          // A search steered to some forms wants only those; none wants a form that no plan
          // can end in, which would leave every state that may still take it unlimited.
          const FormSet open = forms & possibleEnds_;
          const FormSet wanted = options_.steerTo != 0 ? open & options_.steerTo : open;
          limit = kDropAll;
          for (MagType form = 0; form < kMagTypeCount; ++form) {
            if ((wanted & formBit(form)) != 0) limit = std::max(limit, formLimit_[form]);
          }
        }
        limit_[type][bracket] = limit;
      }
    }
  }

  const FormReach& reach_;
  const BeamOptions& options_;
  FormSet possibleEnds_;
  std::array<std::int64_t, kMagTypeCount> formLimit_{};  // from the best plan of each form
  std::int64_t limit_[kMagTypeCount][kBracketCount]{};
};

}  // namespace ostrel

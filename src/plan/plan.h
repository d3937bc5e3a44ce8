// A found plan as data: the mag it starts from, every feeding in the order it is fed with the mag
// (bars included) just before it, and the mag it reaches. Every search hands its plan over in
// this form, and the reports write it, so a plan reads the same whichever search found it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/state.h"

namespace ostrel {

struct Feeding {
  Item item = 0;
  MagState before;  // the mag just before this feeding
};

struct Plan {
  MagState start;
  std::vector<Feeding> feedings;  // first feeding first
  MagState reached;
  double cost = 0;  // meseta, the sum of the items' prices

  std::int32_t feedCount() const { return static_cast<std::int32_t>(feedings.size()); }
};

// True when `plan` ends as `form`, or no form is asked for.
inline bool endsAsAsked(const Plan& plan, const std::optional<MagType>& form) {
  return !form || plan.reached.type == *form;
}

// `plan` and then `onward`, which starts from the mag `plan` reaches: one plan from the first's
// start, as if fed in one go.
inline Plan followedBy(Plan plan, const Plan& onward) {
  plan.feedings.insert(plan.feedings.end(), onward.feedings.begin(), onward.feedings.end());
  plan.reached = onward.reached;
  plan.cost += onward.cost;
  return plan;
}

}  // namespace ostrel

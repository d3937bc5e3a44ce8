// The trade-off between feedings and meseta: the plans from the shortest to the cheapest, each
// cheaper than every shorter one, out of everything the shortest and the cheapest plans' searches
// met on their way. A plan with a budget is picked from these same plans, so a point of the list
// and the plan of a budget of its feedings are one plan.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/state.h"
#include "plan/first_found/search.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"

namespace ostrel {

struct Tradeoffs {
  GoalResult fewest;    // the shortest plan's searches, exactly as the fewest goal runs them
  GoalResult cheapest;  // the cheapest plan's, as the cheapest goal runs them
  // Shortest first, each with more feedings and less meseta than the one before; the first is
  // fewest.plan and the last cheapest.plan. When the cheapest plan is also as short as the
  // shortest (or the shortest as cheap), that one plan alone. Empty when neither found a plan.
  std::vector<Plan> front;
  std::uint64_t feedingsTried = 0;  // by every search: the two goals' and those filling the range
};

// Runs the fewest and the cheapest goal searches with `options` (its goal aside; its form is the
// form every plan must end in), side by side with two threads and the fewest first with one, and
// makes their front. The plans do not depend on the threads. Only the search of `options.goal`
// reports to `options.progress`.
Tradeoffs findTradeoffs(const PlayerRequest& request, const MagState& start,
                        const GoalOptions& options, const SearchCounters& counters = {});

// The plan for `goal` (cheapest or fewest) among the points of `front` within `budget`; null
// when none is within it.
const Plan* planWithin(const std::vector<Plan>& front, Goal goal, const Budget& budget);

// The points nearest to a budget that none meets, at most one on either side: the cheapest
// within the most feedings (or else the shortest), and the shortest within the most meseta (or
// else the cheapest); one when they are the same.
std::vector<Plan> nearestToBudget(const std::vector<Plan>& front, const Budget& budget);

// The least each budget may be: a plan takes a feeding at least, and may cost nothing.
inline constexpr std::int32_t kLeastMaxFeedings = 1;
inline constexpr std::int32_t kLeastMaxMeseta = 0;

// Why `given`, the text of the budget `name` ("--max-feedings", "--max-meseta"), is not one:
// the words of the command line, which the web page uses too.
std::string notABudgetText(const char* name, const std::string& given, std::int32_t least);

// One line without a full stop for a budget no plan meets: "no plan found within N feedings and
// M meseta; the nearest found: F feedings for C meseta, ..." with the `nearest` plans; with a
// `form` asked for, "no plan ending as FORM found within ...".
std::string overBudgetText(const Budget& budget, const std::vector<Plan>& nearest,
                           std::optional<MagType> form);

}  // namespace ostrel

// The plain recursive plan search used as the tests' reference.
#include <cmath>
#include <cstdio>

#include "model/feeding.h"
#include "model/tables.h"
#include "plan/first_found/item_choice.h"
#include "plan/report/plan_report.h"
#include "support/test_support.h"

namespace ostrel::testing {
namespace {

// A feeding helps one stat when it raises a bar short of its target, or lowers a bar of more
// than 50 on a stat already there (keeping it from levelling past the target).
bool helps(std::int32_t stat, std::int32_t target, std::int32_t bar, std::int32_t delta) {
  return (delta > 0 && stat < target) || (stat == target && delta < 0 && bar >= 51);
}

// One call per mag state, as the search is described: the preferred item and the search order,
// the useful test, the node count with its progress lines and give-up, the prune test, and the
// roll-back of every feeding that does not lead to the target. The bound test for a state above
// the target is left out: the prune test keeps the search out of such states, and no test starts
// in one.
int referenceSearch(PlannerState& planner, const MagState& state, const Console& console,
                    double interval) {
  const Target& t = planner.target;
  if (state.def == t.def && state.pow == t.pow && state.dex == t.dex && state.mind == t.mind) {
    reportReached(planner, state, console);
    return 1;
  }
  const Item preferred = preferredItem(t, state);
  for (int i = -1; i < kFedItemCount; ++i) {  // the preferred item, then the search order
    const Item item = i < 0 ? preferred : kSearchOrder[i];
    if (i >= 0 && item == preferred) continue;
    StatDelta d;
    feedDeltas(item, state.type, d);
    const bool useful = helps(state.def, t.def, state.defBar, d.def) ||
                        helps(state.pow, t.pow, state.powBar, d.pow) ||
                        helps(state.dex, t.dex, state.dexBar, d.dex) ||
                        helps(state.mind, t.mind, state.mindBar, d.mind);
    if (!useful) continue;
    planner.nodeCount += 1;
    if (std::fmod(planner.nodeCount, interval) == 0) {
      std::fprintf(console.out, "Wow this is hard!   %d\n", ++planner.hardCount);
      if (planner.hardCount > 5) {
        std::fputs("Sorry, I cant figure a way! :(\n", console.out);
        return 0;
      }
    }
    planner.feedCount += 1;
    planner.totalCost += kItemPrice[item];
    MagState fed = state;
    feedItem(planner, item, fed);
    const bool pruned = fed.def > t.def || fed.pow > t.pow || fed.dex > t.dex ||
                        fed.mind > t.mind || fed.level > t.level;
    if (!pruned && referenceSearch(planner, fed, console, interval) == 1) {
      reportStep(planner, item, state, fed, console);
      return 1;
    }
    planner.totalCost -= kItemPrice[item];  // the feeding is rolled back
    planner.feedCount -= 1;
    if (planner.hardCount > 5) return 0;
  }
  return 0;
}

}  // namespace

int searchWith(Engine engine, PlannerState& planner, const MagState& start, const Console& console,
               double interval, SearchStats* stats) {
  if (engine == Engine::kReference) return referenceSearch(planner, start, console, interval);
  return searchPlan(planner, start, console, {interval, engine == Engine::kRemembering}, stats);
}

}  // namespace ostrel::testing

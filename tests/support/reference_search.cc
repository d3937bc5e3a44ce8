// The plain recursive plan search used as the tests' reference.
#include <algorithm>
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
// in one. The plan is collected while the recursion unwinds, last feeding first.
int referenceSearch(const PlayerRequest& request, SearchCounters& counters, const MagState& state,
                    const Console& console, double interval, Plan& found) {
  const Target& t = request.target;
  if (state.def == t.def && state.pow == t.pow && state.dex == t.dex && state.mind == t.mind) {
    found.reached = state;
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
    counters.nodeCount += 1;
    if (std::fmod(counters.nodeCount, interval) == 0) {
      std::fprintf(console.out, "Wow this is hard!   %d\n", ++counters.hardCount);
      if (counters.hardCount > 5) {
        std::fputs("Sorry, I cant figure a way! :(\n", console.out);
        return 0;
      }
    }
    MagState fed = state;
    feedItem(request.player, item, fed);
    const bool pruned = fed.def > t.def || fed.pow > t.pow || fed.dex > t.dex ||
                        fed.mind > t.mind || fed.level > t.level;
    if (!pruned && referenceSearch(request, counters, fed, console, interval, found) == 1) {
      found.feedings.push_back({item, state});
      found.cost += kItemPrice[item];
      return 1;
    }
    if (counters.hardCount > 5) return 0;
  }
  return 0;
}

}  // namespace

int searchWith(Engine engine, const PlayerRequest& request, SearchCounters& counters,
               PlanFiles& files, const MagState& start, const Console& console, Plan& found,
               double interval, SearchStats* stats) {
  found = Plan{start, {}, start, 0};
  bool reached = false;
  if (engine == Engine::kReference) {
    counters.hardCount = 0;
    reached = referenceSearch(request, counters, start, console, interval, found) == 1;
    std::reverse(found.feedings.begin(), found.feedings.end());
  } else {
    const SearchOptions options{interval, engine == Engine::kRemembering};
    reached = findFirstPlan(request, counters, start, console, found, options, stats);
  }
  if (!reached) return 0;
  reportPlan(request.player, found, files, console);
  return 1;
}

}  // namespace ostrel::testing

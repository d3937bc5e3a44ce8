// The plain recursive plan search used as the tests' reference.
#include "support/reference_search.h"

#include <cmath>
#include <cstdio>

#include "model/feeding.h"
#include "model/tables.h"
#include "plan/item_choice.h"
#include "plan/plan_report.h"

namespace ostrel::testing {
namespace {

Item chooseFirstItem(const Target& t, const MagState& m) {
  if (m.def < t.def && t.pow - m.pow < 60 && t.dex - m.dex < 60) return bestItemForDef(t, m);
  if (m.pow < t.pow && m.dex == t.dex && m.mind == t.mind) return bestItemForPow(t, m);
  if (m.dex < t.dex && m.pow == t.pow && m.mind == t.mind) return bestItemForDex(t, m);
  if (m.mind < t.mind && m.dex == t.dex && m.pow == t.pow) return bestItemForMind(t, m);
  return bestItemOverall(t, m);
}

// A feeding helps one stat when it raises a bar short of its target, or lowers a bar of more
// than 50 on a stat already there (keeping it from levelling past the target).
bool helps(std::int32_t stat, std::int32_t target, std::int32_t bar, std::int32_t delta) {
  return (delta > 0 && stat < target) || (stat == target && delta < 0 && bar >= 51);
}

bool useful(const Target& t, const MagState& m, const StatDelta& d) {
  return helps(m.def, t.def, m.defBar, d.def) || helps(m.pow, t.pow, m.powBar, d.pow) ||
         helps(m.dex, t.dex, m.dexBar, d.dex) || helps(m.mind, t.mind, m.mindBar, d.mind);
}

bool aboveTarget(const Target& t, const MagState& m) {
  return m.def > t.def || m.pow > t.pow || m.dex > t.dex || m.mind > t.mind;
}

void undoFeeding(PlannerState& planner, Item item, MagState& state, const MagState& saved) {
  planner.totalCost -= kItemPrice[item];
  planner.feedCount -= 1;
  state = saved;
}

}  // namespace

int referenceSearch(PlannerState& planner, MagState state, const Console& console,
                    double interval) {
  const Target& target = planner.target;
  const MagState saved = state;
  Item candidates[kFedItemCount];
  candidates[0] = chooseFirstItem(target, state);
  int filled = 1;
  for (Item item : kSearchOrder) {
    if (item != candidates[0]) candidates[filled++] = item;
  }

  if (aboveTarget(target, state)) return 0;
  if (state.def == target.def && state.pow == target.pow && state.dex == target.dex &&
      state.mind == target.mind) {
    reportReached(planner, state, console);
    return 1;
  }
  for (Item item : candidates) {
    StatDelta delta;
    feedDeltas(item, state.type, delta);
    if (!useful(target, state, delta)) continue;
    planner.nodeCount += 1;
    if (std::fmod(planner.nodeCount, interval) == 0) {
      planner.hardCount += 1;
      std::fprintf(console.out, "Wow this is hard!   %d\n", planner.hardCount);
      if (planner.hardCount > 5) {
        std::fputs("Sorry, I cant figure a way! :(\n", console.out);
        return 0;
      }
    }
    planner.feedCount += 1;
    planner.totalCost += kItemPrice[item];
    feedItem(planner, item, state);
    if (aboveTarget(target, state) || state.level > target.level) {
      undoFeeding(planner, item, state, saved);
      continue;
    }
    if (referenceSearch(planner, state, console, interval) == 1) {
      reportStep(planner, item, saved, state, console);
      return 1;
    }
    undoFeeding(planner, item, state, saved);
    if (planner.hardCount > 5) return 0;
  }
  return 0;
}

int searchWith(Engine engine, PlannerState& planner, const MagState& start, const Console& console,
               double interval, SearchStats* stats) {
  if (engine == Engine::kReference) return referenceSearch(planner, start, console, interval);
  return searchPlan(planner, start, console, {interval, engine == Engine::kRemembering}, stats);
}

}  // namespace ostrel::testing

// The plan search as a plain recursion, one call per mag state, written to be read rather than
// to be fast. The tests hold the shipped search to it.
#pragma once

#include "model/state.h"
#include "plan/console.h"
#include "plan/search.h"

namespace ostrel::testing {

// Searches from `state` to `planner.target` exactly as the shipped search must: same reports,
// same progress lines (one every `interval` nodes of the run, giving up at the sixth of a plan),
// same counters. Each feeding on the path is one level of recursion, so keep `interval` small
// for targets that may not be reachable.
int referenceSearch(PlannerState& planner, MagState state, const Console& console, double interval);

// The searches the tests hold to one behaviour: the shipped one with and without its memory of
// failed states and of the current path, and the reference above.
enum class Engine { kRemembering, kPlain, kReference };
inline constexpr Engine kAllEngines[] = {Engine::kRemembering, Engine::kPlain, Engine::kReference};

int searchWith(Engine engine, PlannerState& planner, const MagState& start, const Console& console,
               double interval = 2'000'000, SearchStats* stats = nullptr);

}  // namespace ostrel::testing

// The plan search: depth first from the starting mag, trying at every state the preferred item
// and then the fixed search order, feeding each useful item, pruning any feeding that takes a stat
// past its target, and handing over the first plan that reaches the target. A budget of useful
// feedings (nodes) stops hopeless searches: a progress line every 2,000,000 nodes of the
// program's run, and the search gives up at the sixth line of a plan.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/state.h"
#include "plan/console.h"
#include "plan/plan.h"
#include "plan/report/plan_report.h"

namespace ostrel {

#ifndef OSTREL_PROGRESS_INTERVAL
#define OSTREL_PROGRESS_INTERVAL 2000000
#endif

// The search gives up when the plan's count of progress lines (hardCount) passes this.
inline constexpr std::int32_t kProgressLinesBeforeGiveUp = 5;

// What the search counts. nodeCount runs on over every plan of a program's run, so the progress
// lines come at the multiples of the interval of the whole run's count; hardCount is the number
// of progress lines of the last search, which starts it at 0.
struct SearchCounters {
  double nodeCount = 0;
  std::int32_t hardCount = 0;
};

// Whether the last search ended by giving up rather than by running out of feedings to try.
inline bool searchGaveUp(const SearchCounters& counters) {
  return counters.hardCount > kProgressLinesBeforeGiveUp;
}

struct SearchOptions {
  // Nodes between two progress lines; the search gives up at the sixth line of a plan.
  double progressInterval = OSTREL_PROGRESS_INTERVAL;
  // Remember what is already known instead of searching it again: the node count of every state
  // whose whole subtree failed, and the states on the current path, into which descending again
  // could only go round the same loop until the budget runs out. Output is the same either way.
  bool remember = true;
  // Write no progress or give-up lines (the console is not touched); the search and its budget
  // are the same.
  bool quiet = false;
};

// What one search did, for benchmarks and tests.
struct SearchStats {
  std::uint64_t statesExpanded = 0;  // states whose candidates were tried
  std::uint64_t countsReused = 0;    // subtrees skipped by their remembered node count
  std::uint64_t loopsFound = 0;      // descents into a state already on the path
  std::size_t maxDepth = 0;          // the longest path held, in feedings
};

// The search itself: finds the first plan from `start` to `request.target` and hands it over in
// `found` without writing anything but the progress and give-up lines. Returns whether a plan was
// found.
bool findFirstPlan(const PlayerRequest& request, SearchCounters& counters, const MagState& start,
                   const Console& console, Plan& found, const SearchOptions& options = {},
                   SearchStats* stats = nullptr);

// Searches for a plan from `start` to `request.target` (stats 0..200 each, start stats at most
// their targets, bars 0..99). Returns 1 when a plan was found and written through the plan report
// into `files`, 0 otherwise.
int searchPlan(const PlayerRequest& request, SearchCounters& counters, PlanFiles& files,
               const MagState& start, const Console& console, const SearchOptions& options = {},
               SearchStats* stats = nullptr);

}  // namespace ostrel

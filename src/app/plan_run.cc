// One plan: reset the counters, search from the starting mag, and tell the user how it went.
#include "app/plan_run.h"

#include "plan/plan_report.h"

namespace ostrel {

bool runPlan(PlannerState& planner, const MagState& start, const Console& console,
             const SearchOptions& options) {
  // nodeCount and lastDelta run on over the whole program; everything else starts afresh.
  planner.lineCount = 0;
  planner.previousItem = -1;
  planner.runLength = 0;
  planner.totalCost = 0;
  planner.feedCount = 0;
  planner.hardCount = 0;

  if (searchPlan(planner, start, console, options) == 0) {
    std::fputs("failed to create Mag\n", console.out);
    return false;
  }
  reportFirstRun(planner, start, console);
  std::fputs("Mag successful!\n", console.out);
  if (planFilesComplete(planner)) {
    std::fputs("Plan is in file feedingPlan2.txt, details are in feedingPlan.txt\n", console.out);
  } else {
    std::fputs(
        "The plan could not be saved to feedingPlan2.txt and feedingPlan.txt; the lines "
        "above are the plan.\n",
        console.out);
  }
  return true;
}

}  // namespace ostrel

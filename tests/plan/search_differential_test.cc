// The shipped search, with and without its memory, against the plain recursive reference on
// seeded random mags and targets: several plans in a row per run, so that the node count and
// with it the progress lines carry over from plan to plan.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "plan/plan_report.h"
#include "support/capture.h"
#include "support/random_mag.h"
#include "support/reference_search.h"

namespace ostrel {
namespace {

using testing::Engine;
using testing::pick;

// One plan as the plan run does it, with the files emptied first as the dialogue does; returns
// everything a user could see of it, and the counters the next plan starts from.
std::string planAndShow(Engine engine, PlannerState& planner, const MagState& start,
                        double interval, SearchStats* stats = nullptr) {
  testing::CapturedConsole captured;
  emptyPlanFiles(planner, captured.console());
  planner.hardCount = planner.feedCount = planner.runLength = 0;
  planner.totalCost = planner.lineCount = 0;
  planner.previousItem = -1;
  const int result =
      testing::searchWith(engine, planner, start, captured.console(), interval, stats);
  if (result == 1) reportFirstRun(planner, start, captured.console());
  char counters[128];
  std::snprintf(counters, sizeof counters, "result %d, nodes %.0f, feedings %d, cost %.0f\n",
                result, planner.nodeCount, planner.feedCount, planner.totalCost);
  return counters + captured.text() + "-- detail\n" + testing::readFile(kDetailFileName) +
         "-- grouped\n" + testing::readFile(kGroupedFileName);
}

// Targets a few levels up (kinds 0 to 2), many levels up in one stat, mostly hopeless (3), and
// def short on a final form of the last feeding table, whose paths often come back to a state
// already on them (4 to 7; the caller picks the form).
Target targetOfKind(std::mt19937& rng, const MagState& start, int kind) {
  const int steps[] = {1, 3, 8, 3, 1, 2, 3, 6};
  Target target = testing::targetAbove(rng, start, steps[kind]);
  std::int32_t* stats[] = {&target.def, &target.pow, &target.dex, &target.mind};
  int more = kind == 3 ? pick(rng, 10, 90) : (kind >= 4 && target.def == start.def ? 1 : 0);
  more = std::min(more, kMaxLevel - target.level);
  *stats[kind == 3 ? pick(rng, 0, 3) : 0] += more;
  target.level += more;
  return target;
}

// OSTREL_DIFF_CASES sets the number of runs, for a longer soak or a quicker look.
int runCount() {
  const char* runs = std::getenv("OSTREL_DIFF_CASES");
  return runs != nullptr ? std::atoi(runs) : 1000;
}

TEST(SearchDifferentialTest, ShippedSearchMatchesReference) {
  testing::ScratchDirectory scratch;
  std::mt19937 rng(2718);
  int plans = 0, found = 0, givenUp = 0;
  SearchStats shortcuts;
  for (int runs = runCount(); runs > 0; --runs) {
    // Mostly small progress intervals, so that the budget runs out often and the reference stays
    // shallow; now and then the real one, starting just short of a progress line.
    const bool real = pick(rng, 0, 7) == 0;
    const double interval = real                   ? 2'000'000
                            : pick(rng, 0, 2) == 0 ? pick(rng, 5, 60)
                                                   : pick(rng, 3, 15) * 100;
    PlannerState planner;
    planner.sectionId = pick(rng, 0, 9);
    planner.charClass = pick(rng, 0, 11);
    planner.nodeCount = real ? interval * pick(rng, 1, 5) - pick(rng, 1, 200)
                             : pick(rng, 0, static_cast<int>(interval) * 7);
    PlannerState planners[] = {planner, planner, planner};
    for (int plan = 0; plan < 4; ++plan) {
      const int kind = pick(rng, 0, real ? 1 : 7);
      MagState start = testing::randomMag(rng);
      if (kind >= 4) start.type = pick(rng, 42, 44);
      const Target target = targetOfKind(rng, start, kind);
      for (PlannerState& each : planners) each.target = target;
      if (real) {  // the reference recurses once per node: only plans that end soon
        PlannerState trial = planners[0];
        testing::CapturedConsole ignored;
        testing::searchWith(Engine::kRemembering, trial, start, ignored.console(), interval);
        if (trial.nodeCount - planners[0].nodeCount > 5000) continue;
      }
      SCOPED_TRACE(::testing::Message() << "run " << runs << " plan " << plan);
      const std::string expected = planAndShow(Engine::kReference, planners[2], start, interval);
      ASSERT_EQ(planAndShow(Engine::kRemembering, planners[0], start, interval, &shortcuts),
                expected);
      ASSERT_EQ(planAndShow(Engine::kPlain, planners[1], start, interval), expected);
      ++plans;
      found += expected.starts_with("result 1");
      givenUp += expected.find("Sorry") != std::string::npos;
    }
  }
  std::printf("%d plans compared: %d found, %d given up; %llu counts reused, %llu loops\n", plans,
              found, givenUp, static_cast<unsigned long long>(shortcuts.countsReused),
              static_cast<unsigned long long>(shortcuts.loopsFound));
  EXPECT_GT(found, plans / 10);
  EXPECT_GT(givenUp, plans / 20);
  EXPECT_GT(shortcuts.loopsFound, 0u);
}

}  // namespace
}  // namespace ostrel

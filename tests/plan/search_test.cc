// The plan search: the worked plans, the budget and its give-up, deep and looping paths.
#include "plan/search.h"

#include <gtest/gtest.h>

#include "support/capture.h"

namespace ostrel {
namespace {

using testing::CapturedConsole;
using testing::readFile;
using testing::ScratchDirectory;

PlannerState plannerFor(Target target) {
  PlannerState planner;
  planner.target = target;
  return planner;
}

TEST(SearchPlanTest, ReachesSmallTargetWithoutPruning) {
  ScratchDirectory scratch;
  CapturedConsole captured;
  PlannerState planner = plannerFor({5, 1, 1, 0, 7});
  EXPECT_EQ(searchPlan(planner, kBabyMag, captured.console()), 1);
  EXPECT_EQ(planner.feedCount, 4);
  EXPECT_EQ(planner.totalCost, 4120);
  EXPECT_EQ(planner.nodeCount, 4);
}

TEST(SearchPlanTest, WorkedPlanWithPruningIsWrittenExactly) {
  ScratchDirectory scratch;
  CapturedConsole captured;
  PlannerState planner = plannerFor({6, 1, 0, 2, 9});
  ASSERT_EQ(searchPlan(planner, kBabyMag, captured.console()), 1);
  EXPECT_EQ(planner.feedCount, 7);
  EXPECT_EQ(planner.totalCost, 2700);
  EXPECT_EQ(planner.nodeCount, 9);
  EXPECT_EQ(readFile("feedingPlan.txt"),
            "mag(9) 6/1/0/2 complete in 7 feedings.  Cost: 2700 meseta. Time: approx 0.12 hours\n"
            "Feed mag(7) 5/1/0/1 a Difluid      Count = 0/7  Bars: 90/70/90/60\n"
            "Feed mag(7) 5/1/0/1 a Moon Atomizer      Count = 1/7  Bars: 75/45/75/30\n"
            "Feed mag(7) 5/1/0/1 a Moon Atomizer      Count = 2/7  Bars: 60/20/60/0\n"
            "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 3/7  Bars: 45/90/45/75\n"
            "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 4/7  Bars: 30/60/30/50\n"
            "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 5/7  Bars: 15/30/15/25\n"
            "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 6/7  Bars: 0/0/0/0\n");
}

}  // namespace
}  // namespace ostrel

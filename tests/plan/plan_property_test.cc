// The plan self-check: every plan the search writes is replayed feeding by feeding from the
// starting mag, and must reach exactly the target without passing it, with the summary, the
// detail lines and the run lines all telling the same story.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/plan_run.h"
#include "model/feeding.h"
#include "model/tables.h"
#include "plan/plan_report.h"
#include "support/capture.h"
#include "support/random_mag.h"

namespace ostrel {
namespace {

std::string format(const char* format, auto... values) {
  char line[256];
  std::snprintf(line, sizeof line, format, values...);
  return line;
}

std::vector<std::string> linesOf(const char* fileName) {
  std::istringstream text(testing::readFile(fileName));
  std::vector<std::string> lines;
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}

std::string summary(const MagState& mag, int feedings, double cost, const char* gap) {
  return format(
      "%s(%d) %d/%d/%d/%d complete in %d feedings.  Cost: %.0lf meseta.%sTime: approx "
      "%.2lf hours",
      kMagTypeNames[mag.type], mag.level, mag.def, mag.pow, mag.dex, mag.mind, feedings, cost, gap,
      feedings / 60.0);
}

TEST(PlanPropertyTest, WrittenPlansReplayToTheTarget) {
  testing::ScratchDirectory scratch;
  testing::CapturedConsole captured;
  std::mt19937 rng(31337);
  int plans = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    PlannerState planner;
    planner.sectionId = testing::pick(rng, 0, 9);
    planner.charClass = testing::pick(rng, 0, 11);
    const MagState start = testing::randomMag(rng);
    const Target target = planner.target =
        testing::targetAbove(rng, start, testing::pick(rng, 1, 6));
    emptyPlanFiles(planner, captured.console());
    if (!runPlan(planner, start, captured.console())) continue;
    ++plans;
    SCOPED_TRACE(trial);

    // The detail lines come last feeding first: replay them from the bottom of the file up.
    const std::vector<std::string> detail = linesOf(kDetailFileName);
    const int count = static_cast<int>(detail.size()) - 1;
    PlannerState replay = planner;
    MagState mag = start;
    double cost = 0;
    for (int line = count; line >= 1; --line) {
      const std::string& fed = detail[line];
      const std::size_t from = fed.find(" a ") + 3;
      const auto name = std::find(kItemNames.begin(), kItemNames.end(),
                                  fed.substr(from, fed.find("      Count") - from));
      const Item item = static_cast<Item>(name - kItemNames.begin());
      ASSERT_LT(item, kFedItemCount) << fed;
      EXPECT_EQ(fed,
                format("Feed %s(%d) %d/%d/%d/%d a %s      Count = %d/%d  Bars: %d/%d/%d/%d",
                       kMagTypeNames[mag.type], mag.level, mag.def, mag.pow, mag.dex, mag.mind,
                       *name, line - 1, count, mag.defBar, mag.powBar, mag.dexBar, mag.mindBar));
      feedItem(replay, item, mag);
      cost += kItemPrice[item];
      ASSERT_TRUE(mag.def <= target.def && mag.pow <= target.pow && mag.dex <= target.dex &&
                  mag.mind <= target.mind);
    }
    EXPECT_TRUE(mag.def == target.def && mag.pow == target.pow && mag.dex == target.dex &&
                mag.mind == target.mind);
    EXPECT_EQ(planner.feedCount, count);
    EXPECT_EQ(detail[0], summary(mag, count, cost, " "));

    // The grouped file: heading, the same summary, then runs that add up to the plan.
    const std::vector<std::string> grouped = linesOf(kGroupedFileName);
    ASSERT_GE(grouped.size(), 3u);
    EXPECT_EQ(grouped[1], summary(mag, count, cost, "  "));
    int runTotal = 0;
    for (std::size_t run = 2; run < grouped.size(); ++run) {
      runTotal += std::atoi(grouped[run].c_str() + 4);  // "Feed %5d ..."
    }
    EXPECT_EQ(runTotal, count);
  }
  EXPECT_GT(plans, 2000);
}

}  // namespace
}  // namespace ostrel

// Plan reports: the detail file, the grouped file and the console lines of a found plan, written
// last feeding first, and what happens when a plan file cannot be written.
#include "plan/plan_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/capture.h"

namespace ostrel {
namespace {

using testing::CapturedConsole;
using testing::readFile;
using testing::ScratchDirectory;

// Reports a plan as the search and the plan run do: the reached state, every feeding from the
// last to the first, then the first run. states[i] is the mag before feeding i.
void writePlan(PlannerState& planner, const std::vector<MagState>& states,
               const std::vector<Item>& items, double cost, const Console& console) {
  planner.feedCount = static_cast<std::int32_t>(items.size());
  planner.totalCost = cost;
  reportReached(planner, states.back(), console);
  for (std::size_t i = items.size(); i-- > 0;) {
    reportStep(planner, items[i], states[i], states[i + 1], console);
  }
  reportFirstRun(planner, states.front(), console);
}

// What follows the summary: the run lines.
std::string runLines(const std::string& text) { return text.substr(text.find("\nFeed ") + 1); }

TEST(PlanReportTest, SevenFeedingsInThreeRuns) {
  ScratchDirectory scratch;
  CapturedConsole captured;
  PlannerState planner;
  const std::vector<MagState> states = {
      {0, 5, 0, 0, 0, 0, 0, 0, 0, 5},     {0, 5, 0, 0, 0, 15, 30, 15, 25, 5},
      {0, 5, 0, 0, 0, 30, 60, 30, 50, 5}, {0, 5, 0, 0, 0, 45, 90, 45, 75, 5},
      {0, 5, 1, 0, 1, 60, 20, 60, 0, 7},  {0, 5, 1, 0, 1, 75, 45, 75, 30, 7},
      {0, 5, 1, 0, 1, 90, 70, 90, 60, 7}, {0, 6, 1, 0, 2, 0, 70, 95, 5, 9}};
  writePlan(planner, states, {8, 8, 8, 8, 9, 9, 4}, 2700, captured.console());
  EXPECT_EQ(readFile(kDetailFileName),
            "mag(9) 6/1/0/2 complete in 7 feedings.  Cost: 2700 meseta. Time: approx 0.12 hours\n"
            "Feed mag(7) 5/1/0/1 a Difluid      Count = 0/7  Bars: 90/70/90/60\n"
            "Feed mag(7) 5/1/0/1 a Moon Atomizer      Count = 1/7  Bars: 75/45/75/30\n"
            "Feed mag(7) 5/1/0/1 a Moon Atomizer      Count = 2/7  Bars: 60/20/60/0\n"
            "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 3/7  Bars: 45/90/45/75\n"
            "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 4/7  Bars: 30/60/30/50\n"
            "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 5/7  Bars: 15/30/15/25\n"
            "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 6/7  Bars: 0/0/0/0\n");
  EXPECT_EQ(readFile(kGroupedFileName),
            "For a Purplenum Humar:\n"
            "mag(9) 6/1/0/2 complete in 7 feedings.  Cost: 2700 meseta.  Time: approx 0.12 hours\n"
            "Feed     1        Difluid to your:            mag (   7) 5/1/0/1\n"
            "Feed     2  Moon Atomizer to your:            mag (   7) 5/1/0/1\n"
            "Feed     4   Sol Atomizer to your:            mag (   5) 5/0/0/0\n");
  EXPECT_EQ(captured.text(),
            "READ STEPS FROM BOTTOM UP\n"
            "For a Purplenum Humar:\n"
            "mag(9) 6/1/0/2 complete in 7 feedings.  Cost: 2700 meseta.  Time: approx 0.12 hours\n"
            "Feed 1 Difluid to your: mag(7) 5/1/0/1\n"
            "Feed 2 Moon Atomizer to your: mag(7) 5/1/0/1\n"
            "Feed 4 Sol Atomizer to your: mag(5) 5/0/0/0\n");
  EXPECT_EQ(captured.errors(), "");
  EXPECT_TRUE(planFilesComplete(planner));
}

TEST(PlanReportTest, OneFeedingAlsoWhenTheGroupedFileCannotBeWritten) {
  ScratchDirectory scratch;
  const std::vector<MagState> states = {{0, 5, 0, 0, 0, 0, 99, 0, 0, 5},
                                        {0, 5, 1, 0, 0, 5, 39, 5, 0, 6}};
  const std::string summary = "mag(6) 5/1/0/0 complete in 1 feedings.  Cost: 60 meseta.";
  const std::string console =
      "READ STEPS FROM BOTTOM UP\nFor a Whitill Fonewearl:\n" + summary +
      "  Time: approx 0.02 hours\nFeed 1 Monomate to your: mag(5) 5/0/0/0\n";
  // The first plan finds a directory in place of the grouped file (permissions do not stop the
  // tests' user); the next finds the way clear again.
  PlannerState planner;
  planner.sectionId = 9;
  planner.charClass = 11;
  for (bool writable : {false, true}) {
    CapturedConsole captured;
    if (writable) std::filesystem::remove(kGroupedFileName);
    if (!writable) std::filesystem::create_directory(kGroupedFileName);
    planner.previousItem = -1;  // as the plan run does before every search
    planner.runLength = 0;
    planner.lineCount = 0;
    emptyPlanFiles(planner, captured.console());
    writePlan(planner, states, {0}, 60, captured.console());
    EXPECT_EQ(captured.text(), console);
    EXPECT_EQ(readFile(kDetailFileName),
              summary + " Time: approx 0.02 hours\n" +
                  "Feed mag(5) 5/0/0/0 a Monomate      Count = 0/1  Bars: 0/99/0/0\n");
    EXPECT_EQ(planFilesComplete(planner), writable);
    const std::string errors = captured.errors();
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), writable ? 0 : 1) << errors;
    EXPECT_EQ(errors.find(kGroupedFileName) != std::string::npos, !writable) << errors;
  }
  EXPECT_EQ(readFile(kGroupedFileName),
            "For a Whitill Fonewearl:\n" + summary + "  Time: approx 0.02 hours\n" +
                "Feed     1       Monomate to your:            mag (   5) 5/0/0/0\n");
}

TEST(PlanReportTest, RunsOfOneItem) {
  ScratchDirectory scratch;
  CapturedConsole single;
  PlannerState planner;
  const std::vector<MagState> antidotes = {{0, 5, 0, 0, 0, 0, 0, 0, 0, 5},
                                           {0, 5, 0, 0, 0, 5, 1, 40, 0, 5},
                                           {0, 5, 0, 0, 0, 10, 2, 80, 0, 5},
                                           {0, 5, 0, 1, 0, 15, 3, 20, 0, 6}};
  writePlan(planner, antidotes, {6, 6, 6}, 180, single.console());
  EXPECT_EQ(runLines(single.text()), "Feed 3 Antidote to your: mag(5) 5/0/0/0\n");

  CapturedConsole twoRuns;
  planner = PlannerState{};
  const std::vector<MagState> alternating = {{0, 5, 0, 0, 0, 0, 60, 50, 0, 5},
                                             {0, 5, 1, 0, 0, 5, 0, 55, 0, 6},
                                             {0, 5, 1, 0, 0, 10, 1, 95, 0, 6},
                                             {0, 5, 1, 1, 0, 15, 41, 0, 0, 7}};
  writePlan(planner, alternating, {0, 6, 0}, 180, twoRuns.console());
  EXPECT_EQ(runLines(twoRuns.text()),
            "Feed 1 Monomate to your: mag(6) 5/1/0/0\n"
            "Feed 1 Antidote to your: mag(6) 5/1/0/0\n"
            "Feed 1 Monomate to your: mag(5) 5/0/0/0\n");
}

TEST(PlanReportTest, EmptyPlanFilesTruncates) {
  ScratchDirectory scratch;
  CapturedConsole captured;
  PlannerState planner;
  std::ofstream(kDetailFileName) << "old plan\n";
  std::ofstream(kGroupedFileName) << "old plan\n";
  emptyPlanFiles(planner, captured.console());
  EXPECT_EQ(readFile(kDetailFileName) + readFile(kGroupedFileName), "");
}

}  // namespace
}  // namespace ostrel

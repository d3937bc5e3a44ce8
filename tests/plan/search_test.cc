// The plan search: the worked plans, the useful and prune tests, the budget and its give-up, and
// paths that come back to a state already on them.
#include "plan/search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plan/plan_report.h"
#include "support/capture.h"
#include "support/reference_search.h"

namespace ostrel {
namespace {

using testing::Engine;
using testing::readFile;
using testing::ScratchDirectory;
using Counters = std::vector<double>;  // result, nodeCount, feedCount, totalCost

struct Outcome {
  int result;
  std::string console;
  PlannerState planner;
  Counters counters() const {
    return {double(result), planner.nodeCount, double(planner.feedCount), planner.totalCost};
  }
};

Outcome run(Engine engine, PlannerState planner, const MagState& start, double interval = 2e6,
            SearchStats* stats = nullptr) {
  testing::CapturedConsole captured;
  const int result =
      testing::searchWith(engine, planner, start, captured.console(), interval, stats);
  return {result, captured.text(), planner};
}

PlannerState plannerFor(Target target, double nodeCount = 0) {
  PlannerState planner;
  planner.target = target;
  planner.nodeCount = nodeCount;
  return planner;
}

TEST(SearchPlanTest, WorkedPlansAreFoundAndCounted) {
  for (Engine engine : testing::kAllEngines) {
    SCOPED_TRACE(static_cast<int>(engine));
    ScratchDirectory scratch;
    EXPECT_EQ(run(engine, plannerFor({5, 1, 1, 0, 7}, 100), kBabyMag).counters(),
              Counters({1, 104, 4, 4120}));
    EXPECT_EQ(readFile(kDetailFileName),
              "mag(7) 5/1/1/0 complete in 4 feedings.  Cost: 4120 meseta. Time: approx 0.07 hours\n"
              "Feed mag(6) 5/1/0/0 a Antiparalysis      Count = 0/4  Bars: 25/0/64/10\n"
              "Feed mag(6) 5/1/0/0 a Antiparalysis      Count = 1/4  Bars: 20/0/20/0\n"
              "Feed mag(5) 5/0/0/0 a Trimate      Count = 2/4  Bars: 10/50/10/0\n"
              "Feed mag(5) 5/0/0/0 a Trimate      Count = 3/4  Bars: 0/0/0/0\n");

    ScratchDirectory again;  // nine nodes: two of the feedings are pruned
    EXPECT_EQ(run(engine, plannerFor({6, 1, 0, 2, 9}, 100), kBabyMag).counters(),
              Counters({1, 109, 7, 2700}));
    EXPECT_EQ(readFile(kDetailFileName),
              "mag(9) 6/1/0/2 complete in 7 feedings.  Cost: 2700 meseta. Time: approx 0.12 hours\n"
              "Feed mag(7) 5/1/0/1 a Difluid      Count = 0/7  Bars: 90/70/90/60\n"
              "Feed mag(7) 5/1/0/1 a Moon Atomizer      Count = 1/7  Bars: 75/45/75/30\n"
              "Feed mag(7) 5/1/0/1 a Moon Atomizer      Count = 2/7  Bars: 60/20/60/0\n"
              "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 3/7  Bars: 45/90/45/75\n"
              "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 4/7  Bars: 30/60/30/50\n"
              "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 5/7  Bars: 15/30/15/25\n"
              "Feed mag(5) 5/0/0/0 a Sol Atomizer      Count = 6/7  Bars: 0/0/0/0\n");
  }
}

TEST(SearchPlanTest, UsefulAndPruneTests) {
  for (Engine engine : testing::kAllEngines) {
    SCOPED_TRACE(static_cast<int>(engine));
    ScratchDirectory scratch;
    // Every feeding that raises pow also fills the full dex bar: six nodes, all pruned.
    const Outcome pruned =
        run(engine, plannerFor({5, 1, 0, 0, 6}, 7), {0, 5, 0, 0, 0, 0, 99, 99, 99, 5});
    EXPECT_EQ(pruned.counters(), Counters({0, 13, 0, 0}));
    EXPECT_EQ(pruned.console + readFile(kDetailFileName), "<missing>");

    // A "durga" one def level short, pow on target. At a pow bar of 51 Difluid may drain it once
    // Antidote is pruned, and Sol Atomizer then finishes (800 meseta, four nodes); at a bar of 50
    // Sol Atomizer comes right after Antidote (300 meseta, two nodes).
    MagState durga{7, 5, 1, 1, 1, 99, 51, 99, 0, 8};
    EXPECT_EQ(run(engine, plannerFor({6, 1, 1, 1, 9}), durga).counters(), Counters({1, 4, 2, 800}));
    durga.powBar = 50;
    EXPECT_EQ(run(engine, plannerFor({6, 1, 1, 1, 9}), durga).counters(), Counters({1, 2, 1, 300}));
  }
}

// The one failed subtree that this search meets twice holds the 46th node of the plan: the count
// remembered for it must print the progress line due there as if the nodes had been counted.
TEST(SearchPlanTest, ProgressLineFallsInsideARememberedCount) {
  for (Engine engine : testing::kAllEngines) {
    SCOPED_TRACE(static_cast<int>(engine));
    ScratchDirectory scratch;
    PlannerState planner = plannerFor({72, 49, 44, 19, 184});
    planner.sectionId = 4;
    planner.charClass = 7;
    SearchStats stats;
    const Outcome plan = run(engine, planner, {0, 72, 47, 43, 16, 9, 74, 34, 77, 178}, 46, &stats);
    EXPECT_EQ(plan.counters(), Counters({1, 53, 8, 1800}));
    EXPECT_EQ(plan.console.substr(0, 48), "Wow this is hard!   1\nREAD STEPS FROM BOTTOM UP\n");
    EXPECT_EQ(stats.countsReused, engine == Engine::kRemembering ? 1u : 0u);
  }
}

// Hopeless targets, two of them on paths that come back to a state already on the path; the plain
// search goes round such a loop until the budget is spent, one case over a million feedings deep.
TEST(SearchPlanTest, HopelessSearchesGiveUpAtTheSixthProgressLine) {
  struct Case {
    MagState start;
    Target target;
    std::size_t plainDepth;  // the plain search's path gets deeper than this
    std::uint64_t loops;     // loops the remembering search finds
  };
  const Case cases[] = {
      {kBabyMag, {5, 0, 0, 195, 200}, 10, 0},
      {{39, 5, 0, 0, 0, 0, 0, 0, 14, 5}, {5, 2, 0, 4, 11}, 1000, 1},  // bars as in a feeding loop
      {{42, 11, 1, 0, 35, 84, 0, 53, 6, 47}, {38, 29, 97, 36, 200}, 1'000'000, 1},
  };
  for (const Case& hopeless : cases) {
    for (Engine engine : {Engine::kRemembering, Engine::kPlain}) {
      SCOPED_TRACE(::testing::Message()
                   << "form " << hopeless.start.type << ", engine " << static_cast<int>(engine));
      ScratchDirectory scratch;
      SearchStats stats;
      Outcome given = run(engine, plannerFor(hopeless.target), hopeless.start, 2e6, &stats);
      EXPECT_EQ(given.counters(), Counters({0, 12'000'000, 0, 0}));
      EXPECT_EQ(given.console + readFile(kDetailFileName) + readFile(kGroupedFileName),
                "Wow this is hard!   1\nWow this is hard!   2\nWow this is hard!   3\n"
                "Wow this is hard!   4\nWow this is hard!   5\nWow this is hard!   6\n"
                "Sorry, I cant figure a way! :(\n<missing><missing>");
      EXPECT_GT(stats.maxDepth, engine == Engine::kPlain ? hopeless.plainDepth : 0u);
      EXPECT_EQ(stats.loopsFound, engine == Engine::kPlain ? 0u : hopeless.loops);

      // A next plan with a progress line due at its first node, the 12,000,001st of the run:
      // the line shows only if the give-up left the count exactly on the sixth line.
      given.planner.hardCount = 0;
      given.planner.target = {5, 1, 1, 0, 7};
      const Outcome next =
          run(engine, given.planner, {0, 5, 1, 0, 0, 25, 0, 64, 10, 6}, 12'000'001);
      EXPECT_EQ(next.counters(), Counters({1, 12'000'001, 1, 60}));
      EXPECT_EQ(next.console.substr(0, 48), "Wow this is hard!   1\nREAD STEPS FROM BOTTOM UP\n");
    }
  }
}

}  // namespace
}  // namespace ostrel

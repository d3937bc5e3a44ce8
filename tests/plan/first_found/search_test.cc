// The first-found search: its counters on small cases, the budget and its give-up, paths that
// come back to a state already on them, and seeded plans. The shipped search, with and without its
// memory, must do what the plain recursive reference (support/reference_search.cc) does in
// everything a user could see, over several plans in a row so that the node count and with it the
// progress lines carry over from plan to plan; and every plan it finds must replay.
#include "plan/first_found/search.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "plan/report/plan_report.h"
#include "support/cases.h"
#include "support/replay.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using testing::Engine;

// The records one front end keeps over its plans.
struct Planner {
  PlayerRequest request;
  SearchCounters counters;
  PlanFiles files;
  Plan plan;  // the last plan found
};

// One plan as the dialogue and the plan run do it: empty the files, search, write the plan.
// Returns a line with the result, the node count after the search and the plan's feedings and
// cost (none without a plan), then what the console and both plan files show.
std::string planAndShow(Engine engine, Planner& planner, const MagState& start,
                        double interval = 2e6, SearchStats* stats = nullptr) {
  int result = 0;
  Plan& plan = planner.plan;
  const std::string console = testing::consoleOf([&](const Console& console) {
    emptyPlanFiles(planner.files, console);
    result = testing::searchWith(engine, planner.request, planner.counters, planner.files, start,
                                 console, plan, interval, stats);
  });
  if (result != 1) plan = Plan{};
  char counters[128];
  std::snprintf(counters, sizeof counters, "%d: %.0f nodes, %d fed, %.0f meseta\n", result,
                planner.counters.nodeCount, plan.feedCount(), plan.cost);
  return counters + console + "-- detail\n" + testing::readFile(kDetailFileName) + "-- grouped\n" +
         testing::readFile(kGroupedFileName);
}

TEST(SearchPlanTest, CountersOfSmallPlans) {
  for (Engine engine : testing::kAllEngines) {
    SCOPED_TRACE(::testing::Message() << "engine " << static_cast<int>(engine));
    for (const auto& row : testing::caseRows("first_found_counters.txt")) {
      Planner planner{{{}, testing::targetOf(row.at(0))}, {}, {}, {}};
      const std::string shown = planAndShow(engine, planner, testing::magOf(row.at(1)));
      EXPECT_EQ(shown.substr(0, shown.find('\n')), row.at(2)) << row.at(0);
    }
    // The one failed subtree that this search meets twice holds the 46th node of the plan: the
    // count remembered for it must print the progress line due there.
    Planner planner{{{4, 7}, testing::targetOf("72/49/44/19")}, {}, {}, {}};
    const std::string expected = "1: 53 nodes, 8 fed, 1800 meseta\nWow this is hard!   1\n";
    EXPECT_EQ(planAndShow(engine, planner, {0, 72, 47, 43, 16, 9, 74, 34, 77, 178}, 46)
                  .substr(0, expected.size()),
              expected);
  }
}

// Giving up leaves no plan, and nothing in the plan files.
TEST(SearchPlanTest, HopelessSearchesGiveUpAtTheSixthProgressLine) {
  std::string progress;
  for (char line = '1'; line <= '6'; ++line)
    progress += std::string("Wow this is hard!   ") + line + "\n";
  for (const auto& row : testing::caseRows("first_found_hopeless.txt")) {
    for (Engine engine : {Engine::kRemembering, Engine::kPlain}) {
      SCOPED_TRACE(::testing::Message() << row.at(0) << ", engine " << static_cast<int>(engine));
      Planner planner{{{}, testing::targetOf(row.at(1))}, {}, {}, {}};
      SearchStats stats;
      EXPECT_EQ(planAndShow(engine, planner, testing::magOf(row.at(0)), 2e6, &stats),
                "0: 12000000 nodes, 0 fed, 0 meseta\n" + progress +
                    "Sorry, I cant figure a way! :(\n-- detail\n-- grouped\n");
      EXPECT_TRUE(engine != Engine::kPlain || stats.maxDepth > std::stoul(row.at(2)))
          << stats.maxDepth;
    }
  }
}

TEST(SearchPlanTest, SeededPlansMatchTheReferenceAndReplay) {
  using testing::Reach;
  std::mt19937 rng(2718);
  int found = 0, givenUp = 0;
  SearchStats shortcuts;
  for (int run = 0; run < 1000; ++run) {
    // Small progress intervals, so that the budget runs out often and the reference stays shallow.
    const int interval =
        testing::pick(rng, 0, 2) == 0 ? testing::pick(rng, 5, 60) : testing::pick(rng, 3, 15) * 100;
    Planner planner;
    planner.counters.nodeCount = testing::pick(rng, 0, interval * 7);
    for (int plan = 0; plan < 4; ++plan) {
      SCOPED_TRACE(::testing::Message() << "run " << run << " plan " << plan);
      // Targets a few levels up, one stat far up, or def short on a final form.
      const int kind = testing::pick(rng, 0, 7);
      const Reach reach = kind < 3 ? Reach::kNear : kind == 3 ? Reach::kFar : Reach::kFinalForm;
      const int steps[] = {1, 3, 8, 3, 1, 2, 3, 6};
      const testing::PlanCase c = testing::randomCase(rng, reach, steps[kind]);
      planner.request = testing::playerOf(c);
      Planner reference = planner, plain = planner;
      const std::string expected = planAndShow(Engine::kReference, reference, c.start, interval);
      ASSERT_EQ(planAndShow(Engine::kPlain, plain, c.start, interval), expected);
      ASSERT_EQ(planAndShow(Engine::kRemembering, planner, c.start, interval, &shortcuts),
                expected);
      found += expected.starts_with("1:");
      givenUp += expected.find("Sorry") != std::string::npos;
      if (expected.starts_with("1:")) {
        testing::expectPlanReplays(planner.request, c.start, planner.plan);
        testing::expectFilesTell(planner.request.player, planner.plan, ".");
      }
    }
  }
  // The cases must reach what they are meant to test.
  EXPECT_TRUE(found > 2000 && givenUp > 800) << found << " plans found, " << givenUp << " given up";
  EXPECT_TRUE(shortcuts.countsReused > 0 && shortcuts.loopsFound > 0);
}

}  // namespace
}  // namespace ostrel

// Plans with a goal. Over seeded starts and targets that a mag can reach, every plan a goal
// returns must replay through feedItem to exactly the target (and the form asked for) without
// passing a target stat, its files must tell the same plan, it must be no worse than the
// first-found plan on the goal's measure, and it must not depend on the number of threads. No
// form that a search reaches may be one the rules exclude.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/feeding.h"
#include "model/tables.h"
#include "plan/goal/goal.h"
#include "plan/report/plan_report.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

std::string format(const char* format, auto... values) {
  char line[256];
  std::snprintf(line, sizeof line, format, values...);
  return line;
}

bool onTarget(const MagState& mag, const Target& target) {
  return mag.def == target.def && mag.pow == target.pow && mag.dex == target.dex &&
         mag.mind == target.mind;
}

// Replays `plan` from `start` through feedItem: the recorded states before every feeding, the
// cost and the state reached must be what feeding gives, no stat may pass its target and the
// last state must be the target. Then (unless `write` is false) writes the plan through the
// reports and reads the files back: the summaries and the runs must tell the replayed plan.
void expectPlanReplays(const PlayerRequest& request, const MagState& start, const Plan& plan,
                       bool write = true) {
  const Target& target = request.target;
  ASSERT_EQ(plan.start, start);
  MagState mag = start;
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  double cost = 0;
  for (const Feeding& feeding : plan.feedings) {
    ASSERT_EQ(feeding.before, mag);
    ASSERT_TRUE(feeding.item >= 0 && feeding.item < kFedItemCount);
    ASSERT_FALSE(onTarget(mag, target));
    feedItem(request.player, feeding.item, mag);
    cost += kItemPrice[feeding.item];
    ASSERT_TRUE(mag.def <= target.def && mag.pow <= target.pow && mag.dex <= target.dex &&
                mag.mind <= target.mind);
  }
  ASSERT_TRUE(onTarget(mag, target));
  EXPECT_EQ(plan.reached, mag);
  EXPECT_EQ(plan.cost, cost);
  if (!write) return;

  const auto count = static_cast<int>(plan.feedings.size());
  const std::string console = testing::consoleOf([&](const Console& out) {
    PlanFiles files;
    emptyPlanFiles(files, out);
    reportPlan(request.player, plan, files, out);
  });
  const std::string summary =
      format("%s(%d) %d/%d/%d/%d complete in %d feedings.  Cost: %.0lf meseta.",
             kMagTypeNames[mag.type], mag.level, mag.def, mag.pow, mag.dex, mag.mind, count, cost);
  const std::string detail = testing::readFile(kDetailFileName);
  const std::string grouped = testing::readFile(kGroupedFileName);
  EXPECT_TRUE(detail.starts_with(summary + " Time: approx " + format("%.2lf", count / 60.0)));
  EXPECT_NE(grouped.find(summary + "  Time:"), std::string::npos);
  EXPECT_NE(console.find(summary + "  Time:"), std::string::npos);
  int detailLines = 0;
  for (char c : detail) detailLines += c == '\n' ? 1 : 0;
  EXPECT_EQ(detailLines, count + 1);
  std::istringstream runs(grouped);
  int runTotal = 0;
  for (std::string run; std::getline(runs, run);) {
    if (run.starts_with("Feed ")) runTotal += std::atoi(run.c_str() + 5);
  }
  EXPECT_EQ(runTotal, count);
}

int pick(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

// A mag that feeding can make, and a target that it can reach: random feedings from a new mag
// give the start, more of them the target.
MagState randomCase(std::mt19937& rng, PlayerRequest& request) {
  request.player.charClass = pick(rng, 0, kCharClassCount - 1);
  request.player.sectionId = pick(rng, 0, kSectionIdCount - 1);
  const int startLevel = pick(rng, 0, 3) == 0 ? 5 : pick(rng, 5, 180);
  const int gain = pick(rng, 1, pick(rng, 0, 4) == 0 ? 60 : 25);
  MagState mag = kBabyMag;
  const auto feedTo = [&](int level) {
    while (mag.level < level && mag.level < kMaxLevel)
      feedItem(request.player, pick(rng, 0, 9), mag);
  };
  feedTo(startLevel);
  if (mag.level >= kMaxLevel) return randomCase(rng, request);
  const MagState start = mag;
  feedTo(std::min(start.level + gain, kMaxLevel));
  request.target = {mag.def, mag.pow, mag.dex, mag.mind, mag.level};
  return start;
}

GoalOptions optionsFor(Goal goal, std::int32_t width, std::int32_t threads) {
  GoalOptions options;
  options.goal = goal;
  options.beamWidth = width;
  options.threads = threads;
  // A short budget for the first-found search: the seeded targets need not be easy for it.
  options.firstSearch.progressInterval = 20'000;
  return options;
}

// Whether `plan` is no worse than `other` on the goal's measure.
bool noWorse(Goal goal, const Plan& plan, const Plan& other) {
  return planScore(goal, plan) <= planScore(goal, other);
}

TEST(GoalSearchTest, SeededPlansReplayAndBeatTheFirstFound) {
  std::mt19937 rng(1613);
  int beamBetter = 0;
  int firstGaveUp = 0;
  int formsSeen = 0;
  int formOutcomes[3] = {};  // found, none, excluded
  for (int run = 0; run < 300; ++run) {
    PlayerRequest request;
    const MagState start = randomCase(rng, request);
    const Goal goal = run % 2 == 0 ? Goal::kCheapest : Goal::kFewest;
    GoalOptions options = optionsFor(goal, 12, 1);
    options.everyForm = run % 3 == 0;
    SCOPED_TRACE(::testing::Message() << "run " << run);
    const GoalResult result = planForGoal(request, start, options);
    ASSERT_EQ(result.outcome, GoalOutcome::kFound);
    expectPlanReplays(request, start, result.plan);
    if (result.first) {
      EXPECT_TRUE(noWorse(goal, result.plan, *result.first));
      beamBetter += planScore(goal, result.plan) < planScore(goal, *result.first) ? 1 : 0;
    } else {
      ++firstGaveUp;
    }
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      const FormResult& form = result.forms[type];
      if (!form.best) continue;
      ++formsSeen;
      // A form that a plan reaches is never one that the rules exclude.
      EXPECT_EQ(form.exclusion.kind, ExclusionKind::kNone)
          << kMagTypeNames[type] << ": " << exclusionText(form.exclusion);
      EXPECT_EQ(form.best->reached.type, type);
      // Writing a plan opens the files once a feeding: every fifth run is enough for these.
      expectPlanReplays(request, start, *form.best, run % 5 == 0);
      EXPECT_TRUE(noWorse(goal, result.plan, *form.best));
    }
    // A form asked for ends the plan in that form, or the rules exclude it, or none is found.
    // Mostly one of the forms the rules leave open, sometimes any.
    std::vector<MagType> open;
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (result.forms[type].exclusion.kind == ExclusionKind::kNone) open.push_back(type);
    }
    const MagType wanted = run % 4 == 0 ? pick(rng, 0, kMagTypeCount - 1)
                                        : open[pick(rng, 0, static_cast<int>(open.size()) - 1)];
    options.form = wanted;
    options.everyForm = false;
    const GoalResult forForm = planForGoal(request, start, options);
    ++formOutcomes[static_cast<int>(forForm.outcome)];
    if (result.forms[wanted].exclusion.kind != ExclusionKind::kNone) {
      EXPECT_EQ(forForm.outcome, GoalOutcome::kExcluded);
    } else if (forForm.outcome == GoalOutcome::kFound) {
      EXPECT_EQ(forForm.plan.reached.type, wanted);
      expectPlanReplays(request, start, forForm.plan);
    } else {
      EXPECT_EQ(forForm.outcome, GoalOutcome::kNone);
    }
  }
  // The cases must reach what they are meant to test.
  EXPECT_GT(beamBetter, 200);
  EXPECT_GT(firstGaveUp, 3);
  EXPECT_GT(formsSeen, 300);
  EXPECT_TRUE(formOutcomes[0] > 100 && formOutcomes[1] > 10 && formOutcomes[2] > 30)
      << formOutcomes[0] << " found, " << formOutcomes[1] << " none, " << formOutcomes[2]
      << " excluded";
}

TEST(GoalSearchTest, TheFirstGoalIsTheFirstFoundPlan) {
  PlayerRequest request;
  request.target = {5, 1, 1, 0, 7};
  const GoalResult result = planForGoal(request, kBabyMag, optionsFor(Goal::kFirst, 8, 1));
  ASSERT_EQ(result.outcome, GoalOutcome::kFound);
  // The worked plan: two Trimates and two Antiparalysis, 4,120 meseta.
  ASSERT_EQ(result.plan.feedCount(), 4);
  EXPECT_EQ(result.plan.cost, 4120);
  EXPECT_EQ(result.plan.feedings[0].item, 2);
  EXPECT_EQ(result.plan.feedings[3].item, 7);
  expectPlanReplays(request, kBabyMag, result.plan);
  // The cheapest plan there is far cheaper; the shortest is no longer.
  const GoalResult cheapest = planForGoal(request, kBabyMag, optionsFor(Goal::kCheapest, 8, 1));
  EXPECT_LT(cheapest.plan.cost, 1000);
  expectPlanReplays(request, kBabyMag, cheapest.plan);
  const GoalResult fewest = planForGoal(request, kBabyMag, optionsFor(Goal::kFewest, 8, 1));
  EXPECT_LE(fewest.plan.feedCount(), 4);
  expectPlanReplays(request, kBabyMag, fewest.plan);
}

void expectSameItems(const Plan& one, const Plan& two) {
  EXPECT_EQ(one.cost, two.cost);
  ASSERT_EQ(one.feedCount(), two.feedCount());
  for (std::size_t i = 0; i < one.feedings.size(); ++i) {
    ASSERT_EQ(one.feedings[i].item, two.feedings[i].item) << "feeding " << i;
  }
}

// The same plans whether the searches run on one thread or two, on a full-size target: the
// goal's plan, and with every form looked for, every form's.
TEST(GoalSearchTest, OneOrTwoThreadsGiveTheSamePlans) {
  PlayerRequest request;
  request.player.sectionId = 2;
  request.player.charClass = 7;
  request.target = {20, 110, 50, 20, 200};
  const MagState varuna{2, 8, 12, 3, 2, 40, 70, 10, 0, 25};
  for (Goal goal : {Goal::kCheapest, Goal::kFewest}) {
    int formsOfTheGoal = 0;
    for (bool everyForm : {false, true}) {
      if (goal == Goal::kFewest && everyForm) continue;
      GoalOptions oneThread = optionsFor(goal, 96, 1);
      GoalOptions twoThreads = optionsFor(goal, 96, 2);
      oneThread.everyForm = everyForm;
      twoThreads.everyForm = everyForm;
      const GoalResult one = planForGoal(request, varuna, oneThread);
      const GoalResult two = planForGoal(request, varuna, twoThreads);
      ASSERT_EQ(one.outcome, GoalOutcome::kFound);
      ASSERT_EQ(two.outcome, GoalOutcome::kFound);
      expectPlanReplays(request, varuna, one.plan);
      expectSameItems(one.plan, two.plan);
      EXPECT_EQ(one.feedingsTried, two.feedingsTried);
      int formsFound = 0;
      for (MagType type = 0; type < kMagTypeCount; ++type) {
        ASSERT_EQ(one.forms[type].best.has_value(), two.forms[type].best.has_value()) << type;
        if (!one.forms[type].best) continue;
        ++formsFound;
        expectPlanReplays(request, varuna, *one.forms[type].best, false);
        expectSameItems(*one.forms[type].best, *two.forms[type].best);
      }
      // Looking on for every form finds more of them than the goal's search alone.
      if (everyForm) {
        EXPECT_GT(formsFound, formsOfTheGoal);
      } else {
        formsOfTheGoal = formsFound;
      }
    }
  }
}

// 50/50/50/50 for section ID 0 meets def + mind = pow + dex at level 200: every route ends as
// Deva, and the search finds it so.
TEST(GoalSearchTest, AFormTheRulesExcludeIsReportedNotSearched) {
  PlayerRequest request;
  request.target = {50, 50, 50, 50, 200};
  GoalOptions options = optionsFor(Goal::kCheapest, 8, 1);
  options.form = 28;  // varaha
  const GoalResult varaha = planForGoal(request, kBabyMag, options);
  EXPECT_EQ(varaha.outcome, GoalOutcome::kExcluded);
  EXPECT_EQ(varaha.exclusion.kind, ExclusionKind::kPairSumAtTarget);
  EXPECT_EQ(varaha.feedingsTried, 0U);
  options.form = 36;  // Deva
  const GoalResult deva = planForGoal(request, kBabyMag, options);
  ASSERT_EQ(deva.outcome, GoalOutcome::kFound);
  EXPECT_EQ(deva.plan.reached.type, 36);
  expectPlanReplays(request, kBabyMag, deva.plan);
}

// At 5/20/20/15 the level-60 evolution of a Humar's mag goes by the tie of pow and dex, which
// the last feeding breaks: varaha or ila. The cheapest plan ends as varaha; ila costs more.
TEST(GoalSearchTest, AFormReachedOnlyOnACostlierRoute) {
  PlayerRequest request;
  request.target = {5, 20, 20, 15, 60};
  GoalOptions options = optionsFor(Goal::kCheapest, 16, 1);
  const GoalResult cheapest = planForGoal(request, kBabyMag, options);
  ASSERT_EQ(cheapest.outcome, GoalOutcome::kFound);
  EXPECT_EQ(cheapest.plan.reached.type, 28);  // varaha
  options.form = 9;                           // ila
  const GoalResult ila = planForGoal(request, kBabyMag, options);
  ASSERT_EQ(ila.outcome, GoalOutcome::kFound);
  EXPECT_EQ(ila.plan.reached.type, 9);
  EXPECT_GT(ila.plan.cost, cheapest.plan.cost);
  expectPlanReplays(request, kBabyMag, ila.plan);
  // Any other level-60 form is decided out by the target stats.
  options.form = 10;  // nandin
  EXPECT_EQ(planForGoal(request, kBabyMag, options).outcome, GoalOutcome::kExcluded);
}

// A diwari whose first-found search goes round in loops until it gives up: the goal searches
// still find plans. diwari is a final form, so they end as diwari and no other form is possible.
TEST(GoalSearchTest, PlansWhereTheFirstFoundSearchGivesUp) {
  PlayerRequest request;
  request.target = {38, 29, 97, 36, 200};
  request.player.charClass = 6;
  request.player.sectionId = 2;
  const MagState diwari{42, 11, 1, 0, 35, 84, 0, 53, 6, 47};
  for (Goal goal : {Goal::kCheapest, Goal::kFewest}) {
    GoalOptions options = optionsFor(goal, 16, 1);
    const GoalResult result = planForGoal(request, diwari, options);
    EXPECT_FALSE(result.first);
    ASSERT_EQ(result.outcome, GoalOutcome::kFound);
    EXPECT_EQ(result.plan.reached.type, 42);
    expectPlanReplays(request, diwari, result.plan);
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      EXPECT_EQ(result.forms[type].exclusion.kind == ExclusionKind::kNone, type == 42);
    }
    options.form = 36;
    EXPECT_EQ(planForGoal(request, diwari, options).outcome, GoalOutcome::kExcluded);
  }
  // 5/0/0/195 from a new mag, where the first-found search gives up too: every state the beams
  // hold soon has a bar it cannot keep below a target, so they run dry quickly, with no plan.
  request.target = {5, 0, 0, 195, 200};
  const GoalResult none = planForGoal(request, kBabyMag, optionsFor(Goal::kCheapest, 16, 1));
  EXPECT_EQ(none.outcome, GoalOutcome::kNone);
  EXPECT_FALSE(none.first);
  EXPECT_LT(none.feedingsTried, 100'000U);
}

TEST(GoalSearchTest, ProgressShowsTheFeedingsTriedAndTheBestPlan) {
  PlayerRequest request;
  request.target = {10, 20, 20, 10, 60};
  GoalProgress progress;
  GoalOptions options = optionsFor(Goal::kFewest, 16, 2);
  options.progress = &progress;
  const GoalResult result = planForGoal(request, kBabyMag, options);
  ASSERT_EQ(result.outcome, GoalOutcome::kFound);
  EXPECT_EQ(progress.feedingsTried.load(), result.feedingsTried);
  EXPECT_EQ(progress.best.load(), planScore(Goal::kFewest, result.plan));
  EXPECT_EQ(scoreFeedings(Goal::kFewest, progress.best), result.plan.feedCount());
  EXPECT_EQ(scoreCost(Goal::kFewest, progress.best), result.plan.cost);
}

}  // namespace
}  // namespace ostrel

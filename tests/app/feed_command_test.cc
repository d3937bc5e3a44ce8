// The feeding simulator: reading item lists, and feeding found plans back run by run, which must
// pass through every run's starting mag and end at the plan's mag; a mag at level 200 stays put.
#include "app/feed_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "model/feeding.h"
#include "model/tables.h"
#include "plan/first_found/search.h"
#include "support/command_output.h"
#include "support/plan_cases.h"

namespace ostrel {
namespace {

std::string itemsOf(const std::vector<FeedRun>& runs) {
  std::string shown;
  for (const FeedRun& run : runs) {
    shown += std::to_string(run.count) + "x" + std::to_string(run.item) + " ";
  }
  return shown;
}

TEST(ReadItemsTest, NamesCountsAndSpacing) {
  const std::pair<const char*, const char*> read[] = {
      {"4 Sol Atomizer, 2 Moon Atomizer, Difluid", "4x8 2x9 1x4 "},
      {"4solatomizer,2 MOONATOMIZER ,  difluid", "4x8 2x9 1x4 "},
      {"Star Atomizer", "1x10 "},  // never in a plan, but the game feeds it
      {"monomate, Monomate", "1x0 1x0 "},
      {"9999 Anti paralysis", "9999x7 "},
      {"007 Trifluid", "7x5 "},
  };
  for (const auto& [text, runs] : read) {
    std::vector<FeedRun> parsed;
    EXPECT_EQ(readItems(text, parsed), "") << text;
    EXPECT_EQ(itemsOf(parsed), runs) << text;
  }
  for (const char* refused : {"", ",", "Difluid,", "-1 Difluid", "Sol Atomizer 4", "4", "x"}) {
    std::vector<FeedRun> parsed;
    EXPECT_NE(readItems(refused, parsed), "") << refused;
    EXPECT_TRUE(parsed.empty()) << refused;
  }
}

// Every found plan, fed back run by run from its start, passes through the mag each of its runs
// starts from and reaches the plan's mag, bars included.
TEST(FeedRunsTest, FoundPlansFedBackReachTheirMags) {
  std::mt19937 rng(777);
  int plans = 0;
  for (int i = 0; i < 150; ++i) {
    const testing::PlanCase c = testing::randomPlanCase(rng, 6);
    const PlayerRequest request{{c.section, c.charClass}, c.target};
    SearchCounters counters;
    std::FILE* const devNull = std::fopen("/dev/null", "w");
    Plan plan;
    const bool found = findFirstPlan(request, counters, c.start, Console{devNull, devNull}, plan);
    std::fclose(devNull);
    if (!found) continue;
    ++plans;
    std::vector<FeedRun> runs;
    std::vector<MagState> runStarts;
    std::string text;
    for (const Feeding& feeding : plan.feedings) {
      if (runs.empty() || runs.back().item != feeding.item) {
        runs.push_back({feeding.item, 0, {}});
        runStarts.push_back(feeding.before);
      }
      ++runs.back().count;
    }
    for (const FeedRun& run : runs) {
      text += std::to_string(run.count) + " " + kItemNames[run.item] + ", ";
    }
    text.resize(text.size() - 2);
    std::vector<FeedRun> read;
    ASSERT_EQ(readItems(text, read), "");
    feedRuns(request.player, c.start, read);
    ASSERT_EQ(read.size(), runs.size());
    for (std::size_t r = 0; r + 1 < read.size(); ++r) EXPECT_EQ(read[r].after, runStarts[r + 1]);
    EXPECT_EQ(read.back().after, plan.reached);
    const MagState& reached = read.back().after;
    EXPECT_TRUE(reached.def == c.target.def && reached.pow == c.target.pow &&
                reached.dex == c.target.dex && reached.mind == c.target.mind);
  }
  EXPECT_GT(plans, 75);
}

TEST(FeedRunsTest, LevelCapAndEvolution) {
  const Player player{2, 4};
  // 199 levels: one more level-up, then nothing changes any more, bars included.
  const MagState start = {28, 100, 50, 49, 0, 99, 99, 99, 99, 199};
  std::vector<FeedRun> runs = {{8, 1, {}}, {8, 5, {}}};
  feedRuns(player, start, runs);
  EXPECT_EQ(runs[0].after.level, 200);
  EXPECT_EQ(runs[1].after, runs[0].after);
  // A new mag at level 10 evolves by class: a ramar's is kalki.
  std::vector<FeedRun> toTen = {{0, 200, {}}};
  feedRuns(player, kBabyMag, toTen);
  EXPECT_GE(toTen[0].after.level, 10);
  EXPECT_NE(toTen[0].after.type, 0);
}

TEST(FeedCommandTest, JsonSummaryAddsUpTheRuns) {
  FeedCommandOptions options;
  options.mag = {"skyly", "ramar", "", "", ""};
  options.items = "4 Sol Atomizer, 2 Moon Atomizer, Difluid";
  options.format = "json";
  const auto run =
      testing::runCaught([&](const Console& console) { return runFeedCommand(options, console); });
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json document = nlohmann::json::parse(run.out);
  EXPECT_EQ(document["runs"].size(), 3U);
  EXPECT_EQ(document["runs"][2]["after"], document["summary"]["reached"]);
  EXPECT_EQ(document["summary"]["reached"]["stats"],
            nlohmann::json({{"def", 6}, {"pow", 1}, {"dex", 0}, {"mind", 2}}));
  EXPECT_EQ(document["summary"]["feedings"], 7);
  EXPECT_EQ(document["summary"]["meseta"], 4 * 300 + 2 * 500 + 500);
  EXPECT_EQ(document["summary"]["hours"], 0.12);
}

}  // namespace
}  // namespace ostrel

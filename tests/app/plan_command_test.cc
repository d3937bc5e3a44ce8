// `ostrel plan` in the test process: the JSON document of every seeded plan is replayed through
// feedItem and must agree with the replay, with itself (runs and feedings, summary) and with the
// plan files written beside it; a request without a plan still gives a whole document.
#include "app/plan_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

#include "model/feeding.h"
#include "model/tables.h"
#include "plan/plan_report.h"
#include "support/command_output.h"
#include "support/plan_cases.h"

namespace ostrel {
namespace {

using nlohmann::json;

PlanCommandOptions optionsFor(const testing::PlanCase& c, const std::string& format) {
  PlanCommandOptions options;
  const std::vector<std::string> args = testing::planArguments(c, true);
  for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
    const std::string& value = args[i + 1];
    if (args[i] == "--section") options.mag.section = value;
    if (args[i] == "--class") options.mag.charClass = value;
    if (args[i] == "--mag") options.mag.mag = value;
    if (args[i] == "--stats") options.mag.stats = value;
    if (args[i] == "--bars") options.mag.bars = value;
    if (args[i] == "--target") options.target = value;
  }
  options.format = format;
  return options;
}

// Whether the document's mag is `mag`, form, level, stats and bars.
::testing::AssertionResult sameMag(const json& shown, const MagState& mag) {
  const json expected = {
      {"form", kMagTypeNames[mag.type]},
      {"formNumber", mag.type + 1},
      {"level", mag.level},
      {"stats", {{"def", mag.def}, {"pow", mag.pow}, {"dex", mag.dex}, {"mind", mag.mind}}},
      {"bars",
       {{"def", mag.defBar}, {"pow", mag.powBar}, {"dex", mag.dexBar}, {"mind", mag.mindBar}}}};
  if (shown == expected) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << shown.dump() << " is not " << expected.dump();
}

Item itemNamed(const std::string& name) {
  for (Item item = 0; item < kItemCount; ++item) {
    if (name == kItemNames[item]) return item;
  }
  return -1;
}

// Replays the document's feedings from its start and checks everything it says against the replay.
void expectDocumentReplays(const testing::PlanCase& c, const json& document) {
  const Target& target = c.target;
  EXPECT_EQ(document["player"]["sectionId"], kSectionIdNames[c.section]);
  EXPECT_EQ(document["player"]["charClass"], kCharClassNames[c.charClass]);
  EXPECT_TRUE(sameMag(document["start"], c.start));
  EXPECT_EQ(document["target"], json({{"def", target.def},
                                      {"pow", target.pow},
                                      {"dex", target.dex},
                                      {"mind", target.mind},
                                      {"level", target.level}}));
  PlannerState planner;
  planner.sectionId = c.section;
  planner.charClass = c.charClass;
  MagState mag = c.start;
  std::int64_t meseta = 0;
  for (const json& feeding : document["feedings"]) {
    ASSERT_TRUE(sameMag(feeding["before"], mag));
    const Item item = itemNamed(feeding["item"]);
    ASSERT_GE(item, 0) << feeding["item"];
    feedItem(planner, item, mag);
    meseta += kItemPrice[item];
    ASSERT_TRUE(mag.def <= target.def && mag.pow <= target.pow && mag.dex <= target.dex &&
                mag.mind <= target.mind);
  }
  EXPECT_TRUE(mag.def == target.def && mag.pow == target.pow && mag.dex == target.dex &&
              mag.mind == target.mind);
  const json& summary = document["summary"];
  const auto feedings = static_cast<std::int32_t>(document["feedings"].size());
  EXPECT_TRUE(sameMag(summary["reached"], mag));
  EXPECT_EQ(summary["feedings"], feedings);
  EXPECT_EQ(summary["meseta"], meseta);
  char hours[32];
  std::snprintf(hours, sizeof hours, "%.2f", feedings / 60.0);
  EXPECT_EQ(summary["hours"].get<double>(), std::stod(hours));

  // The runs, first first, are the feedings grouped: same items, counts and starting mags.
  std::size_t next = 0;
  std::string previous;
  for (const json& run : document["runs"]) {
    EXPECT_NE(run["item"], previous);  // a run takes in every feeding of its item in a row
    previous = run["item"];
    ASSERT_LE(next + run["count"].get<std::size_t>(), document["feedings"].size());
    EXPECT_EQ(run["before"], document["feedings"][next]["before"]);
    for (int i = 0; i < run["count"].get<int>(); ++i, ++next) {
      EXPECT_EQ(run["item"], document["feedings"][next]["item"]);
    }
  }
  EXPECT_EQ(next, document["feedings"].size());

  // The plan files tell the same plan: the detail file a line per feeding under the summary, the
  // grouped file the runs' counts, last run first.
  std::istringstream detail(testing::readFile(kDetailFileName));
  std::string line;
  std::getline(detail, line);
  char summaryLine[256];
  std::snprintf(summaryLine, sizeof summaryLine, "%s(%d) %d/%d/%d/%d complete in %d feedings.",
                kMagTypeNames[mag.type], mag.level, mag.def, mag.pow, mag.dex, mag.mind, feedings);
  EXPECT_TRUE(line.starts_with(summaryLine)) << line;
  int detailLines = 0;
  while (std::getline(detail, line)) ++detailLines;
  EXPECT_EQ(detailLines, feedings);
  std::istringstream grouped(testing::readFile(kGroupedFileName));
  std::vector<int> runCounts;
  while (std::getline(grouped, line)) {
    if (line.starts_with("Feed ")) runCounts.insert(runCounts.begin(), std::stoi(line.substr(5)));
  }
  ASSERT_EQ(runCounts.size(), document["runs"].size());
  for (std::size_t i = 0; i < runCounts.size(); ++i) {
    EXPECT_EQ(document["runs"][i]["count"], runCounts[i]);
  }
}

TEST(PlanJsonTest, EverySeededPlanReplays) {
  std::mt19937 rng(4242);
  int plans = 0;
  for (int i = 0; i < 150; ++i) {
    const testing::PlanCase c = testing::randomPlanCase(rng, 6);
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << testing::dialogueInput(c));
    const auto run = testing::runCaught(
        [&](const Console& console) { return runPlanCommand(optionsFor(c, "json"), console); });
    const json document = json::parse(run.out);
    if (run.status != 0) {
      EXPECT_EQ(run.status, 1);
      EXPECT_TRUE(document["outcome"] == "impossible" || document["outcome"] == "gave-up");
      EXPECT_TRUE(document["summary"].is_null() && document["runs"].empty() &&
                  document["feedings"].empty());
      // No plan leaves both files empty, as the dialogue does.
      EXPECT_EQ(testing::readFile(kDetailFileName), "");
      EXPECT_EQ(testing::readFile(kGroupedFileName), "");
      continue;
    }
    ++plans;
    EXPECT_EQ(document["outcome"], "found");
    expectDocumentReplays(c, document);
  }
  EXPECT_GT(plans, 75);
}

// A request without a plan names the way it failed: the search gave up, or had nothing to try.
TEST(PlanJsonTest, OutcomesOfNoPlan) {
  testing::PlanCase hopeless;
  hopeless.target = {5, 0, 0, 195, 200};
  const auto gaveUp = testing::runCaught([&](const Console& console) {
    return runPlanCommand(optionsFor(hopeless, "json"), console);
  });
  EXPECT_EQ(gaveUp.status, 1);
  EXPECT_EQ(json::parse(gaveUp.out)["outcome"], "gave-up");
  testing::PlanCase none;
  none.target = {8, 0, 0, 0, 8};
  const auto impossible = testing::runCaught(
      [&](const Console& console) { return runPlanCommand(optionsFor(none, "json"), console); });
  EXPECT_EQ(impossible.status, 1);
  EXPECT_EQ(json::parse(impossible.out)["outcome"], "impossible");
  EXPECT_EQ(impossible.err,
            "ostrel plan: no plan: no sequence of feedings reaches 8/0/0/0 from this mag\n");
}

}  // namespace
}  // namespace ostrel

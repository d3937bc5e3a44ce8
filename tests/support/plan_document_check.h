// Checking a plan document of `ostrel plan --format json`: its feedings are replayed through
// feedItem from its start, must reach the target without passing it, and everything else it says
// (runs, summary) and the plan files written with it must agree with the replay.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "model/feeding.h"
#include "model/tables.h"
#include "plan/report/plan_report.h"
#include "support/plan_cases.h"
#include "support/test_support.h"

namespace ostrel::testing {

using json = nlohmann::json;

// Whether the document's mag is `mag`, form, level, stats and bars.
inline ::testing::AssertionResult sameMag(const json& shown, const MagState& mag) {
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

inline Item itemNamed(const std::string& name) {
  for (Item item = 0; item < kItemCount; ++item) {
    if (name == kItemNames[item]) return item;
  }
  return -1;
}

// Replays the document's feedings from its start and checks everything it says against the
// replay, and against the plan files in `dir`.
inline void expectDocumentReplays(const PlanCase& c, const nlohmann::json& document,
                                  const std::filesystem::path& dir) {
  const Target& target = c.target;
  EXPECT_EQ(document["player"]["sectionId"], kSectionIdNames[c.section]);
  EXPECT_EQ(document["player"]["charClass"], kCharClassNames[c.charClass]);
  EXPECT_TRUE(sameMag(document["start"], c.start));
  EXPECT_EQ(document["target"], json({{"def", target.def},
                                      {"pow", target.pow},
                                      {"dex", target.dex},
                                      {"mind", target.mind},
                                      {"level", target.level}}));
  const Player player{c.section, c.charClass};
  MagState mag = c.start;
  std::int64_t meseta = 0;
  for (const json& feeding : document["feedings"]) {
    ASSERT_TRUE(sameMag(feeding["before"], mag));
    const Item item = itemNamed(feeding["item"]);
    ASSERT_GE(item, 0) << feeding["item"];
    feedItem(player, item, mag);
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
  std::istringstream detail(readFile(dir / kDetailFileName));
  std::string line;
  std::getline(detail, line);
  char summaryLine[256];
  std::snprintf(summaryLine, sizeof summaryLine, "%s(%d) %d/%d/%d/%d complete in %d feedings.",
                kMagTypeNames[mag.type], mag.level, mag.def, mag.pow, mag.dex, mag.mind, feedings);
  EXPECT_TRUE(line.starts_with(summaryLine)) << line;
  int detailLines = 0;
  while (std::getline(detail, line)) ++detailLines;
  EXPECT_EQ(detailLines, feedings);
  std::istringstream grouped(readFile(dir / kGroupedFileName));
  std::vector<int> runCounts;
  while (std::getline(grouped, line)) {
    if (line.starts_with("Feed ")) runCounts.insert(runCounts.begin(), std::stoi(line.substr(5)));
  }
  ASSERT_EQ(runCounts.size(), document["runs"].size());
  for (std::size_t i = 0; i < runCounts.size(); ++i) {
    EXPECT_EQ(document["runs"][i]["count"], runCounts[i]);
  }
}

}  // namespace ostrel::testing

// The one replay checker (replay.h).
#include "support/replay.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app/feed_command.h"
#include "model/feeding.h"
#include "model/tables.h"
#include "support/test_support.h"

namespace ostrel::testing {
namespace {

using nlohmann::json;

std::string format(const char* format, auto... values) {
  char line[256];
  std::snprintf(line, sizeof line, format, values...);
  return line;
}

bool onTarget(const MagState& mag, const Target& t) {
  return mag.def == t.def && mag.pow == t.pow && mag.dex == t.dex && mag.mind == t.mind;
}

// The plan's runs of one item, first run first.
std::vector<FeedRun> runsOf(const Plan& plan) {
  std::vector<FeedRun> runs;
  for (const Feeding& feeding : plan.feedings) {
    if (runs.empty() || runs.back().item != feeding.item) runs.push_back({feeding.item, 0, {}});
    ++runs.back().count;
  }
  return runs;
}

MagState magOf(const json& shown) {
  const json& s = shown["stats"];
  const json& b = shown["bars"];
  MagState mag{formNamed(shown["form"]),
               s["def"],
               s["pow"],
               s["dex"],
               s["mind"],
               b["def"],
               b["pow"],
               b["dex"],
               b["mind"],
               shown["level"]};
  EXPECT_EQ(shown["formNumber"], mag.type + 1) << shown;
  return mag;
}

}  // namespace

MagState fedOnce(const Player& player, Item item, MagState mag) {
  feedItem(player, item, mag);
  return mag;
}

void expectPlanReplays(const PlayerRequest& request, const MagState& start, const Plan& plan,
                       std::optional<MagType> form) {
  const Target& t = request.target;
  ASSERT_EQ(plan.start, start);
  MagState mag = plan.start;
  double cost = 0;
  for (const Feeding& feeding : plan.feedings) {
    ASSERT_EQ(feeding.before, mag);
    ASSERT_TRUE(feeding.item >= 0 && feeding.item < kFedItemCount) << feeding.item;
    ASSERT_FALSE(onTarget(mag, t));
    mag = fedOnce(request.player, feeding.item, mag);
    cost += kItemPrice[feeding.item];
    ASSERT_TRUE(mag.def <= t.def && mag.pow <= t.pow && mag.dex <= t.dex && mag.mind <= t.mind)
        << statsText(mag.def, mag.pow, mag.dex, mag.mind);
  }
  ASSERT_TRUE(onTarget(mag, t)) << statsText(mag.def, mag.pow, mag.dex, mag.mind);
  EXPECT_EQ(mag.type, form.value_or(mag.type));
  EXPECT_EQ(plan.reached, mag);
  EXPECT_EQ(plan.cost, cost);

  // The simulator agrees run by run.
  std::vector<FeedRun> runs = runsOf(plan);
  feedRuns(request.player, plan.start, runs);
  std::size_t fed = 0;
  for (const FeedRun& run : runs) {
    fed += static_cast<std::size_t>(run.count);
    EXPECT_EQ(run.after, fed < plan.feedings.size() ? plan.feedings[fed].before : mag);
  }
}

void expectFilesTell(const Plan& plan, const std::filesystem::path& dir) {
  const MagState& m = plan.reached;
  const int count = plan.feedCount();
  std::string detail = format(
      "%s(%d) %d/%d/%d/%d complete in %d feedings.  Cost: %.0lf meseta. Time: approx %.2lf hours\n",
      kMagTypeNames[m.type], m.level, m.def, m.pow, m.dex, m.mind, count, plan.cost, count / 60.0);
  for (int i = count - 1; i >= 0; --i) {
    const MagState& b = plan.feedings[static_cast<std::size_t>(i)].before;
    detail += format("Feed %s(%d) %d/%d/%d/%d a %s      Count = %d/%d  Bars: %d/%d/%d/%d\n",
                     kMagTypeNames[b.type], b.level, b.def, b.pow, b.dex, b.mind,
                     kItemNames[plan.feedings[static_cast<std::size_t>(i)].item], count - 1 - i,
                     count, b.defBar, b.powBar, b.dexBar, b.mindBar);
  }
  EXPECT_EQ(readFile(dir / kDetailFileName), detail);
  std::istringstream grouped(readFile(dir / kGroupedFileName));
  std::vector<FeedRun> runs = runsOf(plan);
  for (std::string line; std::getline(grouped, line);) {
    if (!line.starts_with("Feed ")) continue;
    ASSERT_FALSE(runs.empty()) << line;
    EXPECT_EQ(std::stoi(line.substr(5)), runs.back().count) << line;
    EXPECT_NE(line.find(std::string(kItemNames[runs.back().item]) + " to your:"), std::string::npos)
        << line;
    runs.pop_back();
  }
  EXPECT_TRUE(runs.empty());
}

void expectDocumentReplays(const PlanCase& c, const json& document,
                           const std::filesystem::path& dir) {
  const Target& t = c.target;
  EXPECT_EQ(document["player"]["sectionId"], kSectionIdNames[c.section]);
  EXPECT_EQ(document["player"]["charClass"], kCharClassNames[c.charClass]);
  EXPECT_EQ(magOf(document["start"]), c.start);
  EXPECT_EQ(
      document["target"],
      json({{"def", t.def}, {"pow", t.pow}, {"dex", t.dex}, {"mind", t.mind}, {"level", t.level}}));
  Plan plan;
  plan.start = c.start;
  for (const json& feeding : document["feedings"]) {
    plan.feedings.push_back({itemNamed(feeding["item"]), magOf(feeding["before"])});
  }
  const json& summary = document["summary"];
  plan.reached = magOf(summary["reached"]);
  plan.cost = summary["meseta"];
  expectPlanReplays(playerOf(c), c.start, plan);
  EXPECT_EQ(summary["feedings"], plan.feedCount());
  EXPECT_EQ(summary["hours"], std::stod(format("%.2f", plan.feedCount() / 60.0)));
  json runs = json::array();
  std::size_t next = 0;
  for (const FeedRun& run : runsOf(plan)) {
    runs.push_back({{"item", kItemNames[run.item]},
                    {"count", run.count},
                    {"before", document["feedings"][next]["before"]}});
    next += static_cast<std::size_t>(run.count);
  }
  EXPECT_EQ(document["runs"], runs);
  if (!dir.empty()) expectFilesTell(plan, dir);
}

}  // namespace ostrel::testing

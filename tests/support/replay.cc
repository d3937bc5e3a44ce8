// The one replay checker (replay.h).
#include "support/replay.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "app/feed_command.h"
#include "model/feeding.h"
#include "model/tables.h"
#include "plan/report/plan_report.h"
#include "support/test_support.h"

namespace ostrel::testing {
namespace {

using nlohmann::json;

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

// A bound beside what a plan spent: never above it, and the ratio the plan's to it rounded up to
// a thousandth.
void expectBoundOf(const json& bound, const char* unit, double spent) {
  const double least = bound[unit];
  EXPECT_LE(least, spent) << bound;
  EXPECT_GE(bound["ratio"].get<double>() * least, spent - 1e-6) << bound;
  EXPECT_LT((bound["ratio"].get<double>() - 0.001) * least, spent) << bound;
}

MagState shownMag(const json& shown) {
  const auto four = [](const json& n) {
    return statsText(n["def"], n["pow"], n["dex"], n["mind"]);
  };
  const MagState mag =
      magOf(std::string(shown["form"]) + " " + four(shown["stats"]) + " " + four(shown["bars"]));
  EXPECT_EQ(shown["formNumber"], mag.type + 1) << shown;
  EXPECT_EQ(shown["level"], mag.level) << shown;
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
    EXPECT_EQ(run.unchanged, 0);  // no item bought for nothing
  }
}

void expectFilesTell(const Player& player, const Plan& plan, const std::filesystem::path& dir) {
  PlanFiles told{{"told-detail.txt", "told-grouped.txt"}, {}};
  consoleOf([&](const Console& console) {
    emptyPlanFiles(told, console);
    reportPlan(player, plan, told, console);
  });
  EXPECT_EQ(readFile(dir / kDetailFileName), readFile(told.paths.detail));
  EXPECT_EQ(readFile(dir / kGroupedFileName), readFile(told.paths.grouped));
}

void expectDocumentReplays(const PlanCase& c, const json& document,
                           const std::filesystem::path& dir) {
  const Target& t = c.target;
  EXPECT_EQ(document["player"], json({{"sectionId", kSectionIdNames[c.section]},
                                      {"charClass", kCharClassNames[c.charClass]}}));
  EXPECT_EQ(shownMag(document["start"]), c.start);
  EXPECT_EQ(
      document["target"],
      json({{"def", t.def}, {"pow", t.pow}, {"dex", t.dex}, {"mind", t.mind}, {"level", t.level}}));
  Plan plan;
  plan.start = c.start;
  for (const json& feeding : document["feedings"]) {
    plan.feedings.push_back({itemNamed(feeding["item"]), shownMag(feeding["before"])});
  }
  const json& summary = document["summary"];
  plan.reached = shownMag(summary["reached"]);
  plan.cost = summary["meseta"];
  expectPlanReplays(playerOf(c), c.start, plan);
  EXPECT_EQ(summary["feedings"], plan.feedCount());
  EXPECT_NEAR(summary["hours"], plan.feedCount() / 60.0, 0.005);
  json runs = json::array();
  std::size_t next = 0;
  for (const FeedRun& run : runsOf(plan)) {
    runs.push_back({{"item", kItemNames[run.item]},
                    {"count", run.count},
                    {"before", document["feedings"][next]["before"]}});
    next += static_cast<std::size_t>(run.count);
  }
  EXPECT_EQ(document["runs"], runs);
  // What to buy: every item fed, in the item menu's order; the counts add up to the feedings and
  // the meseta to the plan's.
  json items = json::array();
  for (Item item = 0; item < kItemCount; ++item) {
    const auto count =
        std::count_if(plan.feedings.begin(), plan.feedings.end(),
                      [item](const Feeding& feeding) { return feeding.item == item; });
    if (count > 0) {
      items.push_back(
          {{"item", kItemNames[item]}, {"count", count}, {"meseta", count * kItemPrice[item]}});
    }
  }
  EXPECT_EQ(document["shopping"],
            json({{"items", items}, {"meseta", static_cast<std::int64_t>(plan.cost)}}));
  // The bound beside the plan, if any, in the goal's unit.
  if (document.contains("bound") && !document["bound"].is_null()) {
    const bool meseta = document["goal"] == "cheapest";
    expectBoundOf(document["bound"], meseta ? "meseta" : "feedings",
                  meseta ? plan.cost : plan.feedCount());
  }
  if (!dir.empty()) expectFilesTell(playerOf(c).player, plan, dir);
}

void expectTradeoffBound(const json& document) {
  const json& points = document["points"];
  const json& bound = document["bound"];
  if (points.empty()) {
    EXPECT_TRUE(bound.is_null()) << bound;
    return;
  }
  ASSERT_FALSE(bound.is_null());
  // The first point's feedings and the last's meseta against the bound; every point spends at
  // least the bound, which holds for every plan.
  if (!bound["fewest"].is_null()) {
    expectBoundOf(bound["fewest"], "feedings", points.front()["feedings"].get<double>());
    for (const json& point : points) EXPECT_LE(bound["fewest"]["feedings"], point["feedings"]);
  }
  if (!bound["cheapest"].is_null()) {
    expectBoundOf(bound["cheapest"], "meseta", points.back()["meseta"].get<double>());
    for (const json& point : points) EXPECT_LE(bound["cheapest"]["meseta"], point["meseta"]);
  }
}

}  // namespace ostrel::testing

// The web page's requests: every plan the page would show is the console program's plan run byte
// for byte (console lines and both files), and its data replays through feedItem to the target;
// refused and malformed requests are answered, never planned.
#include "web/plan_request.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "plan/plan_run.h"
#include "model/feeding.h"
#include "model/tables.h"
#include "plan/plan_report.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using nlohmann::json;

json magJson(const MagState& mag) {
  return {{"type", mag.type},     {"def", mag.def},       {"pow", mag.pow},
          {"dex", mag.dex},       {"mind", mag.mind},     {"defBar", mag.defBar},
          {"powBar", mag.powBar}, {"dexBar", mag.dexBar}, {"mindBar", mag.mindBar}};
}

MagState magOf(const json& mag) {
  return MagState{mag["type"],   mag["def"],    mag["pow"],    mag["dex"],     mag["mind"],
                  mag["defBar"], mag["powBar"], mag["dexBar"], mag["mindBar"], mag["level"]};
}

struct Case {
  SectionId sectionId;
  CharClass charClass;
  const MagState* start;  // null: a new mag
  Target target;
};

json requestOf(const Case& c) {
  return {{"sectionId", c.sectionId},
          {"charClass", c.charClass},
          {"goal", "first"},
          {"start", c.start != nullptr ? magJson(*c.start) : json(nullptr)},
          {"target",
           {{"def", c.target.def},
            {"pow", c.target.pow},
            {"dex", c.target.dex},
            {"mind", c.target.mind}}}};
}

// Plans in a directory of its own, so the page's files never meet the console program's.
json plan(const json& request, std::string* lines = nullptr) {
  const std::filesystem::path dir = testing::scratchDirectory.path / "web";
  std::filesystem::create_directories(dir);
  const auto sink = [lines](std::string_view line) {
    if (lines != nullptr) lines->append(line);
  };
  return json::parse(web::planJson(request.dump(), dir.string(), sink));
}

// The console program's plan run on the same answers, in the working directory.
struct ConsoleRun {
  std::string console;
  std::string detail;
  std::string grouped;
};
ConsoleRun runConsoleProgram(const Case& c) {
  PlannerState planner;
  planner.sectionId = c.sectionId;
  planner.charClass = c.charClass;
  planner.target = c.target;
  planner.target.level = c.target.def + c.target.pow + c.target.dex + c.target.mind;
  const MagState start = c.start != nullptr ? *c.start : kBabyMag;
  ConsoleRun run;
  run.console = testing::consoleOf([&](const Console& console) {
    emptyPlanFiles(planner, console);
    runPlan(planner, start, console);
  });
  run.detail = testing::readFile(kDetailFileName);
  run.grouped = testing::readFile(kGroupedFileName);
  return run;
}

// Feeds the plan's items from its start: every mag on the way is the one the data holds, no stat
// passes its target, the target is reached exactly, and runs, feedings and meseta add up.
void expectPlanDataReplays(const Case& c, const json& data) {
  PlannerState planner;
  planner.sectionId = c.sectionId;
  planner.charClass = c.charClass;
  MagState mag = magOf(data["start"]);
  EXPECT_EQ(mag, c.start != nullptr ? *c.start : kBabyMag);
  const json& items = data["items"];
  ASSERT_EQ(data["mags"].size(), items.size() + 1);
  ASSERT_EQ(data["feedings"], items.size());
  double meseta = 0;
  for (std::size_t k = 0; k < items.size(); ++k) {
    ASSERT_EQ(magOf(data["mags"][k]), mag) << "before feeding " << k;
    const Item item = items[k];
    feedItem(planner, item, mag);
    meseta += kItemPrice[item];
    ASSERT_TRUE(mag.def <= c.target.def && mag.pow <= c.target.pow && mag.dex <= c.target.dex &&
                mag.mind <= c.target.mind)
        << "after feeding " << k;
  }
  EXPECT_TRUE(mag.def == c.target.def && mag.pow == c.target.pow && mag.dex == c.target.dex &&
              mag.mind == c.target.mind);
  EXPECT_EQ(magOf(data["reached"]), mag);
  EXPECT_EQ(magOf(data["mags"].back()), mag);
  EXPECT_EQ(data["meseta"].get<double>(), meseta);

  std::size_t next = 0;
  for (const json& run : data["runs"]) {
    ASSERT_EQ(run["first"], next);
    for (int i = 0; i < run["count"].get<int>(); ++i) EXPECT_EQ(items[next + i], run["item"]);
    if (next > 0) {
      EXPECT_NE(items[next - 1], run["item"]) << "two runs of one item side by side";
    }
    next += run["count"].get<std::size_t>();
  }
  EXPECT_EQ(next, items.size());
}

TEST(PlanRequestTest, FoundPlansAreTheConsoleProgramsAndReplay) {
  const MagState varuna{2, 8, 12, 3, 2, 40, 70, 10, 0, 25};
  const MagState nearlyFull{41, 100, 50, 49, 0, 99, 0, 99, 0, 199};
  const Case cases[] = {
      {0, 0, nullptr, {50, 50, 50, 50, 0}},  // 1503 feedings
      {2, 7, &varuna, {20, 110, 50, 20, 0}},
      {9, 11, nullptr, {6, 1, 0, 2, 0}},
      {5, 6, nullptr, {20, 20, 20, 20, 0}},
      {1, 2, &nearlyFull, {100, 50, 50, 0, 0}},  // one level from 200
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(requestOf(c).dump());
    std::string streamed;
    const json answer = plan(requestOf(c), &streamed);
    const ConsoleRun expected = runConsoleProgram(c);
    ASSERT_EQ(answer["outcome"], "found") << answer["console"];
    EXPECT_EQ(answer["console"], expected.console);
    EXPECT_EQ(streamed, expected.console);  // every line handed on as it was written
    EXPECT_EQ(answer["files"]["feedingPlan.txt"], expected.detail);
    EXPECT_EQ(answer["files"]["feedingPlan2.txt"], expected.grouped);
    EXPECT_EQ(answer["errors"], "");
    expectPlanDataReplays(c, answer["plan"]);
  }
}

TEST(PlanRequestTest, HopelessTargetFailsWithEmptyFiles) {
  const Case hopeless{0, 0, nullptr, {5, 0, 0, 195, 0}};
  const json answer = plan(requestOf(hopeless));
  EXPECT_EQ(answer["outcome"], "failed");
  EXPECT_FALSE(answer.contains("plan"));
  EXPECT_EQ(answer["files"]["feedingPlan.txt"], "");
  EXPECT_EQ(answer["files"]["feedingPlan2.txt"], "");
  EXPECT_EQ(answer["console"], runConsoleProgram(hopeless).console);
  EXPECT_TRUE(answer["console"].get<std::string>().ends_with(
      "Sorry, I cant figure a way! :(\nfailed to create Mag\n"));
}

TEST(PlanRequestTest, RefusedStartsAndTargetsGetTheDialoguesMessages) {
  const MagState full{2, 100, 50, 50, 0, 0, 0, 0, 0, 200};
  EXPECT_EQ(plan(requestOf({0, 0, &full, {100, 50, 50, 0, 0}})),
            (json{{"outcome", "refused"}, {"message", "Your mag is fully raised!"}}));
  const MagState varuna{2, 8, 12, 3, 2, 0, 0, 0, 0, 25};
  for (const Target target : {Target{20, 11, 50, 20, 0}, Target{8, 12, 3, 2, 0},
                              Target{4, 12, 3, 2, 0}, Target{100, 100, 3, 2, 0}}) {
    EXPECT_EQ(plan(requestOf({0, 0, &varuna, target})),
              (json{{"outcome", "refused"}, {"message", "That mag is not possible"}}));
  }
  // A field out of range is refused without a message: the page marks the field itself.
  MagState badBar = varuna;
  badBar.dexBar = 100;
  EXPECT_EQ(plan(requestOf({0, 0, &badBar, {20, 20, 20, 20, 0}}))["outcome"], "refused");
  EXPECT_EQ(plan(requestOf({10, 0, nullptr, {20, 20, 20, 20, 0}}))["outcome"], "refused");
  EXPECT_EQ(plan(requestOf({0, 12, nullptr, {20, 20, 20, 20, 0}}))["outcome"], "refused");
}

TEST(PlanRequestTest, MalformedRequestsAreAnsweredNotPlanned) {
  json request = requestOf({0, 0, nullptr, {20, 20, 20, 20, 0}});
  EXPECT_EQ(plan(request)["outcome"], "found");
  EXPECT_EQ(json::parse(web::planJson("{not json", "."))["outcome"], "bad-request");
  EXPECT_EQ(json::parse(web::planJson("[1, 2]", "."))["outcome"], "bad-request");
  json unknownGoal = request;
  unknownGoal["goal"] = "quickest";
  EXPECT_EQ(plan(unknownGoal)["outcome"], "bad-request");
  unknownGoal["goal"] = 0;
  EXPECT_EQ(plan(unknownGoal)["outcome"], "bad-request");
  json noGoal = request;
  noGoal.erase("goal");
  EXPECT_EQ(plan(noGoal)["goal"], "first");
  json tooLarge = request;
  tooLarge["target"]["pow"] = 4294967316LL;  // 20 once wrapped to 32 bits
  EXPECT_EQ(plan(tooLarge)["outcome"], "bad-request");
  tooLarge["target"]["pow"] = 18446744073709551615ULL;  // -1 once wrapped to 64 bits
  EXPECT_EQ(plan(tooLarge)["outcome"], "bad-request");
  json fraction = request;
  fraction["target"]["dex"] = 20.5;
  EXPECT_EQ(plan(fraction)["outcome"], "bad-request");
  json noTarget = request;
  noTarget.erase("target");
  EXPECT_EQ(plan(noTarget)["outcome"], "bad-request");
  json partialStart = request;
  partialStart["start"] = {{"type", 2}, {"def", 8}};
  EXPECT_EQ(plan(partialStart)["outcome"], "bad-request");
}

TEST(PlanRequestTest, CatalogNamesTheGamesListsAndGoals) {
  const json catalog = json::parse(web::catalogJson());
  EXPECT_EQ(catalog["sectionIds"].size(), kSectionIdCount);
  EXPECT_EQ(catalog["sectionIds"][9], "Whitill");
  EXPECT_EQ(catalog["charClasses"].size(), kCharClassCount);
  EXPECT_EQ(catalog["charClasses"][11], "Fonewearl");
  EXPECT_EQ(catalog["forms"].size(), kMagTypeCount);
  EXPECT_EQ(catalog["forms"][2], "Varuna");
  EXPECT_EQ(catalog["items"].size(), kItemCount);
  EXPECT_EQ(catalog["goals"][0]["id"], "first");
  EXPECT_EQ(catalog["limits"]["minDef"], 5);
  EXPECT_EQ(catalog["limits"]["maxBar"], 99);
  EXPECT_EQ(catalog["limits"]["maxLevel"], 200);
}

}  // namespace
}  // namespace ostrel

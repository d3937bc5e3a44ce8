// The web page's requests: every plan the page would show, for every goal and final form, is the
// console program's plan run byte for byte (console lines and both files), and its document (the
// command line's) replays to the target; the forms listing agrees with the plans for its forms;
// refused and malformed requests are answered word for word, never planned.
#include "web/plan_request.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "model/names.h"
#include "plan/goal/goal.h"
#include "plan/plan_run.h"
#include "plan/report/plan_report.h"
#include "support/replay.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using nlohmann::json;

// The rows of tests/cases/`name`, one JSON object a line.
std::vector<json> jsonRows(const char* name) {
  std::ifstream in(std::filesystem::path(OSTREL_CASES_DIR) / name);
  std::vector<json> rows;
  for (std::string line; std::getline(in, line);) rows.push_back(json::parse(line));
  return rows;
}

// The page's plan files are put in a directory of their own, so that they never meet the console
// program's.
std::filesystem::path webDirectory() { return testing::scratchDirectory.path / "web"; }

// A request as the page sends it; a string is sent as it is, for requests that are not objects.
std::string textOf(const json& request) {
  return request.is_string() ? request.get<std::string>() : request.dump();
}

// The player, start and target of a request, as the tests' cases hold them.
testing::PlanCase caseOf(const json& request) {
  const auto named = [](const json& name, const auto& names, int count) {
    return findName(name.get<std::string>(), names, count);
  };
  const auto four = [](const json& n) {
    return testing::statsText(n["def"], n["pow"], n["dex"], n["mind"]);
  };
  const json& player = request["player"];
  const json& s = request["start"];
  testing::PlanCase c{named(player["sectionId"], kSectionIdNames, kSectionIdCount),
                      named(player["charClass"], kCharClassNames, kCharClassCount),
                      s.is_null(),
                      kBabyMag,
                      testing::targetOf(four(request["target"])),
                      {}};
  if (!c.baby) {
    c.start = testing::magOf("? " + four(s["stats"]) + " " + four(s["bars"]));
    c.start.type = named(s["form"], kMagTypeNames, kMagTypeCount);
  }
  return c;
}

// The page's answer to a request; a plan found is replayed from the request's start, and its
// files must tell it.
json plan(const json& request, std::string* lines = nullptr,
          const web::ProgressSink& onProgress = {}) {
  const auto sink = [lines](std::string_view line) {
    if (lines != nullptr) lines->append(line);
  };
  json answer = json::parse(web::planJson(textOf(request), sink, onProgress));
  if (answer.contains("document") && answer["document"]["outcome"] == "found") {
    std::filesystem::create_directories(webDirectory());
    for (const char* name : {kDetailFileName, kGroupedFileName}) {
      std::ofstream(webDirectory() / name, std::ios::binary)
          << answer["files"][name].get<std::string>();
    }
    testing::expectDocumentReplays(caseOf(request), answer["document"], webDirectory());
  }
  return answer;
}

// Each request of page_plans.jsonl is planned in the page and in the console program, in the
// working directory, with the console program's options: the searches on two threads, which must
// give the plans of the page's one. Same outcome, same bytes; a plan found replays.
TEST(PlanRequestTest, PlansAreTheConsoleProgramsAndReplay) {
  for (const json& row : jsonRows("page_plans.jsonl")) {
    const json& request = row["request"];
    SCOPED_TRACE(request.dump());
    std::string streamed;
    const json answer = plan(request, &streamed);
    const testing::PlanCase c = caseOf(request);
    GoalOptions options;
    if (request.value("form", json()).is_string()) {
      options.form = findName(request["form"].get<std::string>(), kMagTypeNames, kMagTypeCount);
    }
    // A goal left out (or null) is the page's default, the cheapest, as on the command line.
    const json given = request.value("goal", json());
    options.goal =
        given.is_string()
            ? static_cast<Goal>(findName(given.get<std::string>(), kGoalNames, kGoalNames.size()))
            : Goal::kCheapest;
    const std::string goal = kGoalNames[static_cast<std::size_t>(options.goal)];
    const std::string console = testing::consoleOf([&](const Console& out) {
      PlanFiles files;
      SearchCounters counters;
      emptyPlanFiles(files, out);
      Plan found;
      const bool planned = findPlan(testing::playerOf(c), counters, c.start, out, options, found) ==
                           PlanOutcome::kFound;
      tellPlan(testing::playerOf(c).player, files, out, planned ? &found : nullptr);
    });
    const json& document = answer["document"];
    EXPECT_EQ(document["outcome"], row["outcome"]) << answer["console"];
    EXPECT_EQ(document["goal"], goal);
    EXPECT_EQ(answer["console"], console);
    EXPECT_EQ(streamed, console);
    EXPECT_EQ(answer["files"][kDetailFileName], testing::readFile(kDetailFileName));
    EXPECT_EQ(answer["files"][kGroupedFileName], testing::readFile(kGroupedFileName));
    EXPECT_EQ(document["reason"], row.value("reason", json()));
  }
}

// An ila at level 80 whose cheapest plan ends as kumara; ila is reached on a costlier route.
constexpr const char* kIlaRequest = R"({"player": {"sectionId": "Pinkal", "charClass": "Fomar"},
  "goal": "cheapest", "start": {"form": "ila", "stats": {"def": 29, "pow": 14, "dex": 14, "mind": 23},
                                "bars": {"def": 4, "pow": 0, "dex": 96, "mind": 0}},
  "target": {"def": 35, "pow": 20, "dex": 20, "mind": 25}})";

// Every form listed is what a plan for that form answers: reached (searched for alone, at no more
// meseta than listed: here ila, which the plan's own search finds cheaper), excluded for the same
// reason, or not found; the plan for any form is the best one listed.
TEST(PlanRequestTest, FormsListingAgreesWithThePlansForItsForms) {
  json request = json::parse(kIlaRequest);
  const json any = plan(request)["document"]["summary"];
  const json listing = json::parse(web::formsJson(request.dump()))["document"];
  ASSERT_EQ(listing["forms"].size(), kMagTypeCount);
  std::vector<std::string> reached;
  json best;
  for (const json& form : listing["forms"]) {
    SCOPED_TRACE(form.dump());
    request["form"] = form["form"];
    const json document = plan(request)["document"];
    if (form["status"] == "reached") {
      reached.push_back(form["form"]);
      EXPECT_EQ(document["summary"]["reached"]["form"], form["form"]);
      EXPECT_LE(document["summary"]["meseta"], form["meseta"]);
      if (best.is_null() || form["meseta"] < best["meseta"]) best = form;
    } else if (form["status"] == "excluded") {
      EXPECT_EQ(document["reason"], "no plan can end as " + form["form"].get<std::string>() + ": " +
                                        form["reason"].get<std::string>());
    } else {
      EXPECT_EQ(document["outcome"], "not-found");
    }
  }
  EXPECT_EQ(reached, (std::vector<std::string>{"ila", "kumara"}));
  EXPECT_EQ(any["reached"]["form"], best["form"]);
  EXPECT_EQ(any["meseta"], best["meseta"]);
}

TEST(PlanRequestTest, ProgressCountsUpToThePlanFound) {
  json request = json::parse(kIlaRequest);
  std::vector<web::SearchProgress> progress;
  const auto record = [&progress](const web::SearchProgress& p) { progress.push_back(p); };
  const json summary = plan(request, nullptr, record)["document"]["summary"];
  ASSERT_GT(progress.size(), 10U);  // once a layer, and the plan takes a hundred feedings and more
  for (std::size_t k = 1; k < progress.size(); ++k) {
    EXPECT_GE(progress[k].feedingsTried, progress[k - 1].feedingsTried);
    if (progress[k - 1].bestMeseta >= 0) {
      EXPECT_LE(progress[k].bestMeseta, progress[k - 1].bestMeseta);  // only ever better
    }
  }
  EXPECT_EQ(progress.back().bestFeedings, summary["feedings"]);
  EXPECT_EQ(progress.back().bestMeseta, summary["meseta"]);
  // The first plan found reports no progress of its own: its console lines tell it.
  progress.clear();
  request["goal"] = "first";
  plan(request, nullptr, record);
  EXPECT_TRUE(progress.empty());
}

// Each request of page_refusals.jsonl gets the answer there, word for word: the command line's
// words for a start or target it refuses, with the field to mark, or why the request is not one.
TEST(PlanRequestTest, RefusedAndMalformedRequestsAreAnsweredNotPlanned) {
  for (const json& row : jsonRows("page_refusals.jsonl")) {
    const json& request = row["request"];
    const std::string entry = row.value("entry", "plan");
    const json answer = entry == "forms"    ? json::parse(web::formsJson(textOf(request)))
                        : entry == "replay" ? json::parse(web::replayJson(textOf(request)))
                                            : plan(request);
    EXPECT_EQ(answer, row["answer"]) << request;
  }
}

// The plan nearest to a budget no plan meets opens again without a search, as the plan of a
// budget of its feedings; and the goal the catalog gives for what a request gives is the goal
// its plan is planned for.
TEST(PlanRequestTest, ReplayAndImpliedGoalsAnswerAsThePlansDo) {
  json request = json::parse(kIlaRequest);
  request["maxFeedings"] = 1;
  const json refused = plan(request);
  ASSERT_EQ(refused["rule"], "not-met") << refused;
  const json& nearest = refused["nearest"][0];
  json replay = json::parse(kIlaRequest);
  replay["goal"] = "fewest";  // the budget's plan is the cheapest within it, whatever was asked
  replay["runs"] = json::array();
  for (const json& run : nearest["plan"]["runs"]) {
    replay["runs"].push_back({{"item", run["item"]}, {"count", run["count"]}});
  }
  request["maxFeedings"] = nearest["feedings"];
  std::string lines;
  const auto sink = [&lines](std::string_view line) { lines.append(line); };
  const json replayed = json::parse(web::replayJson(replay.dump(), sink));
  EXPECT_EQ(replayed, plan(request));
  EXPECT_EQ(lines, replayed["console"]);

  const json implied = json::parse(web::catalogJson())["impliedGoal"];
  ASSERT_EQ(implied.size(), 8U);
  json small = {{"player", {{"sectionId", "Purplenum"}, {"charClass", "Humar"}}},
                {"start", nullptr},
                {"target", {{"def", 6}, {"pow", 1}, {"dex", 0}, {"mind", 2}}}};
  const json given = {{"maxFeedings", 100}, {"maxMeseta", 100000}, {"form", "mag"}};
  for (const auto& [key, goal] : implied.items()) {
    json asked = small;
    for (const auto& [part, value] : given.items()) {
      if ((" " + key + " ").find(" " + part + " ") != std::string::npos) asked[part] = value;
    }
    EXPECT_EQ(plan(asked)["document"]["goal"], goal) << key;
  }
}

}  // namespace
}  // namespace ostrel

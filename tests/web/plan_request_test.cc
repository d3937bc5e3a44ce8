// The web page's requests: every plan the page would show, for every goal and final form, is the
// console program's plan run byte for byte (console lines and both files), and its document (the
// command line's) replays through feedItem to the target; the forms listing agrees with the rules
// and with the plans for its forms; refused and malformed requests are answered, never planned.
#include "web/plan_request.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "model/feeding.h"
#include "model/form_rules.h"
#include "model/names.h"
#include "model/tables.h"
#include "plan/goal/goal.h"
#include "plan/plan_run.h"
#include "plan/report/plan_report.h"
#include "support/cases.h"
#include "support/replay.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using nlohmann::json;

json fourJson(std::int32_t def, std::int32_t pow, std::int32_t dex, std::int32_t mind) {
  return {{"def", def}, {"pow", pow}, {"dex", dex}, {"mind", mind}};
}

// A start as the page sends it: the form's name, the stats and the bars.
json magJson(const MagState& mag) {
  return {{"form", kMagTypeNames[mag.type]},
          {"stats", fourJson(mag.def, mag.pow, mag.dex, mag.mind)},
          {"bars", fourJson(mag.defBar, mag.powBar, mag.dexBar, mag.mindBar)}};
}

struct Case {
  SectionId sectionId;
  CharClass charClass;
  const MagState* start;  // null: a new mag
  Target target;
  Goal goal;
  std::optional<MagType> form;  // none: any
};

const char* goalName(Goal goal) { return kGoalNames[static_cast<std::size_t>(goal)]; }

json requestOf(const Case& c) {
  return {
      {"player",
       {{"sectionId", kSectionIdNames[c.sectionId]}, {"charClass", kCharClassNames[c.charClass]}}},
      {"start", c.start != nullptr ? magJson(*c.start) : json(nullptr)},
      {"target", fourJson(c.target.def, c.target.pow, c.target.dex, c.target.mind)},
      {"goal", goalName(c.goal)},
      {"form", c.form ? json(kMagTypeNames[*c.form]) : json(nullptr)}};
}

// Plans in a directory of its own, so the page's files never meet the console program's.
std::filesystem::path webDirectory() { return testing::scratchDirectory.path / "web"; }

json plan(const json& request, std::string* lines = nullptr,
          std::vector<web::SearchProgress>* progress = nullptr) {
  const std::filesystem::path dir = webDirectory();
  std::filesystem::create_directories(dir);
  const auto sink = [lines](std::string_view line) {
    if (lines != nullptr) lines->append(line);
  };
  web::ProgressSink onProgress;
  if (progress != nullptr) {
    onProgress = [progress](const web::SearchProgress& p) { progress->push_back(p); };
  }
  return json::parse(web::planJson(request.dump(), dir.string(), sink, onProgress));
}

// The console program's plan run on the same answers, in the working directory, with its own
// options for a goal: the searches on two threads, which must give the plans of the page's one.
struct ConsoleRun {
  std::string console;
  std::string detail;
  std::string grouped;
  PlanOutcome outcome;
  GoalResult details;
};
ConsoleRun runConsoleProgram(const Case& c) {
  PlayerRequest request{{c.sectionId, c.charClass}, c.target};
  request.target.level = c.target.def + c.target.pow + c.target.dex + c.target.mind;
  SearchCounters counters;
  PlanFiles files;
  const MagState start = c.start != nullptr ? *c.start : kBabyMag;
  GoalOptions options;
  options.goal = c.goal;
  options.form = c.form;
  ConsoleRun run;
  run.console = testing::consoleOf([&](const Console& console) {
    emptyPlanFiles(files, console);
    run.outcome = runPlan(request, counters, files, start, console, options, nullptr, &run.details);
  });
  run.detail = testing::readFile(kDetailFileName);
  run.grouped = testing::readFile(kGroupedFileName);
  return run;
}

// The answer's document replays from the start to the target (in the form asked for), as the
// command line's does, and agrees with the plan files the page wrote.
void expectDocumentReplays(const Case& c, const json& answer) {
  testing::PlanCase planCase;
  planCase.section = c.sectionId;
  planCase.charClass = c.charClass;
  planCase.baby = c.start == nullptr;
  planCase.start = c.start != nullptr ? *c.start : kBabyMag;
  planCase.target = c.target;
  planCase.target.level = c.target.def + c.target.pow + c.target.dex + c.target.mind;
  const json& document = answer["document"];
  testing::expectDocumentReplays(planCase, document, webDirectory());
  if (c.form) {
    EXPECT_EQ(document["summary"]["reached"]["formNumber"], *c.form + 1);
  }
}

// Plans `c` in the page and in the console program: the same bytes, and a found plan replays.
json expectSameAsConsoleProgram(const Case& c, const char* outcome,
                                ConsoleRun* consoleRun = nullptr) {
  SCOPED_TRACE(requestOf(c).dump());
  std::string streamed;
  const json answer = plan(requestOf(c), &streamed);
  const ConsoleRun expected = runConsoleProgram(c);
  if (consoleRun != nullptr) *consoleRun = expected;
  EXPECT_EQ(answer["document"]["outcome"], outcome) << answer["console"];
  EXPECT_EQ(answer["document"]["goal"], goalName(c.goal));
  EXPECT_EQ(answer["console"], expected.console);
  EXPECT_EQ(streamed, expected.console);
  EXPECT_EQ(answer["files"]["feedingPlan.txt"], expected.detail);
  EXPECT_EQ(answer["files"]["feedingPlan2.txt"], expected.grouped);
  if (answer["document"]["outcome"] == "found") expectDocumentReplays(c, answer);
  return answer;
}

TEST(PlanRequestTest, FoundPlansAreTheConsoleProgramsAndReplay) {
  const MagState varuna{2, 8, 12, 3, 2, 40, 70, 10, 0, 25};
  const MagState nearlyFull{41, 100, 50, 49, 0, 99, 0, 99, 0, 199};
  for (const Case& c : {
           Case{0, 0, nullptr, {50, 50, 50, 50, 0}, Goal::kFirst, {}},  // 1503 feedings
           Case{2, 7, &varuna, {20, 110, 50, 20, 0}, Goal::kFirst, {}},
           Case{9, 11, nullptr, {6, 1, 0, 2, 0}, Goal::kFirst, {}},
           Case{5, 6, nullptr, {20, 20, 20, 20, 0}, Goal::kFirst, {}},
           Case{1, 2, &nearlyFull, {100, 50, 50, 0, 0}, Goal::kFirst, {}},  // one level from 200
       }) {
    EXPECT_EQ(expectSameAsConsoleProgram(c, "found")["errors"], "");
  }
}

// Small targets, so that the goal searches take a fraction of a second each.
const Case kBluefullRamarl{5, 6, nullptr, {20, 20, 20, 20, 80}, Goal::kFirst, {}};
const MagState kGrownVaruna{2, 8, 12, 3, 2, 40, 70, 10, 0, 25};
// A Pinkal Fomar's ila at level 80 on the way to 35/20/20/25: two final forms reached, kumara
// the cheaper, and four not found, garuda among them, for which a plan of its own finds nothing.
const MagState kIla{9, 29, 14, 14, 23, 4, 0, 96, 0, 80};
const Case kPinkalFomar{8, 8, &kIla, {35, 20, 20, 25, 100}, Goal::kFirst, {}};
constexpr MagType kIlaForm = 9;
constexpr MagType kGaruda = 8;
constexpr MagType kKumara = 27;

TEST(PlanRequestTest, GoalPlansAreTheConsoleProgramsAndBeatTheFirstFound) {
  for (const Goal goal : {Goal::kCheapest, Goal::kFewest}) {
    for (Case c :
         {kBluefullRamarl, Case{2, 7, &kGrownVaruna, {12, 25, 10, 3, 50}, Goal::kFirst, {}}}) {
      c.goal = goal;
      const json first =
          plan(requestOf(Case{c.sectionId, c.charClass, c.start, c.target, Goal::kFirst, {}}));
      const json answer = expectSameAsConsoleProgram(c, "found");
      ASSERT_EQ(first["document"]["outcome"], "found");
      const auto measure = [goal](const json& p) {
        const json& summary = p["document"]["summary"];
        return packScore(goal, summary["feedings"], summary["meseta"].get<std::int64_t>());
      };
      EXPECT_LE(measure(answer), measure(first)) << goalName(goal);
    }
  }
}

TEST(PlanRequestTest, ProgressCountsUpToThePlanFound) {
  Case c = kBluefullRamarl;
  c.goal = Goal::kCheapest;
  std::vector<web::SearchProgress> progress;
  const json answer = plan(requestOf(c), nullptr, &progress);
  ASSERT_EQ(answer["document"]["outcome"], "found");
  ASSERT_GT(progress.size(), 10U);  // once a layer, and the plan takes hundreds of feedings
  for (std::size_t k = 1; k < progress.size(); ++k) {
    EXPECT_GE(progress[k].feedingsTried, progress[k - 1].feedingsTried);
    if (progress[k - 1].bestMeseta >= 0) {
      EXPECT_LE(progress[k].bestMeseta, progress[k - 1].bestMeseta);  // only ever better
    }
  }
  EXPECT_EQ(progress.back().bestFeedings, answer["document"]["summary"]["feedings"]);
  EXPECT_EQ(progress.back().bestMeseta, answer["document"]["summary"]["meseta"]);
  // The first plan found reports no progress of its own: its console lines tell it.
  progress.clear();
  EXPECT_EQ(plan(requestOf(kBluefullRamarl), nullptr, &progress)["document"]["outcome"], "found");
  EXPECT_TRUE(progress.empty());
}

TEST(PlanRequestTest, FormsListingAndPlansForItsForms) {
  Case c = kPinkalFomar;
  c.goal = Goal::kCheapest;
  const json listing = json::parse(web::formsJson(requestOf(c).dump()))["document"];
  ASSERT_EQ(listing["goal"], "cheapest");
  ASSERT_EQ(listing["forms"].size(), kMagTypeCount);
  const PlayerRequest request{{c.sectionId, c.charClass}, c.target};
  const auto exclusions = excludedForms(request, kIla);
  std::vector<MagType> reached;
  std::vector<MagType> notFound;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const json& form = listing["forms"][type];
    EXPECT_EQ(form["formNumber"], type + 1);
    EXPECT_EQ(form["form"], kMagTypeNames[type]);
    if (form["status"] == "reached") {
      reached.push_back(type);
      EXPECT_EQ(exclusions[type].kind, ExclusionKind::kNone) << kMagTypeNames[type];
    } else if (form["status"] == "excluded") {
      EXPECT_EQ(form["reason"], exclusionText(exclusions[type]));
      EXPECT_FALSE(form["reason"].get<std::string>().empty());
    } else {
      EXPECT_EQ(form["status"], "not-found");
      EXPECT_EQ(exclusions[type].kind, ExclusionKind::kNone);
      notFound.push_back(type);
    }
  }
  EXPECT_EQ(reached, (std::vector<MagType>{kIlaForm, kKumara}));
  EXPECT_EQ(notFound, (std::vector<MagType>{kGaruda, 19, 20, 24}));

  // The cheapest plan of any form is the cheapest of the listing; choosing the costlier form
  // plans a costlier route that ends in it; the plan for a form that was not found fails and
  // names what was found.
  const json any = expectSameAsConsoleProgram(c, "found");
  const json& cheapest = listing["forms"][kKumara];
  EXPECT_LT(cheapest["meseta"], listing["forms"][kIlaForm]["meseta"]);
  const json& summary = any["document"]["summary"];
  EXPECT_EQ(summary["reached"]["form"], "kumara");
  EXPECT_EQ(summary["meseta"], cheapest["meseta"]);
  EXPECT_EQ(summary["feedings"], cheapest["feedings"]);
  c.form = kIlaForm;
  EXPECT_GT(expectSameAsConsoleProgram(c, "found")["document"]["summary"]["meseta"],
            cheapest["meseta"]);
  c.form = kGaruda;
  ConsoleRun console;
  const json none = expectSameAsConsoleProgram(c, "impossible", &console);
  EXPECT_EQ(console.outcome, PlanOutcome::kImpossible);
  EXPECT_EQ(none["files"]["feedingPlan.txt"], "");
  EXPECT_EQ(none["document"]["reason"],
            "no plan found ending as garuda; the plans found end as kumara");
}

TEST(PlanRequestTest, ExcludedFormIsAnsweredWithTheRulesReason) {
  // Varuna is the mag's form at 35 only: the evolution at level 35 replaces it on every route.
  Case c = kBluefullRamarl;
  c.goal = Goal::kFewest;
  c.form = 2;
  const json answer = expectSameAsConsoleProgram(c, "excluded");
  const PlayerRequest request{{c.sectionId, c.charClass}, c.target};
  EXPECT_EQ(answer["document"]["reason"],
            "no plan can end as Varuna: " + exclusionText(excludedForms(request, kBabyMag)[2]));
  EXPECT_EQ(answer["document"]["form"], "Varuna");
  EXPECT_EQ(answer["files"]["feedingPlan2.txt"], "");
  EXPECT_EQ(answer["console"], "failed to create Mag\n");
}

TEST(PlanRequestTest, HopelessTargetFailsWithEmptyFiles) {
  const Case hopeless{0, 0, nullptr, {5, 0, 0, 195, 0}, Goal::kFirst, {}};
  const json answer = expectSameAsConsoleProgram(hopeless, "gave-up");
  EXPECT_EQ(answer["document"]["summary"], nullptr);
  EXPECT_EQ(answer["files"], (json{{"feedingPlan.txt", ""}, {"feedingPlan2.txt", ""}}));
  EXPECT_TRUE(answer["console"].get<std::string>().ends_with(
      "Sorry, I cant figure a way! :(\nfailed to create Mag\n"));
}

// The command line's words for the same start and target (tests/cases/bad_input.jsonl), with
// the verdict's field, rule, bound and value for the page to mark the field.
json refused(const char* message, const char* of, const char* field, const char* rule,
             std::int64_t bound, std::int64_t value) {
  return {{"outcome", "refused"}, {"message", message}, {"of", of},      {"field", field},
          {"rule", rule},         {"bound", bound},     {"value", value}};
}

TEST(PlanRequestTest, RefusedStartsAndTargetsGetTheCommandLinesWords) {
  const MagState full{28, 4, 100, 100, 0, 0, 0, 0, 0, 204};
  EXPECT_EQ(
      plan(requestOf({0, 0, &full, {100, 50, 50, 0, 0}, Goal::kFirst, {}})),
      refused("Your mag is fully raised! (level 204)", "start", "level", "fully-raised", 200, 204));
  const MagState varuna{2, 8, 12, 3, 2, 0, 0, 0, 0, 25};
  EXPECT_EQ(plan(requestOf({0, 0, &varuna, {20, 11, 50, 20, 0}, Goal::kFirst, {}})),
            refused("That mag is not possible (pow 11 is below the mag's 12)", "target", "pow",
                    "below-start", 12, 11));
  EXPECT_EQ(plan(requestOf({0, 0, &varuna, {8, 12, 3, 2, 0}, Goal::kFirst, {}})),
            refused("That mag is not possible (level 25 is not above the mag's 25)", "target",
                    "level", "not-above-start", 25, 25));
  MagState badBar = varuna;
  badBar.dexBar = 100;
  EXPECT_EQ(plan(requestOf({0, 0, &badBar, {20, 20, 20, 20, 0}, Goal::kFirst, {}})),
            refused("dex bar 100 is above 99", "start", "dex bar", "above", 99, 100));
}

TEST(PlanRequestTest, MalformedRequestsAreAnsweredNotPlanned) {
  json request = requestOf({0, 0, nullptr, {20, 20, 20, 20, 0}, Goal::kFirst, {}});
  EXPECT_EQ(plan(request)["document"]["outcome"], "found");
  EXPECT_EQ(json::parse(web::planJson("{not json", "."))["outcome"], "bad-request");
  EXPECT_EQ(json::parse(web::planJson("[1, 2]", "."))["outcome"], "bad-request");
  json unknownGoal = request;
  unknownGoal["goal"] = "quickest";
  EXPECT_EQ(plan(unknownGoal)["outcome"], "bad-request");
  unknownGoal["goal"] = 0;
  EXPECT_EQ(plan(unknownGoal)["outcome"], "bad-request");
  json noGoal = request;
  noGoal.erase("goal");
  EXPECT_EQ(plan(noGoal)["document"]["goal"], "first");
  for (const json& form : {json(2), json("Varunas"), json(""), json(2.5)}) {
    json badForm = request;
    badForm["form"] = form;
    EXPECT_EQ(plan(badForm)["outcome"], "bad-request") << form;
  }
  // The forms are listed for a goal search only, and the listing checks its request as a plan.
  EXPECT_EQ(json::parse(web::formsJson(request.dump()))["outcome"], "bad-request");
  json defBelow5 = request;
  defBelow5["goal"] = "cheapest";
  defBelow5["target"]["def"] = 4;
  EXPECT_EQ(json::parse(web::formsJson(defBelow5.dump())),
            refused("That mag is not possible (def 4 is below 5)", "target", "def", "below", 5, 4));
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
  partialStart["start"] = {{"form", "Varuna"}, {"stats", {{"def", 8}}}};
  EXPECT_EQ(plan(partialStart)["outcome"], "bad-request");
  // Names are the documents' in any case; unknown names, numbers for names, and the start of a
  // document whose form number or level disagrees are not the page's requests.
  json player = request;
  player["player"] = {{"sectionId", "wHiTiLl"}, {"charClass", "FONEWEARL"}};
  EXPECT_EQ(plan(player)["document"]["player"]["sectionId"], "Whitill");
  for (const json& who : {json{{"sectionId", "Purple"}, {"charClass", "Humar"}},
                          json{{"sectionId", 0}, {"charClass", 0}}, json("Skyly Ramar")}) {
    player["player"] = who;
    EXPECT_EQ(plan(player)["outcome"], "bad-request") << who;
  }
  // The plan document itself plans again, to the same document.
  const json document =
      plan(requestOf({2, 7, &kGrownVaruna, {12, 25, 10, 3, 0}, Goal::kFewest, {}}))["document"];
  EXPECT_EQ(plan(document)["document"], document);
  json disagreeing = document;
  disagreeing["start"]["formNumber"] = 2;
  EXPECT_EQ(plan(disagreeing)["outcome"], "bad-request");
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
  EXPECT_EQ(catalog["goals"].size(), 3U);
  EXPECT_EQ(catalog["goals"][0]["id"], "first");
  EXPECT_EQ(catalog["goals"][1]["id"], "cheapest");
  EXPECT_EQ(catalog["goals"][2]["id"], "fewest");
  EXPECT_EQ(catalog["limits"]["minDef"], 5);
  EXPECT_EQ(catalog["limits"]["maxBar"], 99);
  EXPECT_EQ(catalog["limits"]["maxLevel"], 200);
}

}  // namespace
}  // namespace ostrel

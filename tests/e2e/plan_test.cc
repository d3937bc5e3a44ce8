// End-to-end tests of planning: the real ostrel binary in fresh directories, with narrow beams
// for the goals to keep them quick.
// - `ostrel plan` (with each goal) prints and writes the same plan bytes as a dialogue of one plan
//   given the same answers and options (--goal first: the dialogue without options), over seeded
//   requests; its JSON document of the same request replays and agrees with the files; without
//   --goal it plans the cheapest; no plan and refusals as in the dialogue.
// - A form asked for: the plan ends in it (the exact lines for no plan, from the command and from
//   the dialogue, are tests/cases/no_plan.jsonl).
// - `ostrel forms`, as text and JSON: every form reached, not found or excluded, each reached form
//   planned again with --form.
// - `ostrel tradeoffs`: each point is the plan of a budget of its feedings, and a budget spread
//   anywhere over the range gets a listed point that no listed point beats; a budget below the
//   shortest plan exits 1 with its line (its document names that point the nearest) and touches
//   no plan file.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/form_proof.h"
#include "model/form_rules.h"
#include "model/tables.h"
#include "support/cases.h"
#include "support/replay.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using nlohmann::json;
using testing::PlanCase;
using testing::ProgramRun;
using testing::readFile;
using testing::runOstrel;
using testing::with;

// Plans `c` with the dialogue and with `ostrel plan`, both with `goal` (and `form`) if given, and
// checks that both tell the same plan in the same bytes, and that the JSON document of the same
// request tells it too and replays. The first goal is planned by the dialogue without options,
// as it always was; the cheapest goal is also planned without --goal, the command's default, in
// the same bytes and document. Returns the document.
json expectSamePlan(const PlanCase& c, bool byName, const std::string& goal,
                    const std::string& form = "") {
  std::vector<std::string> options;
  // A narrow beam for the searches with one (the first plan found is searched without).
  if (goal != "first") options = {"--beam-width", "4"};
  if (!form.empty()) options = with(options, {"--form", form});
  const std::vector<std::string> unnamed = options;
  if (!goal.empty()) options = with(options, {"--goal", goal});
  const std::filesystem::path dialogueDir = testing::directoryWithOldPlan("dialogue");
  const std::filesystem::path commandDir = testing::directoryWithOldPlan("command");
  const ProgramRun dialogue = runOstrel(goal == "first" ? std::vector<std::string>{} : options,
                                        testing::dialogueInput(c), dialogueDir);
  const std::vector<std::string> asked = with(testing::planArguments(c, byName), options);
  const ProgramRun command = runOstrel(asked, "", commandDir);
  EXPECT_EQ(dialogue.status, 0) << dialogue.err;
  for (const char* file : {"feedingPlan.txt", "feedingPlan2.txt"}) {
    EXPECT_EQ(readFile(commandDir / file), readFile(dialogueDir / file)) << file;
  }
  const bool found = dialogue.out.find("Mag successful!\n") != std::string::npos;
  EXPECT_EQ(command.status, found ? 0 : 1) << command.err;

  const ProgramRun asJson =
      runOstrel(with(asked, {"--format", "json", "--no-files"}), "", commandDir);
  EXPECT_EQ(asJson.status, command.status);
  json document = json::parse(asJson.out);
  if (found) testing::expectDocumentReplays(c, document, commandDir);
  // Below the dialogue's lines, but for the first plan found, the shopping list (which the
  // document's must be, replayed above).
  const auto shoppingLine = [](const std::string& name, int count, long long meseta) {
    char line[64];
    std::snprintf(line, sizeof line, "  %-13s %5d %8lld meseta\n", name.c_str(), count, meseta);
    return std::string(line);
  };
  std::string shopping;
  if (found && goal != "first") {
    shopping = "\nShopping list:\n";
    for (const json& item : document["shopping"]["items"]) {
      shopping += shoppingLine(item["item"], item["count"], item["meseta"]);
    }
    shopping +=
        shoppingLine("Total", document["summary"]["feedings"], document["shopping"]["meseta"]);
  }
  // Under the plan, its distance from the bound its document gives (which the replay checked).
  std::string bound;
  if (found && goal != "first") {
    const json& least = document["bound"];
    const bool meseta = goal == "cheapest";
    const long long spent = document["summary"][meseta ? "meseta" : "feedings"];
    const long long most = least.at(meseta ? "meseta" : "feedings");
    const std::string best = meseta ? "the cheapest possible" : "the fewest feedings possible";
    const std::string asForm =
        document["form"].is_null() ? "" : " ending as " + document["form"].get<std::string>();
    bound = spent == most ? "proven " + best + asForm + "\n"
                          : "at most " + std::to_string((100 * (spent - most) + most - 1) / most) +
                                "% above " + best + asForm + "\n";
  }
  EXPECT_EQ(command.out, testing::dialoguePlanLines(dialogue.out) + bound + shopping);
  EXPECT_TRUE(!found || form.empty() || document["summary"]["reached"]["form"] == form);
  if (goal == "cheapest") {
    const std::vector<std::string> byDefault = with(testing::planArguments(c, byName), unnamed);
    EXPECT_EQ(runOstrel(byDefault, "", commandDir).out, command.out);
    EXPECT_EQ(runOstrel(with(byDefault, {"--format", "json", "--no-files"}), "", commandDir).out,
              asJson.out);
  }
  if (goal != "first") return document;
  // The search's progress and give-up lines go to standard error, and the reason for no plan.
  std::string progress;
  std::istringstream lines(dialogue.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("Wow this is hard!") || line.starts_with("Sorry, I cant")) {
      progress += line + "\n";
    }
  }
  const bool gaveUp = progress.find("Sorry") != std::string::npos;
  EXPECT_EQ(document["outcome"], found ? "found" : gaveUp ? "gave-up" : "impossible");
  const std::string reason = found    ? ""
                             : gaveUp ? "ostrel plan: no plan: the search gave up after "
                                      : "ostrel plan: no plan: no sequence of feedings reaches ";
  EXPECT_TRUE(command.err.starts_with(progress + reason)) << command.err;
  // A search that gave up is followed by the hint that a goal may find a plan.
  EXPECT_EQ(std::count(command.err.begin(), command.err.end(), '\n'),
            std::count(progress.begin(), progress.end(), '\n') + (found    ? 0
                                                                  : gaveUp ? 2
                                                                           : 1));
  return document;
}

// Every eighth case is planned again for the other goals, which are never worse than the first
// plan found on their own measure.
TEST(PlanCommandTest, PrintsAndWritesWhatTheDialogueDoes) {
  std::mt19937 rng(1010);
  int found = 0;
  int gaveUp = 0;
  int withGoals = 0;
  for (int i = 0; i < 100; ++i) {
    const PlanCase c = testing::randomCase(rng, testing::Reach::kHeld);
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << testing::dialogueInput(c));
    const json first = expectSamePlan(c, i % 2 == 0, "first");
    found += static_cast<int>(first["outcome"] == "found");
    gaveUp += static_cast<int>(first["outcome"] == "gave-up");
    if (i % 8 != 0) continue;
    const json cheapest = expectSamePlan(c, true, "cheapest");
    const json fewest = expectSamePlan(c, false, "fewest");
    if (first["outcome"] != "found") continue;
    ++withGoals;
    ASSERT_EQ(cheapest["outcome"], "found");
    ASSERT_EQ(fewest["outcome"], "found");
    EXPECT_LE(cheapest["summary"]["meseta"], first["summary"]["meseta"]);
    EXPECT_LE(fewest["summary"]["feedings"], first["summary"]["feedings"]);
  }
  // The seeded cases must be mostly plans, with some of each way of finding none.
  EXPECT_TRUE(found > 50 && gaveUp > 0 && found + gaveUp < 100) << found << " found, " << gaveUp;
  EXPECT_GE(withGoals, 6);
}

// The exact lines of no plan are tests/cases/no_plan.jsonl.
TEST(PlanCommandTest, NoPlanAndGivingUpAsInTheDialogue) {
  // From a new mag: the dialogue's own example of a target it cannot reach; one that every
  // feeding overshoots, as each raises more than def; and, with a narrow beam, one where the
  // cheapest search ends as varaha, not nandin: varaha planned with --form (and without --goal,
  // which plans the same).
  const auto fromNew = [](const char* target) {
    return PlanCase{0, 0, true, kBabyMag, testing::targetOf(target), {}};
  };
  EXPECT_EQ(expectSamePlan(fromNew("5/0/0/195"), true, "first")["outcome"], "gave-up");
  // With a goal, the feeding tables prove it out of reach before any search.
  EXPECT_EQ(expectSamePlan(fromNew("5/0/0/195"), false, "cheapest")["outcome"], "impossible");
  // Where they prove nothing and the beams find nothing either, the first-found search gave up.
  const PlanCase open{1, 7, true, kBabyMag, testing::targetOf("10/37/5/1"), {}};
  EXPECT_EQ(expectSamePlan(open, false, "cheapest")["outcome"], "gave-up");
  EXPECT_EQ(expectSamePlan(fromNew("8/0/0/0"), false, "first")["outcome"], "impossible");
  EXPECT_EQ(expectSamePlan(fromNew("30/70/70/30"), true, "cheapest", "varaha")["outcome"], "found");
}

TEST(PlanCommandTest, RefusesTheTargetsAndMagsTheDialogueRefuses) {
  for (const auto& row : testing::caseRows("dialogue_refusals.txt")) {
    SCOPED_TRACE(row.at(0) + " to " + row.at(1));
    PlanCase refused;
    refused.start = testing::magOf(row.at(0));
    refused.baby = row.at(0) == "new";
    refused.target = testing::targetOf(row.at(1));
    const std::filesystem::path dir = testing::directoryWithOldPlan("refused");
    const ProgramRun dialogue = runOstrel({}, testing::dialogueInput(refused), dir);
    EXPECT_NE(dialogue.out.find(row.at(2) + "\n"), std::string::npos);
    const ProgramRun command = runOstrel(testing::planArguments(refused, true), "", dir);
    EXPECT_EQ(command.status, 2);
    EXPECT_NE(command.err.find(row.at(2)), std::string::npos) << command.err;
  }
}

TEST(FormsCommandTest, EveryFormReachedNotFoundOrExcluded) {
  std::mt19937 rng(4545);
  for (int i = 0; i < 4; ++i) {
    const PlanCase c = testing::randomCase(rng, testing::Reach::kHeld, 10);
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << testing::dialogueInput(c));
    std::vector<std::string> args = with(testing::planArguments(c, true), {"--beam-width", "4"});
    args[0] = "forms";
    const std::filesystem::path dir = testing::freshDirectory("forms");
    const ProgramRun text = runOstrel(args, "", dir);
    const ProgramRun asJson = runOstrel(with(args, {"--format", "json"}), "", dir);
    EXPECT_TRUE(std::filesystem::is_empty(dir));  // no plan file
    EXPECT_EQ(asJson.status, text.status);
    const json document = json::parse(asJson.out);
    ASSERT_EQ(document["forms"].size(), std::size_t{kMagTypeCount});
    const auto exclusions = excludedForms(testing::playerOf(c), c.start);
    int reached = 0;
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      const json& form = document["forms"][type];
      const bool excluded = exclusions[type].kind != ExclusionKind::kNone;
      if (form["status"] == "reached") {
        ++reached;
        EXPECT_FALSE(excluded);
        // The line of the text listing, and a plan that does end in the form.
        char line[128];
        std::snprintf(line, sizeof line, "  %-9s %5d feedings  %7lld meseta", kMagTypeNames[type],
                      form["feedings"].get<int>(), form["meseta"].get<long long>());
        EXPECT_NE(text.out.find(line), std::string::npos) << line;
        EXPECT_LE(form["bound"].at("meseta"), form["meseta"]);  // the listing's goal: the cheapest
        EXPECT_EQ(expectSamePlan(c, true, "cheapest", kMagTypeNames[type])["outcome"], "found");
      } else if (excluded) {
        EXPECT_EQ(form["status"], "excluded");
        EXPECT_EQ(form["reason"], exclusionText(exclusions[type]));
        EXPECT_NE(text.out.find(exclusionText(exclusions[type])), std::string::npos);
      } else {
        // Open to the rules: proven out by the feeding tables, or not found.
        const FormExclusion proven =
            formsProvenOut(testing::playerOf(c), c.start, formBit(type))[type];
        const bool out = proven.kind != ExclusionKind::kNone;
        EXPECT_EQ(form["status"], out ? "excluded" : "not-found");
        EXPECT_EQ(form["reason"], out ? json(exclusionText(proven)) : json(nullptr));
      }
    }
    EXPECT_EQ(text.status, reached > 0 ? 0 : 1);
    if (reached > 0) {
      EXPECT_EQ(text.err, "");
      EXPECT_TRUE(document["reason"].is_null());
      continue;
    }
    // The document's reason is the line on standard error.
    EXPECT_EQ("ostrel forms: " + document["reason"].get<std::string>() + "\n", text.err);
    // No form reached: proven when the plain search tried every feeding, as `plan` tells it.
    const ProgramRun plain = runOstrel(
        with(testing::planArguments(c, true), {"--format", "json", "--no-files"}), "", dir);
    const bool proven = json::parse(plain.out)["outcome"] == "impossible";
    EXPECT_EQ(text.err.starts_with("ostrel forms: no plan: no sequence of feedings reaches "),
              proven)
        << text.err;
    EXPECT_EQ(text.err == "ostrel forms: no plan found ending as any form\n", !proven) << text.err;
  }
}

TEST(PlanTest, TradeoffPointsAreThePlansOfTheirBudgets) {
  std::mt19937 rng(1718);
  for (int run = 0; run < 2; ++run) {
    const PlanCase c = testing::randomCase(rng, testing::Reach::kFed, 25);
    const std::vector<std::string> plan =
        with(testing::planArguments(c, run == 0), {"--beam-width", "4"});
    std::vector<std::string> tradeoffs = with(plan, {"--format", "json"});
    tradeoffs[0] = "tradeoffs";
    const std::filesystem::path dir = testing::directoryWithOldPlan("tradeoffs");
    const ProgramRun listed = runOstrel(tradeoffs, "", dir);
    ASSERT_EQ(listed.status, 0) << listed.err;
    EXPECT_TRUE(testing::keepsOldPlan(dir));
    const json points = json::parse(listed.out)["points"];
    ASSERT_FALSE(points.empty());
    testing::expectTradeoffBound(json::parse(listed.out));
    // Each point's feedings, and budgets spread evenly between the two ends.
    const int fewest = points.front()["feedings"].get<int>();
    const int most = points.back()["feedings"].get<int>();
    std::vector<int> budgets;
    for (const json& point : points) budgets.push_back(point["feedings"].get<int>());
    for (int k = 1; k < 6; ++k) budgets.push_back(fewest + (most - fewest) * k / 6);
    for (const int budget : budgets) {
      const ProgramRun planned = runOstrel(
          with(plan, {"--max-feedings", std::to_string(budget), "--format", "json"}), "", dir);
      ASSERT_EQ(planned.status, 0) << planned.err;
      const json document = json::parse(planned.out);
      testing::expectDocumentReplays(c, document, dir);
      const int feedings = document["summary"]["feedings"].get<int>();
      const std::int64_t meseta = document["summary"]["meseta"].get<std::int64_t>();
      // No listed point is as short and as cheap, and one of the two strictly.
      for (const json& point : points) {
        const int f = point["feedings"].get<int>();
        const std::int64_t m = point["meseta"].get<std::int64_t>();
        EXPECT_FALSE(f <= feedings && m <= meseta && (f < feedings || m < meseta))
            << budget << " feedings: " << feedings << "/" << meseta << " beaten by " << f << "/"
            << m;
      }
      // It is the listed point the budget picks: the last within it.
      const auto within = std::find_if(points.rbegin(), points.rend(), [&](const json& point) {
        return point["feedings"].get<int>() <= budget;
      });
      ASSERT_NE(within, points.rend());
      for (const char* part : {"summary", "shopping", "runs"}) {
        EXPECT_EQ(document[part], (*within)["plan"][part]) << budget << " feedings: " << part;
      }
    }
    const std::string under = std::to_string(fewest - 1);
    const std::filesystem::path untouched = testing::directoryWithOldPlan("over-budget");
    const ProgramRun over = runOstrel(with(plan, {"--max-feedings", under}), "", untouched);
    EXPECT_EQ(over.status, fewest > 1 ? 1 : 2);
    EXPECT_EQ(over.out, "");
    EXPECT_TRUE(fewest == 1 ||
                over.err == "ostrel plan: no plan found within " + under +
                                " feedings; the nearest found: " + std::to_string(fewest) +
                                " feedings for " + points[0]["meseta"].dump() + " meseta\n")
        << over.err;
    // The document of a budget no plan meets: the nearest plan is the shortest point.
    const ProgramRun overJson =
        runOstrel(with(plan, {"--max-feedings", under, "--format", "json"}), "", untouched);
    EXPECT_EQ(overJson.status, over.status);
    EXPECT_TRUE(fewest == 1 || json::parse(overJson.out)["nearest"][0] == points[0]);
    EXPECT_TRUE(testing::keepsOldPlan(untouched));
  }
}

}  // namespace
}  // namespace ostrel

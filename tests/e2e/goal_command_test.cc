// End-to-end tests of the goals: the real ostrel binary in fresh directories, with narrow beams
// to keep them quick.
// - `ostrel plan --goal G` and the dialogue started as `ostrel --goal G` tell the same plan in
//   the same bytes (console lines and both files); its JSON document replays through feedItem to
//   the target, agrees with the files, and is no worse than the first-found plan for its goal.
// - A form asked for: the plan ends in it; excluded by the rules or not reached, status 1 and the
//   reason, in the command and in the dialogue.
// - `ostrel forms`, as text and JSON: every form reached, not found or excluded, each reached form
//   planned again with --form.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <string>
#include <vector>

#include "model/form_rules.h"
#include "model/tables.h"
#include "support/plan_cases.h"
#include "support/plan_document_check.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using nlohmann::json;
using testing::dialoguePlanLines;
using testing::PlanCase;
using testing::ProgramRun;
using testing::readFile;
using testing::runOstrel;

constexpr const char* kBeam = "4";  // narrow: the tests check plans, not how good they are

std::vector<std::string> withOptions(std::vector<std::string> args,
                                     const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// Runs `plan` for `c` with `goal` (and `form`, if any) as text with files, as JSON, and as the
// dialogue with the same goal; checks that they agree and that the plan replays. Returns the JSON
// document.
json expectGoalPlan(const PlanCase& c, const std::string& goal, const std::string& form = "") {
  std::vector<std::string> goalArgs = {"--goal", goal, "--beam-width", kBeam};
  if (!form.empty()) goalArgs.insert(goalArgs.end(), {"--form", form});
  const std::filesystem::path commandDir = testing::freshDirectory("goal-command");
  const std::filesystem::path dialogueDir = testing::freshDirectory("goal-dialogue");
  const ProgramRun command =
      runOstrel(withOptions(testing::planArguments(c, true), goalArgs), "", commandDir);
  const ProgramRun dialogue = runOstrel(goalArgs, testing::dialogueInput(c), dialogueDir);
  EXPECT_EQ(dialogue.status, 0) << dialogue.err;
  EXPECT_EQ(command.out, dialoguePlanLines(dialogue.out));
  for (const char* file : {"feedingPlan.txt", "feedingPlan2.txt"}) {
    EXPECT_EQ(readFile(commandDir / file), readFile(dialogueDir / file)) << file;
  }
  const bool found = dialogue.out.find("Mag successful!\n") != std::string::npos;
  EXPECT_EQ(command.status, found ? 0 : 1) << command.err;
  EXPECT_EQ(found, !command.out.empty());

  const ProgramRun asJson =
      runOstrel(withOptions(testing::planArguments(c, true),
                            withOptions(goalArgs, {"--format", "json", "--no-files"})),
                "", commandDir);
  EXPECT_EQ(asJson.status, command.status);
  const json document = json::parse(asJson.out);
  EXPECT_EQ(document["goal"], goal);
  EXPECT_EQ(document["form"], form.empty() ? json(nullptr) : json(form));
  EXPECT_EQ(document["outcome"] == "found", found);
  if (found) {
    testing::expectDocumentReplays(c, document, commandDir);
    if (!form.empty()) {
      EXPECT_EQ(document["summary"]["reached"]["form"], form);
    }
  }
  return document;
}

TEST(GoalCommandTest, EveryGoalAgreesWithTheDialogueAndReplays) {
  std::mt19937 rng(1111);
  int found = 0;
  for (int i = 0; i < 12; ++i) {
    const PlanCase c = testing::randomPlanCase(rng);
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << testing::dialogueInput(c));
    const json first = expectGoalPlan(c, "first");
    const json cheapest = expectGoalPlan(c, "cheapest");
    const json fewest = expectGoalPlan(c, "fewest");
    if (first["outcome"] != "found") continue;
    ++found;
    // Never worse than the first-found plan on the goal's own measure.
    ASSERT_EQ(cheapest["outcome"], "found");
    ASSERT_EQ(fewest["outcome"], "found");
    EXPECT_LE(cheapest["summary"]["meseta"], first["summary"]["meseta"]);
    EXPECT_LE(fewest["summary"]["feedings"], first["summary"]["feedings"]);
  }
  EXPECT_GE(found, 6);
}

// The first goal without --form is the first-found plan, byte for byte, document aside from the
// goal and form it names.
TEST(GoalCommandTest, FirstGoalIsThePlainPlan) {
  PlanCase c;
  c.section = 2;
  c.charClass = 4;
  c.target = {20, 30, 10, 5, 65};
  const std::filesystem::path dir = testing::freshDirectory("first");
  const ProgramRun plain = runOstrel(testing::planArguments(c, false), "", dir);
  const std::string plainDetail = readFile(dir / "feedingPlan.txt");
  const ProgramRun first =
      runOstrel(withOptions(testing::planArguments(c, false), {"--goal", "first"}), "", dir);
  EXPECT_EQ(plain.status, 0);
  EXPECT_EQ(first.out, plain.out);
  EXPECT_EQ(readFile(dir / "feedingPlan.txt"), plainDetail);
  json document =
      json::parse(runOstrel(withOptions(testing::planArguments(c, false),
                                        {"--format", "json", "--goal", "first", "--no-files"}),
                            "", dir)
                      .out);
  const json plainDocument = json::parse(
      runOstrel(withOptions(testing::planArguments(c, false), {"--format", "json", "--no-files"}),
                "", dir)
          .out);
  EXPECT_FALSE(plainDocument.contains("goal"));
  EXPECT_EQ(document["goal"], "first");
  document.erase("goal");
  document.erase("form");
  document.erase("reason");
  EXPECT_EQ(document, plainDocument);
}

// `ostrel --goal first` is the dialogue run without arguments, to the byte: golden sessions with
// plans, a failure and a give-up.
TEST(GoalCommandTest, DialogueWithTheFirstGoalIsTheGoldenSession) {
  for (const char* session : {"worked_example", "failure_empties_plan_files", "gives_up"}) {
    SCOPED_TRACE(session);
    const std::filesystem::path golden = std::filesystem::path(OSTREL_GOLDEN_DIR) / session;
    const std::filesystem::path dir = testing::freshDirectory("golden-first");
    const ProgramRun run = runOstrel({"--goal", "first"}, readFile(golden / "input"), dir);
    EXPECT_EQ(run.out, readFile(golden / "stdout"));
    EXPECT_EQ(std::to_string(run.status) + "\n", readFile(golden / "status"));
    for (const char* file : {"feedingPlan.txt", "feedingPlan2.txt"}) {
      EXPECT_EQ(readFile(dir / file), readFile(golden / file)) << file;
    }
  }
}

// Purplenum at 50/50/50/50 ends at level 200 with def+mind = pow+dex: every route ends as Deva.
TEST(GoalCommandTest, FormTheRulesExclude) {
  PlanCase deva;
  deva.target = {50, 50, 50, 50, 200};
  const std::filesystem::path dir = testing::freshDirectory("excluded");
  const std::string reason =
      "no plan can end as ila: the target stats meet the section ID's pair-sum rule at level "
      "200: every route ends as Deva";
  for (const char* format : {"text", "json"}) {
    const ProgramRun run = runOstrel(
        withOptions(testing::planArguments(deva, true),
                    {"--goal", "cheapest", "--form", "ILA", "--format", format, "--no-files"}),
        "", dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "ostrel plan: " + reason + "\n");
    if (std::string(format) == "json") {
      EXPECT_EQ(json::parse(run.out)["outcome"], "excluded");
    } else {
      EXPECT_EQ(run.out, "");
    }
  }
  // The dialogue says the same after its failure, and goes on to its closing question.
  const ProgramRun dialogue =
      runOstrel({"--goal", "cheapest", "--form", "10"}, testing::dialogueInput(deva), dir);
  EXPECT_EQ(dialogue.status, 0);
  EXPECT_NE(dialogue.out.find("failed to create Mag\nN" + reason.substr(1) +
                              "\n\nTry another (will overwrite previous plans)? <Y> or <N>"),
            std::string::npos)
      << dialogue.out;
  EXPECT_EQ(readFile(dir / "feedingPlan.txt"), "");
}

// With a narrow beam the cheapest search reaches only some of the forms that the rules allow.
TEST(GoalCommandTest, FormNotReached) {
  PlanCase c;
  c.target = {30, 70, 70, 30, 200};
  const std::filesystem::path dir = testing::freshDirectory("not-reached");
  const ProgramRun run =
      runOstrel(withOptions(testing::planArguments(c, true),
                            {"--goal", "cheapest", "--form", "nandin", "--beam-width", "30"}),
                "", dir);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "ostrel plan: no plan found ending as nandin; the plans found end as varaha\n");
  // The form reached instead is planned with --form as asked.
  const json varaha = expectGoalPlan(c, "cheapest", "varaha");
  EXPECT_EQ(varaha["outcome"], "found");
}

TEST(FormsCommandTest, EveryFormReachedNotFoundOrExcluded) {
  std::mt19937 rng(4545);
  for (int i = 0; i < 4; ++i) {
    const PlanCase c = testing::randomPlanCase(rng, 10);
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << testing::dialogueInput(c));
    std::vector<std::string> args = testing::planArguments(c, true);
    args[0] = "forms";
    args.insert(args.end(), {"--beam-width", kBeam});
    const std::filesystem::path dir = testing::freshDirectory("forms");
    const ProgramRun text = runOstrel(args, "", dir);
    const ProgramRun asJson = runOstrel(withOptions(args, {"--format", "json"}), "", dir);
    EXPECT_TRUE(std::filesystem::is_empty(dir));  // no plan file
    EXPECT_EQ(asJson.status, text.status);
    EXPECT_EQ(text.out.find("impossible"), std::string::npos);
    const json document = json::parse(asJson.out);
    EXPECT_EQ(document["goal"], "cheapest");
    ASSERT_EQ(document["forms"].size(), std::size_t{kMagTypeCount});

    PlannerState player;
    player.sectionId = c.section;
    player.charClass = c.charClass;
    player.target = c.target;
    const auto exclusions = excludedForms(player, c.start);
    int reached = 0;
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      const json& form = document["forms"][type];
      EXPECT_EQ(form["form"], kMagTypeNames[type]);
      const bool excluded = exclusions[type].kind != ExclusionKind::kNone;
      if (form["status"] == "reached") {
        ++reached;
        EXPECT_FALSE(excluded);
        // The line of the text listing, and a plan that does end in the form.
        char line[128];
        std::snprintf(line, sizeof line, "  %-9s %5d feedings  %7lld meseta", kMagTypeNames[type],
                      form["feedings"].get<int>(), form["meseta"].get<long long>());
        EXPECT_NE(text.out.find(line), std::string::npos) << line;
        const json plan = expectGoalPlan(c, "cheapest", kMagTypeNames[type]);
        EXPECT_EQ(plan["outcome"], "found");
      } else if (excluded) {
        EXPECT_EQ(form["status"], "excluded");
        EXPECT_EQ(form["reason"], exclusionText(exclusions[type]));
        EXPECT_NE(text.out.find(exclusionText(exclusions[type])), std::string::npos);
      } else {
        EXPECT_EQ(form["status"], "not-found");
        EXPECT_EQ(form["reason"], nullptr);
      }
    }
    EXPECT_EQ(text.status, reached > 0 ? 0 : 1);
    EXPECT_EQ(text.err, reached > 0 ? "" : "ostrel forms: no plan found ending as any form\n");
  }
}

// Every route to Purplenum's 50/50/50/50 ends as Deva: Deva is the one form not excluded.
TEST(FormsCommandTest, OnlyDevaForThePairSumTarget) {
  const std::filesystem::path dir = testing::freshDirectory("forms-deva");
  const ProgramRun run =
      runOstrel({"forms", "--section", "purplenum", "--class", "humar", "--target", "50/50/50/50",
                 "--beam-width", "2", "--format", "json"},
                "", dir);
  const json document = json::parse(run.out);
  for (const json& form : document["forms"]) {
    EXPECT_EQ(form["status"] == "excluded", form["form"] != "Deva") << form.dump();
  }
  EXPECT_EQ(run.status, document["forms"][36]["status"] == "reached" ? 0 : 1);
}

}  // namespace
}  // namespace ostrel

// End-to-end tests of the command line: the real ostrel binary in fresh directories.
// - `ostrel plan` prints and writes the same plan bytes as a dialogue of one plan given the same
//   answers, over seeded requests (new and grown mags with bars, a give-up, no plan at all) and
//   for refused targets, which the command refuses with the dialogue's own words.
// - Every refusal and exclusion, as the exact line of the case files in tests/cases/; a bad input
//   prints nothing on standard output and leaves the plan files already there as they were.
// - --help, --version, and feeding a plan's runs back through `ostrel feed`.
#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "model/tables.h"
#include "support/plan_cases.h"
#include "support/plan_document_check.h"
#include "support/run_program.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using testing::dialoguePlanLines;
using testing::PlanCase;
using testing::ProgramRun;
using testing::readFile;
using testing::runOstrel;

constexpr const char* kOldDetail = "an old detail file\n";
constexpr const char* kOldGrouped = "an old grouped file\n";

std::filesystem::path directoryWithOldPlan(const std::string& name) {
  const std::filesystem::path dir = testing::freshDirectory(name);
  std::ofstream(dir / "feedingPlan.txt") << kOldDetail;
  std::ofstream(dir / "feedingPlan2.txt") << kOldGrouped;
  return dir;
}

// Plans `c` with the dialogue and with `ostrel plan`, and checks that both tell the same plan in
// the same bytes. Returns what the dialogue printed.
std::string expectSamePlan(const PlanCase& c, bool byName) {
  const std::filesystem::path dialogueDir = directoryWithOldPlan("dialogue");
  const std::filesystem::path commandDir = directoryWithOldPlan("command");
  const ProgramRun dialogue = runOstrel({}, testing::dialogueInput(c), dialogueDir);
  const ProgramRun command = runOstrel(testing::planArguments(c, byName), "", commandDir);
  EXPECT_EQ(dialogue.status, 0) << dialogue.err;
  EXPECT_EQ(command.out, dialoguePlanLines(dialogue.out));
  for (const char* file : {"feedingPlan.txt", "feedingPlan2.txt"}) {
    EXPECT_EQ(readFile(commandDir / file), readFile(dialogueDir / file)) << file;
  }
  const bool found = dialogue.out.find("Mag successful!\n") != std::string::npos;
  EXPECT_EQ(command.status, found ? 0 : 1);
  // The same request as JSON: the plan replays, and agrees with the files written above.
  std::vector<std::string> args = testing::planArguments(c, byName);
  args.insert(args.end(), {"--format", "json", "--no-files"});
  const ProgramRun json = runOstrel(args, "", commandDir);
  EXPECT_EQ(json.status, command.status);
  const nlohmann::json document = nlohmann::json::parse(json.out);
  EXPECT_EQ(document["outcome"] == "found", found);
  if (found) testing::expectDocumentReplays(c, document, commandDir);
  EXPECT_EQ(found, !command.out.empty());
  // The search's progress and give-up lines go to standard error, and the reason for no plan.
  std::istringstream lines(dialogue.out);
  std::string progress;
  for (std::string line; std::getline(lines, line);) {
    if (line.starts_with("Wow this is hard!") || line.starts_with("Sorry, I cant")) {
      progress += line + "\n";
    }
  }
  const bool gaveUp = progress.find("Sorry") != std::string::npos;
  const std::string reason = found    ? ""
                             : gaveUp ? "ostrel plan: no plan: the search gave up after "
                                      : "ostrel plan: no plan: no sequence of feedings reaches ";
  EXPECT_TRUE(command.err.starts_with(progress + reason)) << command.err;
  EXPECT_EQ(std::count(command.err.begin(), command.err.end(), '\n'),
            std::count(progress.begin(), progress.end(), '\n') + (found ? 0 : 1));
  return dialogue.out;
}

TEST(PlanCommandTest, PrintsAndWritesWhatTheDialogueDoes) {
  std::mt19937 rng(1010);
  int found = 0, gaveUp = 0;
  for (int i = 0; i < 100; ++i) {
    const PlanCase c = testing::randomPlanCase(rng);
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << testing::dialogueInput(c));
    const std::string dialogue = expectSamePlan(c, i % 2 == 0);
    found += dialogue.find("Mag successful!") != std::string::npos;
    gaveUp += dialogue.find("Sorry") != std::string::npos;
  }
  // The seeded cases must be mostly plans, with some of each way of finding none.
  EXPECT_TRUE(found > 50 && gaveUp > 0 && found + gaveUp < 100) << found << " found, " << gaveUp;
}

TEST(PlanCommandTest, NoPlanAndGivingUpAsInTheDialogue) {
  PlanCase hopeless;  // the dialogue's own example of a target it cannot reach
  hopeless.target = {5, 0, 0, 195, 200};
  EXPECT_NE(expectSamePlan(hopeless, true).find("Sorry"), std::string::npos);
  PlanCase none;  // every feeding from a new mag raises more than def
  none.target = {8, 0, 0, 0, 8};
  EXPECT_NE(expectSamePlan(none, false).find("failed to create Mag"), std::string::npos);
}

TEST(PlanCommandTest, RefusesTheTargetsAndMagsTheDialogueRefuses) {
  struct Refused {
    PlanCase request;
    const char* dialogueSays;
  };
  PlanCase grown;
  grown.baby = false;
  grown.start = {28, 20, 30, 40, 5, 10, 20, 30, 40, 95};
  PlanCase equal = grown, lower = grown, tooMany = grown, def4, full = grown;
  equal.target = {20, 30, 40, 5, 95};
  lower.target = {25, 30, 39, 10, 104};
  tooMany.target = {20, 30, 40, 111, 201};
  def4.target = {4, 1, 1, 1, 7};
  full.start = {28, 100, 50, 50, 0, 0, 0, 0, 0, 200};
  full.target = {100, 50, 50, 0, 200};
  for (const Refused& refused :
       {Refused{equal, "That mag is not possible\n"}, Refused{lower, "That mag is not possible\n"},
        Refused{tooMany, "That mag is not possible\n"}, Refused{def4, "That mag is not possible\n"},
        Refused{full, "Your mag is fully raised!\n"}}) {
    const std::filesystem::path dir = directoryWithOldPlan("refused");
    const ProgramRun dialogue = runOstrel({}, testing::dialogueInput(refused.request), dir);
    EXPECT_NE(dialogue.out.find(refused.dialogueSays), std::string::npos);
    const ProgramRun command = runOstrel(testing::planArguments(refused.request, true), "", dir);
    EXPECT_EQ(command.status, 2);
    std::string reason = refused.dialogueSays;
    reason.pop_back();
    EXPECT_NE(command.err.find(reason), std::string::npos) << command.err;
  }
}

// Every refusal a user can see, as the exact line on standard error, from the data files of
// tests/cases/: one JSON object a line, {"args": [...], "err": "...", "status": 2 when left out}.
// A refusal (status 2) prints nothing on standard output and leaves the old plan files as they
// were.
TEST(CommandLineTest, RefusalsAreTheLinesOfTheCaseFiles) {
  int rows = 0;
  for (const char* file : {"bad_input.jsonl", "exclusions.jsonl"}) {
    std::ifstream cases(std::filesystem::path(OSTREL_CASES_DIR) / file);
    for (std::string line; std::getline(cases, line); ++rows) {
      const nlohmann::json row = nlohmann::json::parse(line);
      SCOPED_TRACE(line);
      const std::filesystem::path dir = directoryWithOldPlan("bad");
      const ProgramRun run = runOstrel(row["args"].get<std::vector<std::string>>(), "", dir);
      const int status = row.value("status", 2);
      EXPECT_EQ(run.status, status);
      EXPECT_EQ(run.err, row["err"].get<std::string>() + "\n");
      if (status != 2) continue;
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(readFile(dir / "feedingPlan.txt"), kOldDetail);
      EXPECT_EQ(readFile(dir / "feedingPlan2.txt"), kOldGrouped);
    }
  }
  EXPECT_GT(rows, 60);  // both files were found and read
}

TEST(CommandLineTest, HelpAndVersion) {
  const std::filesystem::path dir = testing::freshDirectory("help");
  const ProgramRun version = runOstrel({"--version"}, "", dir);
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "ostrel " OSTREL_VERSION "\n");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--help"},
                                               {"plan", "--help"},
                                               {"feed", "-h"},
                                               {"forms", "--help"}}) {
    const ProgramRun help = runOstrel(args, "", dir);
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    const std::string command = args.size() == 1 ? "ostrel " : "ostrel " + args[0];
    EXPECT_NE(help.out.find("Usage: " + command), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("Example"), std::string::npos) << help.out;
  }
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

// `--no-files` leaves old plan files alone and `--dir` writes the dialogue's files elsewhere.
TEST(CommandLineTest, PlanFilesGoWhereAsked) {
  const std::filesystem::path dir = directoryWithOldPlan("no-files");
  const std::vector<std::string> worked = {"plan",  "--section", "purplenum", "--class",
                                           "HUMAR", "--target",  "6/1/0/2"};
  std::vector<std::string> args = worked;
  args.emplace_back("--no-files");
  const ProgramRun quiet = runOstrel(args, "", dir);
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(readFile(dir / "feedingPlan.txt"), kOldDetail);
  EXPECT_EQ(readFile(dir / "feedingPlan2.txt"), kOldGrouped);

  const std::filesystem::path golden = std::filesystem::path(OSTREL_GOLDEN_DIR) / "worked_example";
  args = worked;
  args.insert(args.end(), {"--dir", (dir / "sub").string()});
  std::filesystem::create_directory(dir / "sub");
  const ProgramRun elsewhere = runOstrel(args, "", dir);
  EXPECT_EQ(elsewhere.out, quiet.out);
  EXPECT_EQ(readFile(dir / "sub" / "feedingPlan.txt"), readFile(golden / "feedingPlan.txt"));
  EXPECT_EQ(readFile(dir / "sub" / "feedingPlan2.txt"), readFile(golden / "feedingPlan2.txt"));
  EXPECT_EQ(readFile(dir / "feedingPlan.txt"), kOldDetail);
}

// The plan's runs fed back through `ostrel feed` end at the plan's mag, bars included.
TEST(CommandLineTest, FeedingAPlanBackReachesItsMag) {
  const std::filesystem::path dir = testing::freshDirectory("feed");
  const ProgramRun fed = runOstrel({"feed", "--section", "skyly", "--class", "ramar", "--items",
                                    "4 Sol Atomizer, 2 moonatomizer,DIFLUID"},
                                   "", dir);
  EXPECT_EQ(fed.status, 0);
  EXPECT_EQ(fed.out,
            "For a Skyly Ramar:\n"
            "Start: mag(5) 5/0/0/0  Bars: 0/0/0/0\n"
            "After 4 Sol Atomizer: mag(7) 5/1/0/1  Bars: 60/20/60/0\n"
            "After 2 Moon Atomizer: mag(7) 5/1/0/1  Bars: 90/70/90/60\n"
            "After 1 Difluid: mag(9) 6/1/0/2  Bars: 0/70/95/5\n"
            "7 feedings.  Cost: 2700 meseta.  Time: approx 0.12 hours\n");
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

}  // namespace
}  // namespace ostrel

// End-to-end tests of the command line: the real ostrel binary in fresh directories.
// - Every refusal and exclusion, as the exact line of the case files in tests/cases/; a bad input
//   prints nothing on standard output and leaves the plan files already there as they were.
// - The help of each command (--version is the install test's), where the plan files go, two
//   plans written to the same files at once, and feeding a plan's runs through `ostrel feed`.
// Planning itself, against the dialogue, is e2e/plan_test.cc.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using testing::directoryWithOldPlan;
using testing::keepsOldPlan;
using testing::ProgramRun;
using testing::readFile;
using testing::runOstrel;
using testing::with;

// Every refusal a user can see, as the exact line on standard error, from the data files of
// tests/cases/: one JSON object a line, {"args": [...], "err": "...", "status": 2 when left out,
// "out": lines of standard output, "in": the answers of a dialogue, "outputTo": where standard
// output goes instead of a file}. A refusal (status 2) prints
// nothing on standard output; it and the help leave the old plan files as they were.
TEST(CommandLineTest, AnswersAreTheLinesOfTheCaseFiles) {
  int rows = 0;
  for (const char* file : {"bad_input.jsonl", "no_plan.jsonl", "help.jsonl"}) {
    std::ifstream cases(std::filesystem::path(OSTREL_CASES_DIR) / file);
    for (std::string line; std::getline(cases, line); ++rows) {
      const nlohmann::json row = nlohmann::json::parse(line);
      SCOPED_TRACE(line);
      const std::filesystem::path dir = directoryWithOldPlan("bad");
      const ProgramRun run = runOstrel(row["args"].get<std::vector<std::string>>(),
                                       row.value("in", ""), dir, row.value("outputTo", ""));
      const int status = row.value("status", 2);
      EXPECT_EQ(run.status, status);
      EXPECT_EQ(run.err, row.contains("err") ? row["err"].get<std::string>() + "\n" : "");
      EXPECT_NE(("\n" + run.out).find(row.value("out", "\n")), std::string::npos) << run.out;
      EXPECT_TRUE(status != 2 || run.out.empty()) << run.out;
      EXPECT_TRUE(status == 1 || row.contains("in") || keepsOldPlan(dir));
    }
  }
  EXPECT_GT(rows, 70);  // the files were found and read
}

// `--no-files` leaves old plan files alone and `--dir` writes the dialogue's files elsewhere; a
// plan whose files cannot be written is still shown, with the files named, and is exit status 1.
TEST(CommandLineTest, PlanFilesGoWhereAsked) {
  const std::filesystem::path dir = directoryWithOldPlan("no-files");
  const std::vector<std::string> worked = {"plan",     "--section", "purplenum", "--class", "HUMAR",
                                           "--target", "6/1/0/2",   "--goal",    "first"};
  const ProgramRun quiet = runOstrel(with(worked, {"--no-files"}), "", dir);
  EXPECT_EQ(quiet.status, 0);
  EXPECT_TRUE(keepsOldPlan(dir));

  const std::filesystem::path golden = std::filesystem::path(OSTREL_GOLDEN_DIR) / "worked_example";
  std::filesystem::create_directory(dir / "sub");
  const ProgramRun elsewhere = runOstrel(with(worked, {"--dir", (dir / "sub").string()}), "", dir);
  EXPECT_EQ(elsewhere.out, quiet.out);
  for (const char* file : {"feedingPlan.txt", "feedingPlan2.txt"}) {
    EXPECT_EQ(readFile(dir / "sub" / file), readFile(golden / file)) << file;
  }
  const std::filesystem::path blocked = dir / "blocked";
  for (const char* file : {"feedingPlan.txt", "feedingPlan2.txt"}) {
    std::filesystem::create_directories(blocked / file);
  }
  const ProgramRun unwritten = runOstrel(with(worked, {"--dir", blocked.string()}), "", dir);
  EXPECT_EQ(unwritten.status, 1);
  EXPECT_EQ(unwritten.out, quiet.out);
  EXPECT_NE(unwritten.err.find("cannot write " + (blocked / "feedingPlan2.txt").string()),
            std::string::npos)
      << unwritten.err;
  EXPECT_TRUE(keepsOldPlan(dir));
}

// A plan written to files that another ostrel is writing waits for it, says so, and then writes
// its whole plan (without the wait, two plans written at once mixed their lines, both exit 0).
TEST(CommandLineTest, PlanWaitsForAnotherWritingTheSameFiles) {
  const std::filesystem::path dir = testing::freshDirectory("held");
  const std::filesystem::path detail = dir / "feedingPlan.txt";
  const int held = ::open(detail.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  const bool locked = ::flock(held, LOCK_EX) == 0;
  std::future<ProgramRun> waiting = std::async(std::launch::async, [&dir] {
    return runOstrel({"plan", "--section", "purplenum", "--class", "humar", "--target", "6/1/0/2",
                      "--goal", "first"},
                     "", dir);
  });
  EXPECT_TRUE(locked);
  EXPECT_EQ(waiting.wait_for(std::chrono::milliseconds(500)), std::future_status::timeout);
  EXPECT_EQ(std::filesystem::file_size(detail), 0U);
  EXPECT_FALSE(std::filesystem::exists(dir / "feedingPlan2.txt"));
  ::close(held);
  const ProgramRun run = waiting.get();
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "ostrel plan: waiting while another plan is written to feedingPlan.txt\n");
  const std::filesystem::path golden = std::filesystem::path(OSTREL_GOLDEN_DIR) / "worked_example";
  for (const char* file : {"feedingPlan.txt", "feedingPlan2.txt"}) {
    EXPECT_EQ(readFile(dir / file), readFile(golden / file)) << file;
  }
}

// The worked example's runs fed back through `ostrel feed` end at its mag, bars included; the
// document's last run ends at its summary's mag (the schema checks the rest of its shape).
TEST(CommandLineTest, FeedingAPlanBackReachesItsMag) {
  const std::filesystem::path dir = testing::freshDirectory("feed");
  const auto feed = with({"feed", "--section", "skyly", "--class", "ramar", "--items"},
                         {"4 Sol Atomizer, 2 moonatomizer,DIFLUID"});
  const ProgramRun fed = runOstrel(feed, "", dir);
  EXPECT_EQ(fed.status, 0);
  EXPECT_EQ(fed.out,
            "For a Skyly Ramar:\n"
            "Start: mag(5) 5/0/0/0  Bars: 0/0/0/0\n"
            "After 4 Sol Atomizer: mag(7) 5/1/0/1  Bars: 60/20/60/0\n"
            "After 2 Moon Atomizer: mag(7) 5/1/0/1  Bars: 90/70/90/60\n"
            "After 1 Difluid: mag(9) 6/1/0/2  Bars: 0/70/95/5\n"
            "7 feedings.  Cost: 2700 meseta.  Time: approx 0.12 hours\n");
  const nlohmann::json document =
      nlohmann::json::parse(runOstrel(with(feed, {"--format", "json"}), "", dir).out);
  EXPECT_EQ(document["runs"].back()["after"], document["summary"]["reached"]);
  EXPECT_EQ(document["summary"]["reached"]["bars"],
            nlohmann::json({{"def", 0}, {"pow", 70}, {"dex", 95}, {"mind", 5}}));
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

}  // namespace
}  // namespace ostrel

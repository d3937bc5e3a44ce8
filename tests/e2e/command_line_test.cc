// End-to-end tests of the command line: the real ostrel binary in fresh directories.
// - Every bad input: status 2, one line on standard error naming the option and the value,
//   nothing on standard output, and the plan files already there left as they were.
// - --help, --version, where the plan files go, and feeding a plan's runs through `ostrel feed`.
// Planning itself, against the dialogue, is e2e/plan_test.cc.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

using testing::directoryWithOldPlan;
using testing::kOldDetail;
using testing::kOldGrouped;
using testing::ProgramRun;
using testing::readFile;
using testing::runOstrel;

// Status 2, one line on standard error holding every one of `mentions`, nothing on standard
// output, and the old plan files untouched.
TEST(CommandLineTest, BadInputIsOneLineAndTouchesNoFile) {
  const std::string target = "--target";
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> mentions;
  };
  const std::vector<std::string> baby = {"plan", "--section", "skyly", "--class", "ramar"};
  const auto plan = [&](std::vector<std::string> more) {
    std::vector<std::string> args = baby;
    args.insert(args.end(), more.begin(), more.end());
    return args;
  };
  const auto grown = [&](const std::string& stats, const std::string& bars) {
    return plan({"--mag", "varaha", "--stats", stats, "--bars", bars, "--target", "50/60/60/20"});
  };
  const Case cases[] = {
      {{"bogus"}, {"'bogus' is not a command", "plan, feed, forms"}},
      {{"plan", "--bogus"}, {"--bogus"}},
      {{"--bogus"}, {"--bogus"}},
      {plan({}), {"--target is required"}},
      {{"plan", "--class", "ramar", "--target", "6/0/0/0"}, {"--section is required", "Whitill"}},
      {{"plan", "--section", "skyly", "--section", "oran", "--class", "ramar", "--target",
        "6/0/0/0"},
       {"--section"}},
      {{"feed", "plan"}, {"plan"}},
      {plan({"--target", "6/0/0/0", "extra"}), {"extra"}},
      {{"plan", "--section", "sky", "--class", "ramar", "--target", "6/0/0/0"},
       {"--section 'sky'", "not a section ID", "0..9", "Whitill"}},
      {{"plan", "--section", "10", "--class", "ramar", "--target", "6/0/0/0"},
       {"--section '10'", "0..9"}},
      {{"plan", "--section", "4294967298", "--class", "ramar", "--target", "6/0/0/0"},
       {"--section '4294967298'"}},
      {{"plan", "--section", "skyly", "--class", "12", "--target", "6/0/0/0"},
       {"--class '12'", "0..11", "Fonewearl"}},
      {plan({"--mag", "0", "--stats", "5/0/0/0", "--target", "6/0/0/0"}),
       {"--mag '0'", "1..45", "savitri"}},
      {plan({"--mag", "vara ha x", "--stats", "5/0/0/0", "--target", "6/0/0/0"}),
       {"--mag 'vara ha x'", "not a form"}},
      {plan({"--mag", "varaha", "--target", "6/0/0/0"}), {"--mag 'varaha'", "--stats"}},
      {plan({"--stats", "5/0/0/0", "--target", "6/0/0/0"}), {"--stats '5/0/0/0'", "--mag"}},
      {plan({"--bars", "1/1/1/1", "--target", "6/0/0/0"}), {"--bars '1/1/1/1'", "--mag"}},
      {grown("4/0/0/0", "0/0/0/0"), {"--stats '4/0/0/0'", "def 4 is below 5"}},
      {grown("5/-1/0/0", "0/0/0/0"), {"--stats '5/-1/0/0'", "pow -1 is below 0"}},
      {grown("100/50/50/0", "0/0/0/0"), {"--stats '100/50/50/0'", "Your mag is fully raised!"}},
      {grown("2147483647/2147483647/2/0", "0/0/0/0"), {"Your mag is fully raised!"}},
      {grown("5/0/0/4294967301", "0/0/0/0"), {"--stats '5/0/0/4294967301'", "beyond 32 bits"}},
      {grown("5/0/0", "0/0/0/0"), {"--stats '5/0/0'", "not four numbers"}},
      {grown("5/0/0/0/0", "0/0/0/0"), {"--stats '5/0/0/0/0'", "more than four"}},
      {grown("5/0/x/0", "0/0/0/0"), {"--stats '5/0/x/0'", "not a whole number"}},
      {grown("5/ 0/0/0", "0/0/0/0"), {"--stats '5/ 0/0/0'", "not a whole number"}},
      {grown("5/0/0/0", "0/0/0/100"), {"--bars '0/0/0/100'", "mind bar 100", "0..99"}},
      {grown("5/0/0/0", "-1/0/0/0"), {"--bars '-1/0/0/0'", "def bar -1", "0..99"}},
      {plan({"--target", "5/0/0/0"}), {"--target '5/0/0/0'", "That mag is not possible"}},
      {plan({"--target", "4/1/1/1"}), {"--target '4/1/1/1'", "def 4 is below 5"}},
      {plan({"--target", "5/0/0/196"}), {"That mag is not possible", "201 levels"}},
      {plan({"--target", "5/2147483647/2147483647/0"}), {"That mag is not possible"}},
      {plan({"--target", "5/0/0/4294967297"}), {"--target '5/0/0/4294967297'", "beyond 32 bits"}},
      {plan({"--mag", "varaha", "--stats", "10/10/10/10", "--target", "20/20/9/20"}),
       {"--target '20/20/9/20'", "That mag is not possible", "dex 9 is below the mag's 10"}},
      {plan({"--target", "6/0/0/0", "--format", "xml"}), {"--format 'xml'", "text, json"}},
      {plan({"--target", "6/0/0/0", "--dir", "no-such-dir"}), {"--dir 'no-such-dir'"}},
      {plan({"--target", "6/0/0/0", "--dir", ".", "--no-files"}), {"--dir", "--no-files"}},
      {{"feed", "--section", "skyly", "--class", "ramar"},
       {"--items is required", "Star Atomizer"}},
      {{"feed", "--section", "skyly", "--class", "ramar", "--items", "4 Sol Atomiser"},
       {"--items '4 Sol Atomiser'", "'4 Sol Atomiser' is not an item", "Star Atomizer"}},
      {{"feed", "--section", "skyly", "--class", "ramar", "--items", "Difluid,,Difluid"},
       {"--items 'Difluid,,Difluid'", "an entry is empty"}},
      {{"feed", "--section", "skyly", "--class", "ramar", "--items", "0 Difluid"},
       {"'0 Difluid'", "1..9999"}},
      {{"feed", "--section", "skyly", "--class", "ramar", "--items", "10000 Difluid"},
       {"'10000 Difluid'", "1..9999"}},
      {{"feed", "--section", "skyly", "--class", "ramar", "--items", "99999999999 Difluid"},
       {"'99999999999 Difluid'", "1..9999"}},
      {{"feed", "--section", "skyly", "--class", "ramar", "--items", "4"}, {"'4' is not an item"}},
      {{"feed", "--section", "skyly", "--class", "ramar", "--items", "Difluid", "--target",
        "6/0/0/0"},
       {"--target"}},
      {{"feed", "--section", "skyly", "--class", "ramar", "--mag", "varaha", "--stats",
        "100/50/50/0", "--items", "Difluid"},
       {"Your mag is fully raised!"}},
      {plan({"--target", "6/0/0/0", "--goal", "best"}),
       {"--goal 'best'", "first, cheapest, fewest"}},
      {plan({"--target", "6/0/0/0", "--goal", "Cheapest"}), {"--goal 'Cheapest'"}},
      {plan({"--target", "6/0/0/0", "--form", "nosuch"}),
       {"--form 'nosuch'", "not a form", "1..45", "savitri"}},
      {plan({"--target", "6/0/0/0", "--form", "46"}), {"--form '46'", "1..45"}},
      {plan({"--target", "6/0/0/0", "--beam-width", "0"}), {"--beam-width '0'", "1..5000"}},
      {plan({"--target", "6/0/0/0", "--beam-width", "5001"}), {"--beam-width '5001'", "1..5000"}},
      {plan({"--target", "6/0/0/0", "--beam-width", "4294967297"}), {"--beam-width '4294967297'"}},
      {plan({"--target", "6/0/0/0", "--beam-width", "ten"}), {"--beam-width 'ten'"}},
      {plan({"--target", "5/0/0/0", "--goal", "cheapest"}), {"That mag is not possible"}},
      {{"forms", "--section", "skyly", "--class", "ramar", "--target", "6/0/0/0", "--goal",
        "first"},
       {"--goal 'first'", "cheapest, fewest"}},
      {{"forms", "--section", "skyly", "--class", "ramar", "--target", "6/0/0/0", "--form", "ila"},
       {"--form"}},
      {{"forms", "--section", "skyly", "--class", "ramar"}, {"--target is required"}},
      {{"forms", "--section", "skyly", "--class", "ramar", "--target", "6/0/0/0", "--dir", "."},
       {"--dir"}},
      {{"--goal", "best"}, {"--goal 'best'", "first, cheapest, fewest"}},
      {{"--form", "nosuch"}, {"--form 'nosuch'", "not a form"}},
      {{"--beam-width", "0"}, {"--beam-width '0'"}},
      {{"--goal", "cheapest", "plan", "--section", "skyly", "--class", "ramar", "--target",
        "6/0/0/0"},
       {"before a command", "ostrel plan --goal cheapest"}},
  };
  for (const Case& c : cases) {
    std::string shown;
    for (const std::string& arg : c.args) shown += arg + " ";
    SCOPED_TRACE(shown);
    const std::filesystem::path dir = directoryWithOldPlan("bad");
    const ProgramRun run = runOstrel(c.args, "", dir);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("ostrel") && run.err.ends_with("\n") &&
                run.err.find('\n') == run.err.size() - 1)
        << run.err;
    for (const std::string& mention : c.mentions) {
      EXPECT_NE(run.err.find(mention), std::string::npos) << mention << " in " << run.err;
    }
    EXPECT_EQ(readFile(dir / "feedingPlan.txt"), kOldDetail);
    EXPECT_EQ(readFile(dir / "feedingPlan2.txt"), kOldGrouped);
  }
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

// The plan's runs fed back through `ostrel feed` end at the plan's mag, bars included; its
// document's summary adds up the runs.
TEST(CommandLineTest, FeedingAPlanBackReachesItsMag) {
  const std::filesystem::path dir = testing::freshDirectory("feed");
  const std::vector<std::string> feed = {"feed",
                                         "--section",
                                         "skyly",
                                         "--class",
                                         "ramar",
                                         "--items",
                                         "4 Sol Atomizer, 2 moonatomizer,DIFLUID"};
  const ProgramRun fed = runOstrel(feed, "", dir);
  EXPECT_EQ(fed.status, 0);
  EXPECT_EQ(fed.out,
            "For a Skyly Ramar:\n"
            "Start: mag(5) 5/0/0/0  Bars: 0/0/0/0\n"
            "After 4 Sol Atomizer: mag(7) 5/1/0/1  Bars: 60/20/60/0\n"
            "After 2 Moon Atomizer: mag(7) 5/1/0/1  Bars: 90/70/90/60\n"
            "After 1 Difluid: mag(9) 6/1/0/2  Bars: 0/70/95/5\n"
            "7 feedings.  Cost: 2700 meseta.  Time: approx 0.12 hours\n");
  std::vector<std::string> asJson = feed;
  asJson.insert(asJson.end(), {"--format", "json"});
  const nlohmann::json document = nlohmann::json::parse(runOstrel(asJson, "", dir).out);
  ASSERT_EQ(document["runs"].size(), 3U);
  EXPECT_EQ(document["runs"][2]["after"], document["summary"]["reached"]);
  EXPECT_EQ(document["summary"]["reached"]["stats"],
            nlohmann::json({{"def", 6}, {"pow", 1}, {"dex", 0}, {"mind", 2}}));
  EXPECT_EQ(document["summary"]["feedings"], 7);
  EXPECT_EQ(document["summary"]["meseta"], 2700);
  EXPECT_EQ(document["summary"]["hours"], 0.12);
  EXPECT_TRUE(std::filesystem::is_empty(dir));
}

}  // namespace
}  // namespace ostrel

// `ostrel plan` in the test process: the JSON document of every seeded plan is replayed through
// feedItem and must agree with the replay, with itself (runs and feedings, summary) and with the
// plan files written beside it; a request without a plan still gives a whole document.
#include "app/plan_command.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

#include "model/feeding.h"
#include "model/tables.h"
#include "plan/report/plan_report.h"
#include "support/command_output.h"
#include "support/plan_cases.h"
#include "support/plan_document_check.h"

namespace ostrel {
namespace {

using nlohmann::json;

PlanCommandOptions optionsFor(const testing::PlanCase& c, const std::string& format) {
  PlanCommandOptions options;
  const std::vector<std::string> args = testing::planArguments(c, true);
  for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
    const std::string& value = args[i + 1];
    if (args[i] == "--section") options.mag.section = value;
    if (args[i] == "--class") options.mag.charClass = value;
    if (args[i] == "--mag") options.mag.mag = value;
    if (args[i] == "--stats") options.mag.stats = value;
    if (args[i] == "--bars") options.mag.bars = value;
    if (args[i] == "--target") options.target = value;
  }
  options.format = format;
  return options;
}

TEST(PlanJsonTest, EverySeededPlanReplays) {
  std::mt19937 rng(4242);
  int plans = 0;
  for (int i = 0; i < 150; ++i) {
    const testing::PlanCase c = testing::randomPlanCase(rng, 6);
    SCOPED_TRACE(::testing::Message() << "case " << i << ": " << testing::dialogueInput(c));
    const auto run = testing::runCaught(
        [&](const Console& console) { return runPlanCommand(optionsFor(c, "json"), console); });
    const json document = json::parse(run.out);
    if (run.status != 0) {
      EXPECT_EQ(run.status, 1);
      EXPECT_TRUE(document["outcome"] == "impossible" || document["outcome"] == "gave-up");
      EXPECT_TRUE(document["summary"].is_null() && document["runs"].empty() &&
                  document["feedings"].empty());
      // No plan leaves both files empty, as the dialogue does.
      EXPECT_EQ(testing::readFile(kDetailFileName), "");
      EXPECT_EQ(testing::readFile(kGroupedFileName), "");
      continue;
    }
    ++plans;
    EXPECT_EQ(document["outcome"], "found");
    testing::expectDocumentReplays(c, document, ".");
  }
  EXPECT_GT(plans, 75);
}

// A request without a plan names the way it failed: the search gave up, or had nothing to try.
TEST(PlanJsonTest, OutcomesOfNoPlan) {
  testing::PlanCase hopeless;
  hopeless.target = {5, 0, 0, 195, 200};
  const auto gaveUp = testing::runCaught([&](const Console& console) {
    return runPlanCommand(optionsFor(hopeless, "json"), console);
  });
  EXPECT_EQ(gaveUp.status, 1);
  EXPECT_EQ(json::parse(gaveUp.out)["outcome"], "gave-up");
  testing::PlanCase none;
  none.target = {8, 0, 0, 0, 8};
  const auto impossible = testing::runCaught(
      [&](const Console& console) { return runPlanCommand(optionsFor(none, "json"), console); });
  EXPECT_EQ(impossible.status, 1);
  EXPECT_EQ(json::parse(impossible.out)["outcome"], "impossible");
  EXPECT_EQ(impossible.err,
            "ostrel plan: no plan: no sequence of feedings reaches 8/0/0/0 from this mag\n");
}

}  // namespace
}  // namespace ostrel

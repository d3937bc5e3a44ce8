// The command line given no arguments at all, as a caller other than main may give it (the fuzz
// target does for an empty input): a usage error that asks for a command, as for options alone.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/answer_reader.h"
#include "support/test_support.h"

namespace ostrel {
namespace {

TEST(RunCommandLineTest, NoArgumentsAskForACommand) {
  const char* const argv[] = {"ostrel", nullptr};
  AnswerReader reader{nullptr};  // never read: no dialogue runs
  int status = -1;
  const std::string out = testing::consoleOf(
      [&](const Console& console) { status = runCommandLine(1, argv, console, reader); });
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out,
            "ostrel: a command is required; allowed: plan, feed, forms, tradeoffs, or --goal for "
            "the dialogue; see 'ostrel --help'\n");
}

}  // namespace
}  // namespace ostrel

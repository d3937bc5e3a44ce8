// End-to-end: a mistyped or unknown option is named alone on one line of standard error, with
// the nearest option of the same command when one is close, and exit status 2.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_program.h"

namespace ostrel {
namespace {

TEST(CommandLineTest, UnknownOptionIsNamedWithTheNearestKnownOne) {
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"plan", "--section", "skyly", "--class", "ramar", "--target", "6/0/0/0", "--gaol",
        "cheapest"},
       "ostrel plan: unknown option '--gaol'; did you mean '--goal'?\n"},
      {{"forms", "--sectoin", "skyly"},
       "ostrel forms: unknown option '--sectoin'; did you mean '--section'?\n"},
      {{"feed", "--itmes=Difluid"},
       "ostrel feed: unknown option '--itmes'; did you mean '--items'?\n"},
      {{"--gaol", "cheapest"}, "ostrel: unknown option '--gaol'; did you mean '--goal'?\n"},
      {{"plan", "-goal", "cheapest"},
       "ostrel plan: unknown option '-goal'; did you mean '--goal'?\n"},
      {{"plan", "--beam", "9"},
       "ostrel plan: unknown option '--beam'; did you mean '--beam-width'?\n"},
      {{"--bogus"}, "ostrel: unknown option '--bogus'; see 'ostrel --help'\n"},
      {{"plan", "--target", "6/0/0/0", "extra"},
       "ostrel plan: The following argument was not expected: extra; see 'ostrel plan --help'\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.err);
    const testing::ProgramRun run = testing::runOstrel(c.args, "", testing::freshDirectory("typo"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, c.err);
  }
}

}  // namespace
}  // namespace ostrel

// Whether a search asked for two threads runs on two: only where the kernel's count of runnable
// threads leaves a second core free. The looking thread is itself runnable, so on two cores any
// other runnable thread leaves one. An outer search's decision (a second thread handed down) and
// a caller who does not yield to a busy machine keep two.
#include "plan/goal/free_cores.h"

#include <gtest/gtest.h>

#include "plan/goal/two_threads.h"

namespace ostrel {
namespace {

TEST(FreeCoresTest, TwoThreadsOnlyWhereTwoCoresAreFree) {
  EXPECT_TRUE(twoCoresFree({.cores = 2, .runnable = 1}));
  EXPECT_FALSE(twoCoresFree({.cores = 2, .runnable = 2}));
  EXPECT_FALSE(twoCoresFree({.cores = 2, .runnable = 3}));
  EXPECT_FALSE(twoCoresFree({.cores = 1, .runnable = 1}));
  EXPECT_TRUE(twoCoresFree({.cores = 4, .runnable = 3}));
  EXPECT_FALSE(twoCoresFree({.cores = 4, .runnable = 4}));

  EXPECT_EQ(runnableIn("0.52 0.58 0.59 3/467 12345\n"), 3);
  EXPECT_EQ(runnableIn("4.62 3.16 2.31 17/129 14504"), 17);
  EXPECT_EQ(runnableIn("0.00 0.00 0.00 0/99 1"), std::nullopt);
  EXPECT_EQ(runnableIn("0.52 0.58 3/467 12345"), std::nullopt);
  EXPECT_EQ(runnableIn(""), std::nullopt);
}

TEST(FreeCoresTest, OnlyTheOutermostSearchYieldingToABusyMachineDecides) {
  GoalOptions options;
  options.threads = 1;
  options.oneThreadWhenBusy = true;
  EXPECT_EQ(threadsToRun(options), 1);
  options.threads = 2;
  options.oneThreadWhenBusy = false;
  EXPECT_EQ(threadsToRun(options), 2);
  TwoThreads handedDown(true);
  options.oneThreadWhenBusy = true;
  options.twoThreads = &handedDown;
  EXPECT_EQ(threadsToRun(options), 2);
}

}  // namespace
}  // namespace ostrel

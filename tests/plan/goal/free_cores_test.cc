// Whether a search's second thread serves: only where the kernel's count of runnable threads
// leaves it a core of its own. The looking thread is itself runnable, so on two cores it serves
// where nothing else runs beside the search's first thread; the bound's thread wants one more.
// Whether it comes or not, every part of every job runs once, and a thread still waiting ends
// with the search.
#include "plan/goal/free_cores.h"

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "plan/goal/two_threads.h"

namespace ostrel {
namespace {

TEST(FreeCoresTest, AThreadServesOnlyWhereItHasACoreOfItsOwn) {
  EXPECT_TRUE(coresIdleFor({.cores = 2, .runnable = 2}, 0));
  EXPECT_FALSE(coresIdleFor({.cores = 2, .runnable = 3}, 0));
  EXPECT_FALSE(coresIdleFor({.cores = 1, .runnable = 2}, 0));
  EXPECT_TRUE(coresIdleFor({.cores = 2, .runnable = 1}, 1));
  EXPECT_FALSE(coresIdleFor({.cores = 2, .runnable = 2}, 1));
  EXPECT_TRUE(coresIdleFor({.cores = 4, .runnable = 3}, 1));
  EXPECT_FALSE(coresIdleFor({.cores = 4, .runnable = 4}, 1));

  EXPECT_EQ(runnableIn("0.52 0.58 0.59 3/467 12345\n"), 3);
  EXPECT_EQ(runnableIn("4.62 3.16 2.31 17/129 14504"), 17);
  EXPECT_EQ(runnableIn("0.00 0.00 0.00 0/99 1"), std::nullopt);
  EXPECT_EQ(runnableIn("0.52 0.58 3/467 12345"), std::nullopt);
  EXPECT_EQ(runnableIn(""), std::nullopt);
}

TEST(FreeCoresTest, EveryPartRunsOnceWhetherTheWaitingThreadComesOrNot) {
  for (int round = 0; round < 50; ++round) {
    TwoThreads threads(true, /*waitForIdleCore=*/true);
    constexpr std::size_t kParts = 16;
    std::vector<std::atomic<int>> ran(kParts * 40);
    for (std::size_t job = 0; job < 40; ++job) {
      threads.runParts(kParts,
                       [&](std::size_t part, int /*worker*/) { ++ran[job * kParts + part]; });
      EXPECT_GE(threads.count(), 1);
      EXPECT_LE(threads.count(), 2);
    }
    for (std::size_t i = 0; i < ran.size(); ++i) EXPECT_EQ(ran[i].load(), 1) << i;
  }
}

}  // namespace
}  // namespace ostrel

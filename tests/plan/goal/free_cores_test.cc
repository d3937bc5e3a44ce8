// Whether a search's second thread starts: only where the kernel's count of runnable threads
// leaves it a core of its own. The looking thread is itself runnable, so on two cores it starts
// where nothing else runs beside the search.
#include "plan/goal/free_cores.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(FreeCoresTest, ASecondThreadStartsOnlyWhereItHasACoreOfItsOwn) {
  EXPECT_FALSE(coreIdleFor({.cores = 1, .runnable = 1}));
  EXPECT_TRUE(coreIdleFor({.cores = 2, .runnable = 1}));
  EXPECT_FALSE(coreIdleFor({.cores = 2, .runnable = 2}));
  EXPECT_TRUE(coreIdleFor({.cores = 4, .runnable = 3}));
  EXPECT_FALSE(coreIdleFor({.cores = 4, .runnable = 4}));

  EXPECT_EQ(runnableIn("0.52 0.58 0.59 3/467 12345\n"), 3);
  EXPECT_EQ(runnableIn("4.62 3.16 2.31 17/129 14504"), 17);
  EXPECT_EQ(runnableIn("0.00 0.00 0.00 0/99 1"), std::nullopt);
  EXPECT_EQ(runnableIn("0.52 0.58 3/467 12345"), std::nullopt);
  EXPECT_EQ(runnableIn(""), std::nullopt);
}

}  // namespace
}  // namespace ostrel

// The feeding simulator's item lists. Every plan a test sees is also fed back run by run through
// the simulator by the replay checker (support/replay.cc).
#include "app/feed_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/feeding.h"
#include "support/cases.h"

namespace ostrel {
namespace {

// The rows of tests/cases/read_items.txt.
TEST(ReadItemsTest, NamesCountsAndSpacing) {
  for (const auto& row : testing::caseRows("read_items.txt")) {
    std::vector<FeedRun> parsed;
    std::string runs = readItems(row.at(0), parsed).empty() ? "" : "refused";
    for (const FeedRun& run : parsed) {
      if (!runs.empty()) runs += ' ';
      runs += std::to_string(run.count) + "x" + std::to_string(run.item);
    }
    EXPECT_EQ(runs, row.at(1)) << row.at(0);
  }
}

}  // namespace
}  // namespace ostrel

// The feeding simulator's item lists. Every plan a test sees is also fed back run by run through
// the simulator by the replay checker (support/replay.cc).
#include "app/feed_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/feeding.h"

namespace ostrel {
namespace {

std::string itemsOf(const std::vector<FeedRun>& runs) {
  std::string shown;
  for (const FeedRun& run : runs) {
    shown += std::to_string(run.count) + "x" + std::to_string(run.item) + " ";
  }
  return shown;
}

TEST(ReadItemsTest, NamesCountsAndSpacing) {
  const std::pair<const char*, const char*> read[] = {
      {"4 Sol Atomizer, 2 Moon Atomizer, Difluid", "4x8 2x9 1x4 "},
      {"4solatomizer,2 MOONATOMIZER ,  difluid", "4x8 2x9 1x4 "},
      {"Star Atomizer", "1x10 "},  // never in a plan, but the game feeds it
      {"monomate, Monomate", "1x0 1x0 "},
      {"9999 Anti paralysis", "9999x7 "},
      {"007 Trifluid", "7x5 "},
  };
  for (const auto& [text, runs] : read) {
    std::vector<FeedRun> parsed;
    EXPECT_EQ(readItems(text, parsed), "") << text;
    EXPECT_EQ(itemsOf(parsed), runs) << text;
  }
  for (const char* refused : {"", ",", "Difluid,", "-1 Difluid", "Sol Atomizer 4", "4", "x"}) {
    std::vector<FeedRun> parsed;
    EXPECT_NE(readItems(refused, parsed), "") << refused;
    EXPECT_TRUE(parsed.empty()) << refused;
  }
}

}  // namespace
}  // namespace ostrel

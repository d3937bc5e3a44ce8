// Feeding: which table a form uses, the table's numbers, and what one feeding does to the bars,
// the stats and the form.
#include "model/feeding.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(FeedingTest, TheTableOfEachFormAndItsSums) {
  const int cases[][2] = {{0, 0},  {1, 1},  {3, 1},  {4, 2},  {6, 2},  {7, 3},  {14, 3},
                          {15, 4}, {22, 4}, {23, 5}, {30, 5}, {31, 6}, {35, 6}, {36, 7},
                          {38, 7}, {39, 8}, {41, 8}, {42, 9}, {44, 9}, {45, 0}, {-1, 1}};
  for (const auto& [type, table] : cases) EXPECT_EQ(feedTableOf(type), table) << "type " << type;

  // The sums of each column (def, pow, dex, mind) over the eleven items of each feeding table,
  // added up from the game's table: one wrong number anywhere changes a sum. Forms out of range
  // read table 0 (45) or 1 (-1); items out of range (-1, 11) write nothing, so they add nothing.
  const StatDelta sums[10] = {
      {120, 216, 179, 225}, {74, 64, 80, 56}, {18, 25, 41, 30}, {-1, 8, 11, 7}, {-2, 8, 12, 8},
      {4, 8, 13, 9},        {21, 20, 39, 22}, {4, 6, 10, 6},    {1, 3, 13, 3},  {-18, 2, 14, 43}};
  for (MagType type = -1; type <= 45; ++type) {
    StatDelta sum;
    for (Item item = -1; item <= 11; ++item) {
      StatDelta d;
      feedDeltas(item, type, d);
      sum = {sum.def + d.def, sum.pow + d.pow, sum.dex + d.dex, sum.mind + d.mind};
    }
    EXPECT_EQ(sum, sums[feedTableOf(type)]) << "type " << type;
  }
}

TEST(FeedingTest, BarsLevelUpsAndEvolutionsInOneFeeding) {
  Player player;  // a Humar of section ID Purplenum at first
  MagState mag{0, 5, 0, 0, 0, 3, 99, 60, 0, 5};
  // def's bar stops at 0 and def stays; pow and dex each rise one level and keep the rest. The
  // feeding tells the bar changes it applied, not what the bars underwent.
  EXPECT_EQ(applyFeeding(player, mag, {-5, 1, 45, -7}), (StatDelta{-5, 1, 45, -7}));
  EXPECT_EQ(mag, (MagState{0, 5, 1, 1, 0, 0, 0, 5, 0, 7}));

  // At level 34 def rises first: at 35 mind leads and the mag becomes vayu (with pow raised
  // first, pow would tie mind and win on its delta: rudra). pow then reaches 36: no rule.
  mag = {1, 5, 11, 6, 12, 99, 99, 0, 0, 34};
  applyFeeding(player, mag, {1, 1, 0, 0});
  EXPECT_EQ(mag, (MagState{29, 6, 12, 6, 12, 0, 0, 0, 0, 36}));

  // Varuna at level 10 from def's bar, while pow, dex and mind still get mag's Monomate
  // (5/40/5/0), not Varuna's (5/10/0/-1).
  mag = {0, 5, 4, 0, 0, 95, 10, 10, 50, 9};
  feedItem(player, 0, mag);
  EXPECT_EQ(mag, (MagState{2, 6, 4, 0, 0, 0, 50, 15, 50, 10}));

  // At level 199 def rises, and with a Bluefull player (def + dex = pow + mind) the mag becomes a
  // Deva; pow's bar keeps 105 and pow does not rise. Then level 200 changes nothing at all.
  player.sectionId = 5;
  mag = {20, 49, 50, 50, 50, 98, 90, 7, 10, 199};
  EXPECT_EQ(feedItem(player, 2, mag), (StatDelta{2, 15, 0, -16}));  // Trimate for naga
  EXPECT_EQ(mag, (MagState{36, 50, 50, 50, 50, 0, 105, 7, 0, 200}));
  MagState fed = mag;
  fed.level = 0;  // recomputed, not trusted
  EXPECT_EQ(feedItem(player, 0, fed), StatDelta{});
  EXPECT_EQ(fed, mag);
}

}  // namespace
}  // namespace ostrel

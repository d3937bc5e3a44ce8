// Item choice: the score of an item against the target, the five choosers and the rule that picks
// which of them the search asks first.
#include "plan/first_found/item_choice.h"

#include <gtest/gtest.h>

#include "model/feeding.h"

namespace ostrel {
namespace {

MagState magAt(MagType type, int def, int pow, int dex, int mind) {
  return {type, def, pow, dex, mind, 0, 0, 0, 0, def + pow + dex + mind};
}

TEST(ItemChoiceTest, FeedScoreAndTheChoosersOfANewMag) {
  // A stat below (-1), at (0) or above (1) its target of 10, its bar change, the term.
  const int cases[][3] = {{-1, 40, 11}, {-1, 5, 2},   {-1, 3, 1},  {-1, -1, -1}, {-1, -4, 0},
                          {-1, -10, 1}, {-1, -27, 5}, {-1, 0, 0},  {0, 45, -12}, {1, 45, -12},
                          {1, 3, -1},   {0, -10, 0},  {1, -10, 0}, {0, 0, 0}};
  for (int i = 0; i < 14; ++i) {  // each case on one stat, in turn def, pow, dex and mind
    const auto [place, d, term] = cases[i];
    int s[4] = {10, 10, 10, 10};
    int c[4] = {0, 0, 0, 0};
    s[i % 4] += 10 * place;
    c[i % 4] = d;
    EXPECT_EQ(feedScore({10, 10, 10, 10, 40}, s[0], s[1], s[2], s[3], {c[0], c[1], c[2], c[3]}),
              term)
        << place << " " << d << " on stat " << i % 4;
  }

  // A new mag towards 50/100/50/0.
  const Target target{50, 100, 50, 0, 200};
  const int scores[10] = {15, 17, 19, -7, -7, -6, 14, 11, 9, 7};
  for (Item item = 0; item < 10; ++item) {
    EXPECT_EQ(feedScore(target, 5, 0, 0, 0, deltaOf(item, 0)), scores[item]) << "item " << item;
  }
  EXPECT_EQ(bestItemForDef(target, kBabyMag), 8);
  EXPECT_EQ(bestItemForPow(target, kBabyMag), 1);
  EXPECT_EQ(bestItemForDex(target, kBabyMag), 7);
  EXPECT_EQ(bestItemForMind(target, kBabyMag), 9);
  EXPECT_EQ(bestItemOverall(target, kBabyMag), 2);
  EXPECT_EQ(preferredItem(target, kBabyMag), 2);  // the pow gap of 100 rules out def's chooser
}

TEST(ItemChoiceTest, GainScoreTiesAndThePreferredItem) {
  // A pow, dex or mind gain larger by one wins against a higher score: durga's Sol Atomizer
  // (pow 17, score 3) over Dimate (16, 5); kalki's Moon Atomizer (dex 9) over Sol Atomizer (8);
  // mitra's Sol Atomizer (mind 9, score -2) over Difluid (8, 1).
  EXPECT_EQ(bestItemForPow({5, 10, 5, 5, 25}, magAt(7, 5, 5, 5, 5)), 8);
  EXPECT_EQ(bestItemForDex({10, 5, 5, 5, 25}, magAt(1, 5, 5, 5, 5)), 9);
  EXPECT_EQ(bestItemForMind({5, 5, 5, 10, 25}, magAt(4, 5, 5, 5, 5)), 8);
  // ashvinau short of pow only: Dimate replaces Monomate on score (3 against 2, def 1); Difluid's
  // def gain of 4 beats 1 + 2, although it scores -5.
  EXPECT_EQ(bestItemForDef({5, 10, 5, 5, 25}, magAt(31, 5, 5, 5, 5)), 4);
  // Ties: Sol and Moon Atomizer both score 23; Monofluid and Difluid both 7.
  EXPECT_EQ(bestItemOverall({60, 59, 59, 20, 198}, magAt(0, 20, 0, 0, 0)), 8);
  EXPECT_EQ(bestItemOverall({5, 0, 0, 10, 15}, kBabyMag), 3);

  // def's chooser (Sol Atomizer) while pow and dex are each less than 60 short; else the best
  // score (Trimate, 12 points).
  EXPECT_EQ(preferredItem({60, 59, 59, 20, 198}, magAt(1, 20, 0, 0, 0)), 8);
  EXPECT_EQ(preferredItem({60, 60, 59, 20, 199}, magAt(1, 20, 0, 0, 0)), 2);
  EXPECT_EQ(preferredItem({60, 59, 60, 20, 199}, magAt(1, 20, 0, 0, 0)), 2);
  // pow alone short besides def: pow's chooser (Dimate), def's would be Sol Atomizer.
  EXPECT_EQ(preferredItem({60, 60, 0, 0, 120}, magAt(1, 20, 0, 0, 0)), 1);
  // dex alone short: Antiparalysis, not Antidote's 8 points; mind alone: Difluid, not Monofluid.
  EXPECT_EQ(preferredItem({5, 0, 10, 0, 15}, kBabyMag), 7);
  EXPECT_EQ(preferredItem({5, 0, 0, 10, 15}, kBabyMag), 4);
}

}  // namespace
}  // namespace ostrel

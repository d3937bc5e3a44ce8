// Evolution: the rules of levels 10, 35, 50..95 and 100..200, and the stat ties decided by the
// deltas of the feeding in progress.
#include "model/evolution.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

// The form after the evolution check of a mag of `type` at def/pow/dex/mind, for a player of
// class `charClass` and section ID `id`, in a feeding of deltas `last`. The level handed in is
// wrong; the bars must stay.
MagType evolve(CharClass charClass, SectionId id, MagType type, int def, int pow, int dex, int mind,
               StatDelta last = {}) {
  MagState mag{type, def, pow, dex, mind, 1, 2, 3, 4, -1};
  checkEvolution(Player{id, charClass}, last, mag);
  EXPECT_EQ(mag, (MagState{mag.type, def, pow, dex, mind, 1, 2, 3, 4, def + pow + dex + mind}));
  return mag.type;
}

TEST(EvolutionTest, Levels10And35WhateverTheForm) {
  const MagType level10[3] = {2, 1, 3};
  // Rows pow, dex, mind leading; columns class groups 0, 1, 2.
  const MagType level35[3][3] = {{34, 5, 35}, {32, 4, 31}, {29, 6, 33}};
  const int stats[3][3] = {{15, 8, 7}, {8, 15, 7}, {7, 8, 15}};
  for (CharClass c = 0; c < 12; ++c) {
    EXPECT_EQ(evolve(c, 0, 0, 6, 2, 1, 1), level10[c / 4]) << "class " << c;
    EXPECT_EQ(evolve(c, 0, 40, 5, 5, 0, 0), level10[c / 4]) << "class " << c;
    for (int lead = 0; lead < 3; ++lead) {
      const auto& s = stats[lead];
      EXPECT_EQ(evolve(c, 0, 42, 5, s[0], s[1], s[2]), level35[lead][c / 4]) << "class " << c;
    }
  }
  EXPECT_EQ(evolve(0, 0, 0, 5, 4, 0, 0), 0);
  EXPECT_EQ(evolve(0, 0, 0, 5, 6, 0, 0), 0);
  // pow and mind tied at 12: vayu when the feeding's mind delta is larger, else rudra.
  EXPECT_EQ(evolve(0, 0, 2, 5, 12, 6, 12, {0, 1, 0, 2}), 29);
  EXPECT_EQ(evolve(0, 0, 2, 5, 12, 6, 12, {0, 1, 0, 1}), 34);
}

TEST(EvolutionTest, Level50To95ByStatOrderClassGroupAndSection) {
  // Rows stat order 0..5; columns group 0 low/high section, group 1 low/high, group 2 low/high.
  const MagType expected[6][6] = {{28, 26, 26, 18, 21, 19}, {24, 23, 24, 25, 22, 20},
                                  {9, 8, 24, 25, 11, 8},    {10, 14, 26, 28, 12, 24},
                                  {17, 16, 28, 17, 20, 27}, {30, 13, 23, 7, 17, 9}};
  const int stats[6][3] = {{20, 15, 10}, {20, 10, 15}, {15, 20, 10},
                           {10, 20, 15}, {15, 10, 20}, {10, 15, 20}};
  for (int order = 0; order < 6; ++order) {
    for (int column = 0; column < 6; ++column) {
      const auto& s = stats[order];
      EXPECT_EQ(evolve(column / 2 * 4 + 2, column % 2 + 4, 4, 5, s[0], s[1], s[2]),
                expected[order][column])
          << "order " << order << " column " << column;
    }
  }
  EXPECT_EQ(evolve(0, 0, 4, 44, 20, 16, 15), 28);  // level 95
  EXPECT_EQ(evolve(0, 0, 4, 5, 20, 16, 15), 4);    // level 56
  EXPECT_EQ(evolve(0, 0, 38, 5, 20, 15, 10), 38);  // final forms stay
  // def 45 or more: groups 0 and 1 keep their form; group 2 takes andhaka for pow, else bana.
  EXPECT_EQ(evolve(7, 9, 25, 45, 3, 1, 1), 25);
  EXPECT_EQ(evolve(8, 0, 25, 45, 3, 1, 1), 15);
  EXPECT_EQ(evolve(11, 9, 25, 46, 1, 1, 7), 16);  // level 55
  EXPECT_EQ(evolve(8, 0, 25, 44, 3, 2, 1), 21);
}

TEST(EvolutionTest, Level100To200BySectionSumAndClassPair) {
  // Rows class pairs; columns section sets {1,3,5,9}, {2,4,8}, {0,6,7}, whose conditions are
  // def+dex=pow+mind, def+pow=dex+mind, def+mind=pow+dex; each stats row meets one of them.
  const MagType expected[6][3] = {{36, 41, 36}, {44, 44, 44}, {40, 40, 40},
                                  {37, 42, 37}, {43, 43, 43}, {38, 39, 39}};
  const int set[10] = {2, 0, 1, 0, 1, 0, 2, 2, 1, 0};
  const int stats[3][4] = {{50, 25, 0, 25}, {50, 0, 25, 25}, {50, 25, 25, 0}};
  for (CharClass c = 0; c < 12; ++c) {
    for (SectionId id = 0; id < 10; ++id) {
      const auto& s = stats[set[id]];
      EXPECT_EQ(evolve(c, id, 35, s[0], s[1], s[2], s[3]), expected[c / 2][set[id]]);
      // Another set's sums: the form stays and the level 50..95 rule is not tried.
      const auto& o = stats[(set[id] + 1) % 3];
      EXPECT_EQ(evolve(c, id, 35, o[0], o[1], o[2], o[3]), 35);
    }
  }
  EXPECT_EQ(evolve(2, 1, 20, 55, 30, 0, 25), 44);  // level 110
  EXPECT_EQ(evolve(0, 1, 20, 50, 30, 0, 25), 20);  // level 105
  EXPECT_EQ(evolve(0, 2, 37, 50, 0, 25, 25), 37);  // a final form never changes
}

TEST(EvolutionTest, DominantStatAndStatOrder) {
  // pow, dex, mind, the feeding's pow, dex and mind deltas; then the expected dominant stat and
  // stat order. Two stats tied at the top: the larger delta wins; equal deltas go to pow, and
  // to dex over mind. Three equal stats: pow, whatever the deltas.
  const int cases[][8] = {
      {10, 6, 5, 0, 0, 0, 0, 0}, {10, 5, 5, 0, 0, 0, 0, 1}, {6, 10, 5, 0, 0, 0, 1, 2},
      {5, 10, 5, 0, 0, 0, 1, 3}, {6, 5, 10, 0, 0, 0, 2, 4}, {5, 5, 10, 0, 0, 0, 2, 5},
      {7, 7, 7, 0, 9, 9, 0, 1},  {8, 3, 8, 2, 0, 1, 0, 1},  {8, 3, 8, 1, 0, 2, 2, 4},
      {8, 3, 8, 1, 0, 1, 0, 1},  {8, 8, 3, 2, 1, 0, 0, 0},  {8, 8, 3, 1, 2, 0, 1, 2},
      {8, 8, 3, 1, 1, 0, 0, 0},  {3, 8, 8, 0, 2, 1, 1, 3},  {3, 8, 8, 0, 1, 2, 2, 5},
      {3, 8, 8, 0, 1, 1, 1, 3}};
  for (const auto& c : cases) {
    const StatDelta feeding{0, c[3], c[4], c[5]};
    EXPECT_EQ(dominantStat(feeding, c[0], c[1], c[2]), c[6]) << c[0] << c[1] << c[2] << c[3];
    EXPECT_EQ(statOrder(feeding, c[0], c[1], c[2]), c[7]) << c[0] << c[1] << c[2] << c[3];
  }
}

}  // namespace
}  // namespace ostrel

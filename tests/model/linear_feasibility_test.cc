// The small linear-programme check on systems a reader can settle by hand.
#include "model/linear_feasibility.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

using Sense = LinearFeasibility::Sense;

TEST(LinearFeasibilityTest, BoundsAndRows) {
  LinearFeasibility sum;  // x + y + z = 10 with x <= 2, y <= 3, z <= 4: at most 9
  const int x = sum.addVariable(0, 2);
  const int y = sum.addVariable(0, 3);
  const int z = sum.addVariable(0, 4);
  sum.addRow({{x, 1}, {y, 1}, {z, 1}}, Sense::kEqual, 10);
  EXPECT_FALSE(sum.feasible());
  sum.addVariable(0);  // a fourth, unbounded, not in the row: no help
  EXPECT_FALSE(sum.feasible());
  LinearFeasibility wider;  // the same with z <= 5: 2 + 3 + 5
  const int a = wider.addVariable(0, 2);
  const int b = wider.addVariable(0, 3);
  const int c = wider.addVariable(0, 5);
  wider.addRow({{a, 1}, {b, 1}, {c, 1}}, Sense::kEqual, 10);
  EXPECT_TRUE(wider.feasible());

  LinearFeasibility shifted;  // a lower bound above zero and a negative right-hand side
  const int s = shifted.addVariable(3, 4);
  const int t = shifted.addVariable(0, 5);
  shifted.addRow({{s, 1}, {t, -1}}, Sense::kEqual, -2);  // t = s + 2: 5 .. 6, and t <= 5
  EXPECT_TRUE(shifted.feasible());
  shifted.addRow({{s, 1}}, Sense::kAtMost, 2.9);
  EXPECT_FALSE(shifted.feasible());

  LinearFeasibility empty;
  empty.addVariable(2, 1);  // no value at all
  EXPECT_FALSE(empty.feasible());
}

TEST(LinearFeasibilityTest, RowsThatPullApart) {
  // x - y >= 0.5 and y - x >= 0.5 cannot both hold; either alone can.
  LinearFeasibility apart;
  const int x = apart.addVariable(0);
  const int y = apart.addVariable(0);
  apart.addRow({{x, 1}, {y, -1}}, Sense::kAtLeast, 0.5);
  EXPECT_TRUE(apart.feasible());
  apart.addRow({{y, 1}, {x, -1}}, Sense::kAtLeast, 0.5);
  EXPECT_FALSE(apart.feasible());

  // A degenerate corner: x + y <= 0 with x = y leaves only 0; 2x + 3y >= 0 holds there.
  LinearFeasibility corner;
  const int p = corner.addVariable(0);
  const int q = corner.addVariable(0);
  corner.addRow({{p, 1}, {q, 1}}, Sense::kAtMost, 0);
  corner.addRow({{p, 1}, {q, -1}}, Sense::kEqual, 0);
  corner.addRow({{p, 2}, {q, 3}}, Sense::kAtLeast, 0);
  EXPECT_TRUE(corner.feasible());
  corner.addRow({{p, 2}, {q, 3}}, Sense::kAtLeast, 0.5);
  EXPECT_FALSE(corner.feasible());

  // Two bars of 100 points a level: 3 levels need 300 points from items of 40 and 25.
  LinearFeasibility items;
  const int n1 = items.addVariable(0);
  const int n2 = items.addVariable(0, 4);
  items.addRow({{n1, 40}, {n2, 25}}, Sense::kAtLeast, 300);
  items.addRow({{n1, 1}}, Sense::kAtMost, 5);  // 200 + 100 = 300: just enough
  EXPECT_TRUE(items.feasible());
  items.addRow({{n1, 1}, {n2, 1}}, Sense::kAtMost, 8.5);  // 5 + 3.5 gives 287.5
  EXPECT_FALSE(items.feasible());
}

}  // namespace
}  // namespace ostrel

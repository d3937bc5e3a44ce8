// The small linear programme on systems a reader can settle by hand: whether they can be met,
// and the least cost of meeting them.
#include "model/linear_programme.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <thread>

namespace ostrel {
namespace {

using Sense = LinearProgramme::Sense;

TEST(LinearProgrammeTest, BoundsAndRows) {
  LinearProgramme sum;  // x + y + z = 10 with x <= 2, y <= 3, z <= 4: at most 9
  const int x = sum.addVariable(0, 2);
  const int y = sum.addVariable(0, 3);
  const int z = sum.addVariable(0, 4);
  sum.addRow({{x, 1}, {y, 1}, {z, 1}}, Sense::kEqual, 10);
  EXPECT_FALSE(sum.feasible());
  sum.addVariable(0);  // a fourth, unbounded, not in the row: no help
  EXPECT_FALSE(sum.feasible());
  LinearProgramme wider;  // the same with z <= 5: 2 + 3 + 5
  const int a = wider.addVariable(0, 2);
  const int b = wider.addVariable(0, 3);
  const int c = wider.addVariable(0, 5);
  wider.addRow({{a, 1}, {b, 1}, {c, 1}}, Sense::kEqual, 10);
  EXPECT_TRUE(wider.feasible());

  LinearProgramme shifted;  // a lower bound above zero and a negative right-hand side
  const int s = shifted.addVariable(3, 4);
  const int t = shifted.addVariable(0, 5);
  shifted.addRow({{s, 1}, {t, -1}}, Sense::kEqual, -2);  // t = s + 2: 5 .. 6, and t <= 5
  EXPECT_TRUE(shifted.feasible());
  shifted.addRow({{s, 1}}, Sense::kAtMost, 2.9);
  EXPECT_FALSE(shifted.feasible());

  LinearProgramme empty;
  empty.addVariable(2, 1);  // no value at all
  EXPECT_FALSE(empty.feasible());

  LinearProgramme near;  // x = 1 and x >= 1.0005 miss by less than a thousandth: no "no"
  const int n = near.addVariable(0, 1);
  near.addRow({{n, 1}}, Sense::kAtLeast, 1.0005);
  EXPECT_TRUE(near.feasible());
  near.addRow({{n, 2}}, Sense::kAtLeast, 2.003);  // 2x misses by 0.003
  EXPECT_FALSE(near.feasible());
}

TEST(LinearProgrammeTest, RowsThatPullApart) {
  // x - y >= 0.5 and y - x >= 0.5 cannot both hold; either alone can.
  LinearProgramme apart;
  const int x = apart.addVariable(0);
  const int y = apart.addVariable(0);
  apart.addRow({{x, 1}, {y, -1}}, Sense::kAtLeast, 0.5);
  EXPECT_TRUE(apart.feasible());
  apart.addRow({{y, 1}, {x, -1}}, Sense::kAtLeast, 0.5);
  EXPECT_FALSE(apart.feasible());

  // A degenerate corner: x + y <= 0 with x = y leaves only 0; 2x + 3y >= 0 holds there.
  LinearProgramme corner;
  const int p = corner.addVariable(0);
  const int q = corner.addVariable(0);
  corner.addRow({{p, 1}, {q, 1}}, Sense::kAtMost, 0);
  corner.addRow({{p, 1}, {q, -1}}, Sense::kEqual, 0);
  corner.addRow({{p, 2}, {q, 3}}, Sense::kAtLeast, 0);
  EXPECT_TRUE(corner.feasible());
  corner.addRow({{p, 2}, {q, 3}}, Sense::kAtLeast, 0.5);
  EXPECT_FALSE(corner.feasible());

  // Two bars of 100 points a level: 3 levels need 300 points from items of 40 and 25.
  LinearProgramme items;
  const int n1 = items.addVariable(0);
  const int n2 = items.addVariable(0, 4);
  items.addRow({{n1, 40}, {n2, 25}}, Sense::kAtLeast, 300);
  items.addRow({{n1, 1}}, Sense::kAtMost, 5);  // 200 + 100 = 300: just enough
  EXPECT_TRUE(items.feasible());
  items.addRow({{n1, 1}, {n2, 1}}, Sense::kAtMost, 8.5);  // 5 + 3.5 gives 287.5
  EXPECT_FALSE(items.feasible());
}

TEST(LinearProgrammeTest, LeastCost) {
  // x + 2y >= 4 and 3x + y >= 6: the cheapest of x + y is where both rows meet, x = 8/5 and
  // y = 6/5 (the corners on the axes cost 4 and 6).
  LinearProgramme corner;
  const int x = corner.addVariable(0, LinearProgramme::kInfinity, 1);
  const int y = corner.addVariable(0, LinearProgramme::kInfinity, 1);
  corner.addRow({{x, 1}, {y, 2}}, Sense::kAtLeast, 4);
  corner.addRow({{x, 3}, {y, 1}}, Sense::kAtLeast, 6);
  EXPECT_LE(corner.leastCost(), 2.8);
  EXPECT_NEAR(corner.leastCost(), 2.8, 1e-6);

  // 300 points from items of 40 points at 60 and 45 points at 300, at most 5 of the first:
  // 5 of those (200 points, 300) and 100/45 of the others.
  LinearProgramme items;
  const int cheap = items.addVariable(0, 5, 60);
  const int dear = items.addVariable(0, LinearProgramme::kInfinity, 300);
  items.addRow({{cheap, 40}, {dear, 45}}, Sense::kAtLeast, 300);
  EXPECT_NEAR(items.leastCost(), 300 + 300 * 100.0 / 45, 1e-6);
  EXPECT_LE(items.leastCost(), 300 + 300 * 100.0 / 45);

  // An equality with a negative right-hand side and a lower bound above 0: t = s - 2 with
  // s in 3..4 and a cost of 2s + t = 3s - 2, least at s = 3.
  LinearProgramme shifted;
  const int s = shifted.addVariable(3, 4, 2);
  const int t = shifted.addVariable(0, 5, 1);
  shifted.addRow({{t, 1}, {s, -1}}, Sense::kEqual, -2);
  EXPECT_NEAR(shifted.leastCost(), 7, 1e-6);
  // With t at least 1.5, s is at least 3.5: 8.5.
  shifted.addRow({{t, 1}}, Sense::kAtLeast, 1.5);
  EXPECT_NEAR(shifted.leastCost(), 8.5, 1e-6);
  // s + t <= 4.9 needs s <= 3.45.
  shifted.addRow({{s, 1}, {t, 1}}, Sense::kAtMost, 4.9);
  EXPECT_EQ(shifted.leastCost(), LinearProgramme::kInfinity);
  // A row that holds a variable down, the cost rewarding it: -x with x + 0 <= 3 and x in 0..10.
  LinearProgramme capped;
  const int raised = capped.addVariable(0, 10, -1);
  capped.addRow({{raised, 1}}, Sense::kAtMost, 3);
  EXPECT_NEAR(capped.leastCost(), -3, 1e-6);

  // A variable that pays to raise without end proves nothing; with no rows, each variable at
  // its cheaper bound.
  LinearProgramme open;
  open.addVariable(1, 2, 3);
  open.addVariable(-1, 4, -2);
  EXPECT_NEAR(open.leastCost(), 3 - 8, 1e-6);
  const int endless = open.addVariable(0, LinearProgramme::kInfinity, -1);
  open.addRow({{endless, 1}}, Sense::kAtLeast, 1);
  EXPECT_EQ(open.leastCost(), -LinearProgramme::kInfinity);
}

TEST(LinearProgrammeTest, OnTwoThreads) {
  // Each thread solves with a solver of its own, kept for the thread's life and freed at its end
  // (the sanitizers' build checks that nothing is left behind): the same answers on both, solved
  // side by side many times over, as on the thread that asks first.
  const auto answers = [] {
    LinearProgramme items;  // as in LeastCost: 300 points from items of 40 and 45 points
    const int cheap = items.addVariable(0, 5, 60);
    const int dear = items.addVariable(0, LinearProgramme::kInfinity, 300);
    items.addRow({{cheap, 40}, {dear, 45}}, Sense::kAtLeast, 300);
    LinearProgramme short3 = items;  // and at most 5 of the dear ones: 425 points at most
    short3.addRow({{dear, 1}}, Sense::kAtMost, 5);
    short3.addRow({{cheap, 40}, {dear, 45}}, Sense::kAtLeast, 430);
    return std::array<double, 3>{items.leastCost(), items.feasible() ? 1.0 : 0.0,
                                 short3.feasible() ? 1.0 : 0.0};
  };
  const std::array<double, 3> here = answers();
  EXPECT_NEAR(here[0], 300 + 300 * 100.0 / 45, 1e-6);
  EXPECT_EQ(here[1], 1.0);
  EXPECT_EQ(here[2], 0.0);
  std::array<std::array<double, 3>, 2> there{};
  std::array<std::thread, 2> threads;
  for (std::size_t t = 0; t < threads.size(); ++t) {
    threads[t] = std::thread([&answers, &slot = there[t]] {
      for (int round = 0; round < 50; ++round) slot = answers();
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(there[0], here);
  EXPECT_EQ(there[1], here);
}

TEST(LinearProgrammeTest, SameRowsOneAfterAnother) {
  // A programme with the rows of the one solved before it on the thread, only its right-hand
  // sides changed, is solved on from where that one ended: each answer is still the one it gets
  // alone, on a thread of its own. Items of 40 and 25 points, at most 5 of the first and 4 of
  // the second, and at most `most` of both, for `points`.
  const auto items = [](double points, double most) {
    LinearProgramme lp;
    const int n1 = lp.addVariable(0);
    const int n2 = lp.addVariable(0, 4);
    lp.addRow({{n1, 40}, {n2, 25}}, Sense::kAtLeast, points);
    lp.addRow({{n1, 1}}, Sense::kAtMost, 5);
    lp.addRow({{n1, 1}, {n2, 1}}, Sense::kAtMost, most);
    return lp;
  };
  int met = 0;
  int unmet = 0;
  for (double most = 0.5; most <= 10; most += 0.5) {
    for (double points = 10; points <= 320; points += 15.5) {  // never within 0.5 of a reach
      const double first = std::min(5.0, most);
      const bool reached = points <= 40 * first + 25 * std::min(4.0, most - first);
      const LinearProgramme lp = items(points, most);
      bool alone = !reached;
      std::thread([&lp, &alone] { alone = lp.feasible(); }).join();
      EXPECT_EQ(alone, reached) << points << " points, at most " << most;
      EXPECT_EQ(lp.feasible(), reached) << points << " points, at most " << most;
      ++(reached ? met : unmet);
    }
  }
  EXPECT_GT(met, 100);
  EXPECT_GT(unmet, 100);
}

}  // namespace
}  // namespace ostrel

// The corners of small dual programmes worked out by hand. In two variables, rows 2a <= 4,
// a + b <= 3 and 3b <= 6 (with a, b >= 0) make a polygon whose corners (0,0), (2,0), (2,1),
// (1,2) and (0,2) are all matched or beaten by (2,1) or (1,2): those two are kept, and the value
// for right-hand sides (4,2) is 4*2 + 2*1 = 10 (two of the second item and one of the first cover
// 4 and 2 for 2*3 + 4 = 10). In four variables, one row per variable makes a box whose top corner
// beats every other; a negated variable is stored negated.
#include "plan/goal/dual_corners.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

namespace ostrel {
namespace {

// `rows` and y >= 0 for the variables in `variables`.
std::vector<DualRow> withFloors(std::vector<DualRow> rows, unsigned variables) {
  addFloors(rows, variables);
  return rows;
}

// The corners, four values each, rounded to what a hand works out.
std::vector<std::array<double, 4>> rounded(const std::vector<double>& flat) {
  std::vector<std::array<double, 4>> corners;
  for (std::size_t i = 0; i + 4 <= flat.size(); i += 4) {
    corners.push_back({std::round(flat[i] * 1e6) / 1e6, std::round(flat[i + 1] * 1e6) / 1e6,
                       std::round(flat[i + 2] * 1e6) / 1e6, std::round(flat[i + 3] * 1e6) / 1e6});
  }
  return corners;
}

TEST(DualCornersTest, TwoVariablesKeepTheCornersNoOtherBeats) {
  const std::vector<DualRow> rows =
      withFloors({{{2, 0, 0, 0}, 4}, {{1, 1, 0, 0}, 3}, {{0, 3, 0, 0}, 6}}, 0b11);
  const std::vector<double> corners = dualCorners(rows, 0b11);
  EXPECT_EQ(rounded(corners), (std::vector<std::array<double, 4>>{{2, 1, 0, 0}, {1, 2, 0, 0}}));
  // Taken a hair inside: the value never rises above the programme's.
  double best = 0;
  for (std::size_t i = 0; i < corners.size(); i += 4) {
    best = std::max(best, 4 * corners[i] + 2 * corners[i + 1]);
  }
  EXPECT_LE(best, 10);
  EXPECT_NEAR(best, 10, 1e-6);
  // A variable left out has y = 0; with no variable there is no corner.
  EXPECT_EQ(rounded(dualCorners(rows, 0b1)), (std::vector<std::array<double, 4>>{{2, 0, 0, 0}}));
  EXPECT_TRUE(dualCorners(rows, 0).empty());
}

TEST(DualCornersTest, FourVariablesAreWalkedToTheSameCorners) {
  const std::vector<DualRow> box = withFloors(
      {{{2, 0, 0, 0}, 4}, {{0, 1, 0, 0}, 3}, {{0, 0, 4, 0}, 2}, {{0, 0, 0, 1}, 1}}, 0b1111);
  EXPECT_EQ(rounded(dualCorners(box, 0b1111)),
            (std::vector<std::array<double, 4>>{{2, 3, 0.5, 1}}));
  // A row that the box holds with room to spare changes nothing.
  std::vector<DualRow> loose = box;
  loose.push_back({{1, 1, 1, 1}, 100});
  EXPECT_EQ(rounded(dualCorners(loose, 0b1111)), rounded(dualCorners(box, 0b1111)));
  // Negated, the fourth variable's value counts against the bound: its best is 0.
  EXPECT_EQ(rounded(dualCorners(box, 0b1111, runHere, 0b1000)),
            (std::vector<std::array<double, 4>>{{2, 3, 0.5, 0}}));
}

}  // namespace
}  // namespace ostrel

// The vertices of small polytopes that can be checked by hand.
#include "plan/bound/polytope_vertices.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ostrel {
namespace {

bool has(const std::vector<Point4>& points, const Point4& p) {
  return std::any_of(points.begin(), points.end(), [&p](const Point4& q) {
    for (int d = 0; d < 4; ++d) {
      if (std::abs(q[d] - p[d]) > 1e-9) return false;
    }
    return true;
  });
}

TEST(PolytopeVertices, SquareTriangleAndCornerCut) {
  // 0 <= y0, y1 <= 2 in the first two coordinates: the square's four corners.
  const std::vector<HalfSpace> square = {{{1, 0, 0, 0}, 2}, {{0, 1, 0, 0}, 2}};
  const std::vector<Point4> corners = polytopeVertices(square, 0b0011);
  EXPECT_EQ(corners.size(), 4U);
  for (const Point4& p : {Point4{0, 0, 0, 0}, Point4{2, 0, 0, 0}, Point4{0, 2, 0, 0},
                          Point4{2, 2, 0, 0}}) {
    EXPECT_TRUE(has(corners, p));
  }
  // Cutting the corner (2, 2) off with y0 + y1 <= 3 gives five, the redundant row changes nothing.
  std::vector<HalfSpace> cut = square;
  cut.push_back({{1, 1, 0, 0}, 3});
  cut.push_back({{1, 1, 0, 0}, 10});
  const std::vector<Point4> five = polytopeVertices(cut, 0b0011);
  EXPECT_EQ(five.size(), 5U);
  EXPECT_TRUE(has(five, {2, 1, 0, 0}));
  EXPECT_TRUE(has(five, {1, 2, 0, 0}));
  EXPECT_FALSE(has(five, {2, 2, 0, 0}));
  // A triangle in coordinates 1 and 3: 2 y1 + y3 <= 4.
  const std::vector<Point4> triangle = polytopeVertices({{{0, 2, 0, 1}, 4}}, 0b1010);
  EXPECT_EQ(triangle.size(), 3U);
  EXPECT_TRUE(has(triangle, {0, 2, 0, 0}));
  EXPECT_TRUE(has(triangle, {0, 0, 0, 4}));
}

TEST(PolytopeVertices, FourDimensionsNoDimensionsAndEmpty) {
  // The simplex y0 + y1 + y2 + y3 <= 1: the origin and the four unit points.
  const std::vector<Point4> simplex = polytopeVertices({{{1, 1, 1, 1}, 1}}, 0b1111);
  EXPECT_EQ(simplex.size(), 5U);
  EXPECT_TRUE(has(simplex, {0, 0, 1, 0}));
  // With no coordinates the set is the origin, when it keeps the rows, else nothing.
  EXPECT_EQ(polytopeVertices({{{1, 1, 1, 1}, 1}}, 0).size(), 1U);
  EXPECT_TRUE(polytopeVertices({{{1, 1, 1, 1}, -1}}, 0).empty());
  // y0 <= -1 with y0 >= 0: empty.
  EXPECT_TRUE(polytopeVertices({{{1, 0, 0, 0}, -1}}, 0b0001).empty());
}

}  // namespace
}  // namespace ostrel

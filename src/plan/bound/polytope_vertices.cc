// Vertex enumeration by trying every choice of bounding planes: with at most four dimensions and a
// dozen or two rows there are a few thousand choices, each a small linear system.
#include "plan/bound/polytope_vertices.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace ostrel {
namespace {

constexpr double kPivot = 1e-12;     // a smaller pivot: the planes do not meet in one point
constexpr double kKept = 1e-9;       // a row broken by less (relative to its size) is kept
constexpr double kSamePoint = 1e-9;  // points nearer than this (relative) are one vertex

// Solves the `count` x `count` system m (columns 0..count-1, right side in column `count`) into
// `solution`; false when it has no single solution.
bool solveSystem(double m[4][5], int count, double solution[4]) {
  for (int col = 0; col < count; ++col) {
    int pivot = col;
    for (int r = col + 1; r < count; ++r) {
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    }
    if (std::fabs(m[pivot][col]) < kPivot) return false;
    for (int c = 0; c <= count; ++c) std::swap(m[col][c], m[pivot][c]);
    for (int r = 0; r < count; ++r) {
      if (r == col) continue;
      const double factor = m[r][col] / m[col][col];
      for (int c = col; c <= count; ++c) m[r][c] -= factor * m[col][c];
    }
  }
  for (int r = 0; r < count; ++r) solution[r] = m[r][count] / m[r][r];
  return true;
}

double dotProduct(const Point4& a, const Point4& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

bool keepsAll(const std::vector<HalfSpace>& rows, const Point4& y) {
  for (int d = 0; d < 4; ++d) {
    if (y[d] < -kKept) return false;
  }
  return std::all_of(rows.begin(), rows.end(), [&y](const HalfSpace& row) {
    double size = std::fabs(row.limit);
    for (int d = 0; d < 4; ++d) size += std::fabs(row.normal[d] * y[d]);
    return dotProduct(row.normal, y) <= row.limit + kKept * (1 + size);
  });
}

bool samePoint(const Point4& a, const Point4& b) {
  for (int d = 0; d < 4; ++d) {
    if (std::fabs(a[d] - b[d]) > kSamePoint * (1 + std::fabs(a[d]) + std::fabs(b[d]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::vector<Point4> polytopeVertices(const std::vector<HalfSpace>& rows, unsigned dims) {
  int coordinate[4];
  int count = 0;
  for (int d = 0; d < 4; ++d) {
    if (((dims >> d) & 1U) != 0) coordinate[count++] = d;
  }
  // The planes: the rows, then y_d = 0 for each coordinate kept.
  std::vector<HalfSpace> planes = rows;
  for (int i = 0; i < count; ++i) {
    HalfSpace floor{{0, 0, 0, 0}, 0};
    floor.normal[coordinate[i]] = -1;
    planes.push_back(floor);
  }
  std::vector<Point4> vertices;
  const auto consider = [&](Point4 y) {
    if (!keepsAll(rows, y)) return;
    for (double& value : y) value = std::max(value, 0.0);  // a hair below 0 is 0
    for (const Point4& seen : vertices) {
      if (samePoint(seen, y)) return;
    }
    vertices.push_back(y);
  };
  if (count == 0) {
    consider({0, 0, 0, 0});
    return vertices;
  }
  const int n = static_cast<int>(planes.size());
  if (n < count) return vertices;
  int pick[4] = {0, 1, 2, 3};
  for (;;) {
    double m[4][5];
    for (int r = 0; r < count; ++r) {
      for (int c = 0; c < count; ++c) m[r][c] = planes[pick[r]].normal[coordinate[c]];
      m[r][count] = planes[pick[r]].limit;
    }
    double solution[4];
    if (solveSystem(m, count, solution)) {
      Point4 y{0, 0, 0, 0};
      for (int c = 0; c < count; ++c) y[coordinate[c]] = solution[c];
      consider(y);
    }
    int at = count;  // the next choice in order: the last pick that can move on, then the rest
    while (at > 0 && pick[at - 1] == n - count + at - 1) --at;
    if (at == 0) return vertices;
    ++pick[at - 1];
    for (int i = at; i < count; ++i) pick[i] = pick[i - 1] + 1;
  }
}

}  // namespace ostrel

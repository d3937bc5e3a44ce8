// The vertices of a polytope in up to four dimensions given by inequalities: every point where as
// many of its bounding planes as it has dimensions meet and that keeps every inequality. A lower
// bound built on duality prices with such points, and a small exhaustive enumeration is simpler
// and easier to trust than a general solver for a handful of rows in four dimensions.
#pragma once

#include <array>
#include <vector>

namespace ostrel {

using Point4 = std::array<double, 4>;

// One inequality: `normal` . y <= `limit`.
struct HalfSpace {
  Point4 normal;
  double limit;
};

// The vertices of {y : y_d >= 0 for the coordinates d in `dims` (bit d for coordinate d), y_d = 0
// for the others, and row.normal . y <= row.limit for every row}. Each vertex once (points within
// a relative 1e-9 are one), in the order the choices of rows are tried; empty when the set has no
// vertex. The coordinates outside `dims` of every vertex are 0 (with no `dims`, the one point is
// the origin, when it keeps every row).
std::vector<Point4> polytopeVertices(const std::vector<HalfSpace>& rows, unsigned dims);

}  // namespace ostrel

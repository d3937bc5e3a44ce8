// The corners of a dual programme in four variables. With four variables a corner is where four
// of the rows hold with equality. With fewer than four variables every choice of rows is simply
// tried; with four the corners are walked to along the edges, and only the choices that meet at
// them are tried, which is far quicker where the rows are many. Either way the same corners come
// out, in the order of choice, so the bounds made of them do not depend on how they were found.
#include "plan/goal/dual_corners.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numeric>
#include <utility>

namespace ostrel {
namespace {

// Solves the equalities of `rows` in the variables `stats` (as many of each), the other
// variables' y being 0; false when they do not meet in one point.
bool solve(const DualRow* const rows[4], const int stats[4], int count, std::array<double, 4>& y) {
  double m[4][5];
  for (int r = 0; r < count; ++r) {
    for (int c = 0; c < count; ++c) m[r][c] = rows[r]->gain[stats[c]];
    m[r][count] = rows[r]->limit;
  }
  for (int col = 0; col < count; ++col) {
    int pivot = col;
    for (int r = col + 1; r < count; ++r) {
      if (std::fabs(m[r][col]) > std::fabs(m[pivot][col])) pivot = r;
    }
    if (std::fabs(m[pivot][col]) < 1e-12) return false;
    for (int c = 0; c <= count; ++c) std::swap(m[col][c], m[pivot][c]);
    for (int r = 0; r < count; ++r) {
      if (r == col) continue;
      const double factor = m[r][col] / m[col][col];
      for (int c = col; c <= count; ++c) m[r][c] -= factor * m[col][c];
    }
  }
  y = {0, 0, 0, 0};
  for (int r = 0; r < count; ++r) y[stats[r]] = m[r][count] / m[r][r];
  return true;
}

// Slightly loosened by rounding, corners are taken a hair inside: the bound stays a true lower
// bound.
constexpr double kSlack = 1e-9;

// A point where as many of the rows meet as there are stats, and that holds every row: the
// number of its choice of rows (in the order of choice), and its y.
struct Meeting {
  std::size_t choice;
  std::array<double, 4> y;
};

double dot(const std::array<double, 4>& a, const std::array<double, 4>& b) {
  return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

// Whether the rows `pick` (`count` of them) meet in one point, in the stats `stats`, that holds
// every row: the point into `y`.
bool meetHoldingAll(const std::vector<DualRow>& rows, const int pick[4], const int stats[4],
                    int count, std::array<double, 4>& y) {
  const DualRow* chosen[4];
  for (int i = 0; i < count; ++i) chosen[i] = &rows[static_cast<std::size_t>(pick[i])];
  const auto holds = [&y](const DualRow& row) {
    return dot(row.gain, y) <= row.limit * (1 + kSlack) + kSlack;
  };
  return solve(chosen, stats, count, y) && std::all_of(rows.begin(), rows.end(), holds);
}

// The line where three rows meet in the four stats: a point of it and its direction (of length 1);
// false when the rows hardly fix a line (nearly dependent).
bool lineOf(const DualRow& a, const DualRow& b, const DualRow& c, std::array<double, 4>& point,
            std::array<double, 4>& direction) {
  const DualRow* three[3] = {&a, &b, &c};
  // The determinant of the three rows without column `skip`, with the limits in column `limits`.
  const auto minor = [&three](int skip, int limits) {
    double m[3][3];
    for (int col = 0, j = 0; col < 4; ++col) {
      if (col == skip) continue;
      for (int r = 0; r < 3; ++r) m[r][j] = col == limits ? three[r]->limit : three[r]->gain[col];
      ++j;
    }
    return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
           m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  };
  double length = 0;
  for (int col = 0; col < 4; ++col) {
    direction[col] = (col % 2 == 0 ? 1 : -1) * minor(col, -1);
    length += direction[col] * direction[col];
  }
  length = std::sqrt(length);
  constexpr double kDependent = 1e-6;
  if (!(length >
        kDependent * std::sqrt(dot(a.gain, a.gain) * dot(b.gain, b.gain) * dot(c.gain, c.gain)))) {
    return false;
  }
  // The point of the line where the stat it moves most in is 0 (Cramer's rule in the others).
  int most = 0;
  for (int col = 1; col < 4; ++col) {
    if (std::fabs(direction[col]) > std::fabs(direction[most])) most = col;
  }
  const double determinant = minor(most, -1);
  for (int col = 0; col < 4; ++col) {
    point[col] = col == most ? 0 : minor(most, col) / determinant;
    direction[col] /= length;
  }
  return true;
}

// The same meetings as every choice tried (meetingsOf, four stats), found by walking from corner
// to corner: from y = 0, where the four floors meet and every row holds (a price is never below
// 0), along each edge (a line where three rows that meet at the corner meet) that leaves the
// corner without crossing its other rows, to the first row ahead. Every choice of four of the rows
// that meet at a corner reached (nearly: a hair is taken as met) is put to the test that every
// choice tried puts it to, so that the same meetings come out, in the order of choice, though most
// choices are never tried. Corners as near as a row taken as met are one: else the lines through a
// row nearly met miss the corner by a hair, and the corners they lead to, off by as much, would
// each count as new and lead to more, without end. False when the walk cannot
// start at y = 0, or a corner has too many rows to choose from, or the corners are too many: then
// every choice is tried.
bool meetingsByWalking(const std::vector<DualRow>& rows, std::vector<Meeting>& meetings) {
  constexpr double kMet = 1e-6;     // a row within this (relative to its limit) is met
  constexpr double kSame = kMet;    // corners this near (relative) are one
  constexpr double kAcross = 1e-9;  // a row an edge moves this little against is not crossed
  constexpr std::size_t kMostMet = 12;
  constexpr std::size_t kMostCorners = 256;  // far more than a walk meets
  const std::size_t n = rows.size();
  int floors = 0;
  for (const DualRow& row : rows) {
    if (row.limit < 0) return false;
    for (int stat = 0; stat < 4; ++stat) {
      std::array<double, 4> floor{};  // -y <= 0, as constraintsOf makes it
      floor[stat] = -1;
      if (row.gain == floor && row.limit == 0) floors |= 1 << stat;
    }
  }
  if (floors != 15) return false;
  std::vector<std::array<double, 4>> corners = {{0, 0, 0, 0}};
  std::vector<std::array<int, 4>> choices;
  std::vector<int> met;
  std::vector<double> room(n);  // per row, at the corner: its limit less its gains . y
  std::vector<bool> isMet(n);
  for (std::size_t next = 0; next < corners.size(); ++next) {
    const std::array<double, 4> y = corners[next];
    met.clear();
    for (std::size_t r = 0; r < n; ++r) {
      room[r] = rows[r].limit - dot(rows[r].gain, y);
      isMet[r] = std::fabs(room[r]) <= kMet * (1 + std::fabs(rows[r].limit));
      if (isMet[r]) met.push_back(static_cast<int>(r));
    }
    if (met.size() > kMostMet) return false;
    const std::size_t m = met.size();
    for (std::size_t i = 0; i < m; ++i) {
      for (std::size_t j = i + 1; j < m; ++j) {
        for (std::size_t k = j + 1; k < m; ++k) {
          for (std::size_t l = k + 1; l < m; ++l) {
            choices.push_back({met[i], met[j], met[k], met[l]});
          }
          std::array<double, 4> point{};
          std::array<double, 4> direction{};
          if (!lineOf(rows[met[i]], rows[met[j]], rows[met[k]], point, direction)) continue;
          const double here = dot(y, direction) - dot(point, direction);
          for (const double sign : {1.0, -1.0}) {
            std::array<double, 4> way{};
            std::transform(direction.begin(), direction.end(), way.begin(),
                           [sign](double value) { return sign * value; });
            const bool crosses = std::any_of(
                met.begin(), met.end(), [&](int r) { return dot(rows[r].gain, way) > kAcross; });
            if (crosses) continue;
            double step = HUGE_VAL;  // to the first row ahead
            for (std::size_t r = 0; r < n; ++r) {
              const double rise = dot(rows[r].gain, way);
              if (rise <= kAcross || isMet[r]) continue;
              step = std::min(step, room[r] / rise);
            }
            if (step == HUGE_VAL) continue;  // no corner that way
            std::array<double, 4> corner{};
            for (int col = 0; col < 4; ++col) {
              corner[col] = point[col] + (here + sign * step) * direction[col];
            }
            const bool known = std::any_of(corners.begin(), corners.end(), [&](const auto& seen) {
              for (int col = 0; col < 4; ++col) {
                if (std::fabs(seen[col] - corner[col]) > kSame * (1 + std::fabs(corner[col]))) {
                  return false;
                }
              }
              return true;
            });
            if (!known) corners.push_back(corner);
            if (corners.size() > kMostCorners) return false;
          }
        }
      }
    }
  }
  std::sort(choices.begin(), choices.end());
  choices.erase(std::unique(choices.begin(), choices.end()), choices.end());
  constexpr int kAllStats[4] = {0, 1, 2, 3};
  for (const std::array<int, 4>& choice : choices) {
    std::array<double, 4> y{};
    if (meetHoldingAll(rows, choice.data(), kAllStats, 4, y)) {
      // The choice's rows as digits: in the order of choice.
      const std::size_t number = std::accumulate(
          choice.begin(), choice.end(), std::size_t{0},
          [n](std::size_t sum, int row) { return sum * n + static_cast<std::size_t>(row); });
      meetings.push_back({number, y});
    }
  }
  return true;
}

// The meetings of the choices numbered `share`, `share` + 2, ... of `count` of `rows`, in the
// stats `stats`, in the order of choice.
std::vector<Meeting> meetingsOf(const std::vector<DualRow>& rows, const int stats[4], int count,
                                int share) {
  std::vector<Meeting> meetings;
  const auto n = static_cast<int>(rows.size());
  int pick[4] = {0, 1, 2, 3};  // the rows chosen, the first `count`, in order
  for (std::size_t choice = 0;; ++choice) {
    std::array<double, 4> y{};
    if (choice % 2 == static_cast<std::size_t>(share) &&
        meetHoldingAll(rows, pick, stats, count, y)) {
      meetings.push_back({choice, y});
    }
    int at = count;  // the next choice: the last pick that can move on, and those after it
    while (at > 0 && pick[at - 1] == n - count + at - 1) --at;
    if (at == 0) return meetings;
    ++pick[at - 1];
    for (int i = at; i < count; ++i) pick[i] = pick[i - 1] + 1;
  }
}

}  // namespace

void addFloors(std::vector<DualRow>& rows, unsigned variables) {
  for (int v = 0; v < 4; ++v) {
    if (((variables >> v) & 1U) == 0) continue;
    DualRow floor{{0, 0, 0, 0}, 0};
    floor.gain[v] = -1;
    rows.push_back(floor);
  }
}

void runHere(const std::function<void(int)>& work) {
  work(0);
  work(1);
}

std::vector<double> dualCorners(const std::vector<DualRow>& rows, unsigned variables,
                                const RunBoth& runBoth, unsigned negated) {
  std::vector<double> corners;
  int stats[4];
  int count = 0;
  for (int stat = 0; stat < 4; ++stat) {
    if (((variables >> stat) & 1U) != 0) stats[count++] = stat;
  }
  if (count == 0 || count > static_cast<int>(rows.size())) return {};
  std::vector<Meeting> meetings;
  if (count != 4 || !meetingsByWalking(rows, meetings)) {
    meetings.clear();
    std::vector<Meeting> shares[2];
    runBoth([&](int share) { shares[share] = meetingsOf(rows, stats, count, share); });
    std::merge(shares[0].begin(), shares[0].end(), shares[1].begin(), shares[1].end(),
               std::back_inserter(meetings),
               [](const Meeting& a, const Meeting& b) { return a.choice < b.choice; });
  }
  for (const Meeting& meeting : meetings) {
    std::array<double, 4> corner{};
    for (int stat = 0; stat < 4; ++stat) {
      const double value = std::max(meeting.y[stat], 0.0);
      corner[stat] = ((negated >> stat) & 1U) != 0 ? -value * (1 + kSlack) : value * (1 - kSlack);
    }
    bool known = false;
    for (std::size_t i = 0; i < corners.size() && !known; i += 4) {
      known = std::fabs(corners[i] - corner[0]) < kSlack &&
              std::fabs(corners[i + 1] - corner[1]) < kSlack &&
              std::fabs(corners[i + 2] - corner[2]) < kSlack &&
              std::fabs(corners[i + 3] - corner[3]) < kSlack;
    }
    if (!known) corners.insert(corners.end(), corner.begin(), corner.end());
  }
  // The right-hand sides multiplied are never negative (a negated variable's value is stored
  // negated), so a corner that another matches or beats on all four values never gives the
  // largest product.
  std::vector<double> kept;
  const std::size_t cornerCount = corners.size() / 4;
  for (std::size_t i = 0; i < cornerCount; ++i) {
    bool beaten = false;
    for (std::size_t j = 0; j < cornerCount && !beaten; ++j) {
      if (j == i) continue;
      bool atLeast = true;
      bool equal = true;
      for (int k = 0; k < 4; ++k) {
        atLeast = atLeast && corners[j * 4 + k] >= corners[i * 4 + k];
        equal = equal && corners[j * 4 + k] == corners[i * 4 + k];
      }
      beaten = atLeast && (!equal || j < i);
    }
    if (!beaten) kept.insert(kept.end(), &corners[i * 4], &corners[i * 4 + 4]);
  }
  return kept;
}

}  // namespace ostrel

// The corners of a small linear programme's dual, in four variables at most: maximise b . y over
// y >= 0 subject to rows a . y <= limit. Any such y bounds the primal's cost from below (weak
// duality), and for every b >= 0 the best of the corners is the programme's value, so a bound for
// any b is one product per corner. It knows nothing of mags: cost_estimate.h makes the rows of the
// items' bar changes and prices.
#pragma once

#include <array>
#include <functional>
#include <vector>

namespace ostrel {

// One row of the programme: gain . y <= limit.
struct DualRow {
  std::array<double, 4> gain;
  double limit;
};

// Adds y >= 0, as -y <= 0, for each variable of `variables` (bit 0..3), in that order.
void addFloors(std::vector<DualRow>& rows, unsigned variables);

// Runs work(0) and work(1), side by side where it can: the two threads of a beam search.
using RunBoth = std::function<void(const std::function<void(int)>& work)>;
// Runs work(0), then work(1), on the calling thread.
void runHere(const std::function<void(int)>& work);

// The corners of the programme of `rows` in the variables `variables` (bit 0..3; the others' y is
// 0), less those another corner matches or beats, four values a corner, each a hair inside (so
// that rounding never lifts the bound above the programme's value). `rows` must hold y >= 0 as
// -y <= 0 for each variable. The variables in `negated` are stored negated (and a hair outside):
// their right-hand sides count against the bound. Where every choice of rows is tried (fewer than
// four variables) the choices are shared out between the two parts of `runBoth`; the corners do
// not depend on how they run.
std::vector<double> dualCorners(const std::vector<DualRow>& rows, unsigned variables,
                                const RunBoth& runBoth = runHere, unsigned negated = 0);

}  // namespace ostrel

// Seeded random mags and targets for the tests that run the search on many cases.
#pragma once

#include <algorithm>
#include <random>

#include "model/state.h"

namespace ostrel::testing {

inline int pick(std::mt19937& rng, int low, int high) {
  return std::uniform_int_distribution<int>(low, high)(rng);
}

// Any mag the dialogue accepts: every form, def 5 or more, bars 0..99, level below 200. The
// stats are spread so that every range of evolution levels turns up.
inline MagState randomMag(std::mt19937& rng) {
  const int most = pick(rng, 0, 4) * 40 + 10;
  MagState mag;
  do {
    mag = {pick(rng, 0, 44),   pick(rng, 5, most),
           pick(rng, 0, most), pick(rng, 0, most),
           pick(rng, 0, most), pick(rng, 0, 99),
           pick(rng, 0, 99),   pick(rng, 0, 99),
           pick(rng, 0, 99),   0};
    mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  } while (mag.level >= kMaxLevel);
  return mag;
}

// A target the dialogue accepts: each stat raised by 0..`step` levels, at least one level in all,
// at most 200.
inline Target targetAbove(std::mt19937& rng, const MagState& mag, int step) {
  step = std::min(step, kMaxLevel - mag.level);
  Target target;
  do {
    target = {mag.def + pick(rng, 0, step), mag.pow + pick(rng, 0, step),
              mag.dex + pick(rng, 0, step), mag.mind + pick(rng, 0, step), 0};
    target.level = target.def + target.pow + target.dex + target.mind;
  } while (target.level <= mag.level || target.level > kMaxLevel);
  return target;
}

}  // namespace ostrel::testing

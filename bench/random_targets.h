// Seeded random targets for the benchmarks: a number drawn the same way with every standard
// library, targets for a new mag (the forms census's and the goal benchmark's random set), and
// targets for a mag grown by random feedings first.
#pragma once

#include <algorithm>
#include <iterator>
#include <random>

#include "model/feeding.h"
#include "model/state.h"
#include "model/tables.h"

namespace ostrel::bench {

// A number in low..high from the generator's raw output, the same with every standard library
// (the standard's distributions are not).
inline int draw(std::mt19937& rng, int low, int high) {
  return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1));
}

struct DrawnTarget {
  Player player;
  MagState start;
  Target target;
};

// Stats of level `level` that add, to each of `start`'s, a share of the levels above its own:
// three cuts split them among the four stats.
inline Target statsAbove(std::mt19937& rng, const MagState& start, int level) {
  const int above = level - start.level;
  int cuts[3] = {draw(rng, 0, above), draw(rng, 0, above), draw(rng, 0, above)};
  std::sort(std::begin(cuts), std::end(cuts));
  return {start.def + cuts[0], start.pow + cuts[1] - cuts[0], start.dex + cuts[2] - cuts[1],
          start.mind + above - cuts[2], level};
}

// A target of level 20..200 for a new mag, in a random section ID and class; drawn again until
// its largest stat is at least 20.
inline DrawnTarget randomTarget(std::mt19937& rng) {
  for (;;) {
    DrawnTarget made;
    made.player.sectionId = draw(rng, 0, kSectionIdCount - 1);
    made.player.charClass = draw(rng, 0, kCharClassCount - 1);
    const int level = draw(rng, 20, kMaxLevel);
    made.target = statsAbove(rng, made.start, level);
    const Target& t = made.target;
    if (std::max({t.def, t.pow, t.dex, t.mind}) >= 20) return made;
  }
}

// A mag grown from new by random feedings (of the items a plan may use) to a level of 20..60, and
// a target at least 40 levels above it.
inline DrawnTarget randomGrownTarget(std::mt19937& rng) {
  DrawnTarget made;
  made.player.sectionId = draw(rng, 0, kSectionIdCount - 1);
  made.player.charClass = draw(rng, 0, kCharClassCount - 1);
  const int grownTo = draw(rng, 20, 60);
  while (made.start.level < grownTo) {
    feedItem(made.player, draw(rng, 0, kFedItemCount - 1), made.start);
  }
  made.target = statsAbove(rng, made.start, draw(rng, made.start.level + 40, kMaxLevel));
  return made;
}

}  // namespace ostrel::bench

// A plan made by feeding given runs of items to a mag, with no search: what `ostrel feed` shows
// run by run, and what the page opens again of a plan it already holds (a trade-off's point, the
// plan nearest to a budget) without planning it afresh.
#pragma once

#include <cstdint>
#include <vector>

#include "model/state.h"
#include "plan/plan.h"

namespace ostrel {

// The most feedings one run of a list may ask for; a mag is fully raised in far fewer.
inline constexpr std::int32_t kMaxRunCount = 9999;

// One run of a list: `count` of `item` in a row; once fed, the mag after the last of them and how
// many of them changed nothing (a mag at level 200 takes no more).
struct FeedRun {
  Item item = 0;
  std::int32_t count = 0;
  MagState after;
  std::int32_t unchanged = 0;
};

// Feeds the runs in order from `start` for `player`: every feeding with the mag before it, the
// mag reached and the meseta. The runs' mags are left as they are.
Plan fedPlan(const Player& player, const MagState& start, const std::vector<FeedRun>& runs);

// Feeds the runs in order from `start`, filling in each run's mag after and its feedings that
// changed nothing.
void feedRuns(const Player& player, const MagState& start, std::vector<FeedRun>& runs);

// Whether `plan` reaches `target` as a searched plan does: at its last feeding and not before,
// with no stat above its target on the way.
bool reachesTarget(const Plan& plan, const Target& target);

}  // namespace ostrel

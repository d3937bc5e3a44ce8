// The states of the beam search, and the choice of the states of one form that a layer keeps: the
// top-k of top_k.h, in the order of the states.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <numeric>
#include <span>
#include <vector>

#include "model/state.h"
#include "plan/goal/back_links.h"
#include "plan/goal/top_k.h"
#include "plan/search_state.h"

namespace ostrel {

// One state of a layer: the mag as its form and one word of stats and bars (search_state.h),
// and where it came from.
struct BeamNode {
  std::uint64_t statsAndBars;
  // What the state is ranked by, smaller first: the goal's order (goal_order.h) says what.
  double rank;
  std::int32_t cost;
  BackLink back;
  MagType type;
  std::int32_t sinceLevelUp = 0;  // feedings since its level last rose (kMostFeedingsPerLevel)
};

inline MagState unpackNode(const BeamNode& node) {
  return unpackStatsAndBars(node.type, node.statsAndBars);
}

inline std::int32_t levelOf(const BeamNode& node) { return levelOfStatsAndBars(node.statsAndBars); }

// The order of the states of one form, best first: by rank, then the cheaper, then by stats and
// bars; of two copies of one state that are alike in all that, the first fed (the smaller
// `back`: the earlier state of the layer before, then the earlier item).
inline bool rankedBefore(const BeamNode& a, const BeamNode& b) {
  if (a.rank != b.rank) return a.rank < b.rank;
  if (a.cost != b.cost) return a.cost < b.cost;
  if (a.statsAndBars != b.statsAndBars) return a.statsAndBars < b.statsAndBars;
  return a.back < b.back;
}

// How the top-k sees a state: its rank, its order, its stats and bars as the key its copies
// share, and its stats as the group the cap on states of the same stats counts (the states of one
// call are all of one form).
struct BeamNodeOrder {
  static double rank(const BeamNode& node) { return node.rank; }
  static bool before(const BeamNode& a, const BeamNode& b) { return rankedBefore(a, b); }
  static std::uint64_t key(const BeamNode& node) { return node.statsAndBars; }
  static std::uint64_t keyHash(const BeamNode& node) {
    return hashState(node.type, node.statsAndBars);
  }
  static std::uint64_t group(const BeamNode& node) { return node.statsAndBars & kStatsBytes; }
  static std::uint64_t groupHash(const BeamNode& node) { return hashState(node.type, group(node)); }

  // The stats in a word of stats and bars (search_state.h).
  static constexpr std::uint64_t kStatsBytes = 0xFFFFFFFFULL;
};

// The states of one form that a layer made, as the runs of the two shares that grew it.
using MadeStates = MadeRuns<BeamNode>;
// Chooses the states a layer keeps of one form: the same state is often made from several states
// of the layer before, and only its best copy counts.
using BestStates = TopK<BeamNode, BeamNodeOrder>;

}  // namespace ostrel

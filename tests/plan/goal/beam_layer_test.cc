// The choice of the states a layer keeps of one form: whatever the ranks, the copies and the
// ties, it must keep exactly what merging every copy of a state (keeping the best) and then
// taking the best `width` states would keep.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "plan/goal/best_states.h"

namespace ostrel {
namespace {

// The plain way: the best copy of every state, then the `width` best of those, in order.
std::vector<BeamNode> keptByMergingAll(const std::vector<BeamNode>& states, std::size_t width) {
  std::map<std::uint64_t, BeamNode> best;
  for (const BeamNode& node : states) {
    const auto [at, added] = best.emplace(node.statsAndBars, node);
    if (!added && rankedBefore(node, at->second)) at->second = node;
  }
  std::vector<BeamNode> kept;
  kept.reserve(best.size());
  for (const auto& [key, node] : best) kept.push_back(node);
  std::sort(kept.begin(), kept.end(), rankedBefore);
  if (kept.size() > width) kept.resize(width);
  return kept;
}

std::vector<BeamNode> sorted(std::vector<BeamNode> nodes) {
  std::sort(nodes.begin(), nodes.end(), rankedBefore);
  return nodes;
}

void expectSameNodes(const std::vector<BeamNode>& got, const std::vector<BeamNode>& wanted) {
  ASSERT_EQ(got.size(), wanted.size());
  for (std::size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].statsAndBars, wanted[i].statsAndBars) << "state " << i;
    EXPECT_EQ(got[i].cost, wanted[i].cost) << "state " << i;
    EXPECT_EQ(got[i].back, wanted[i].back) << "state " << i;
    EXPECT_EQ(got[i].rank, wanted[i].rank) << "state " << i;
  }
}

// A layer of `count` states made from `distinct` states, the rank of a state being its bound
// (drawn from `ranks` values, so that ranks tie often) plus its cost; copies of a state cost
// different amounts, or the same from different parents.
std::vector<BeamNode> madeLayer(std::mt19937& random, std::size_t count, std::uint64_t distinct,
                                int ranks) {
  std::uniform_int_distribution<std::uint64_t> state(1, distinct);
  std::uniform_int_distribution<int> bound(0, ranks - 1);
  std::uniform_int_distribution<int> cost(0, 3);
  std::vector<double> boundOf(distinct + 1);
  for (double& value : boundOf) value = bound(random) * 100.0;
  std::vector<BeamNode> nodes;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t key = state(random) * 0x0101010101ULL;
    const std::int32_t spent = cost(random) * 60;
    nodes.push_back(
        BeamNode{key, boundOf[key / 0x0101010101ULL] + spent, spent, backLink(i, 0), 3});
  }
  return nodes;
}

TEST(BestStatesTest, KeepsWhatMergingEveryCopyKeeps) {
  std::mt19937 random(11);
  BestStates best;
  // States made, distinct states, rank values, states kept.
  const std::tuple<std::size_t, std::uint64_t, int, std::size_t> cases[] = {
      {5000, 4000, 1000, 500},  // few copies, ranks spread
      {5000, 600, 1000, 500},   // most states made many times: the few picked hold too few
      {5000, 520, 3, 500},      // ranks that nearly all tie, and barely more states than kept
      {3000, 3000, 1, 500},     // every rank the same: one bucket
      {300, 200, 50, 500},      // fewer states than kept
      {2000, 1500, 20, 1},      // the one best state
      {0, 1, 1, 16},            // nothing made
  };
  for (const auto& [count, distinct, ranks, width] : cases) {
    for (int round = 0; round < 5; ++round) {
      std::vector<BeamNode> states = madeLayer(random, count, distinct, ranks);
      const std::vector<BeamNode> wanted = keptByMergingAll(states, width);
      best.keep(states, width);
      expectSameNodes(sorted(states), wanted);
    }
  }
}

// The kept states come out in the same order for the same states made, so a layer does not
// depend on anything but the layer before.
TEST(BestStatesTest, TheSameStatesGiveTheSameOrder) {
  std::mt19937 random(5);
  const std::vector<BeamNode> made = madeLayer(random, 4000, 1500, 200);
  BestStates first;
  BestStates second;
  std::vector<BeamNode> once = made;
  first.keep(once, 300);
  // A chooser that has served a bigger layer before keeps the same.
  std::vector<BeamNode> bigger = madeLayer(random, 20000, 15000, 900);
  second.keep(bigger, 2000);
  std::vector<BeamNode> again = made;
  second.keep(again, 300);
  expectSameNodes(again, once);
}

}  // namespace
}  // namespace ostrel

// The choice of the states a layer keeps of one form: whatever the ranks, the copies and the
// ties, it must keep exactly what merging every copy of a state (keeping the best) and then
// taking the best `width` states would keep; with a cap on the states of the same stats, the best
// of the best three times `width` that the cap lets through, then the best of the others.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <span>
#include <tuple>
#include <vector>

#include "plan/goal/best_states.h"

namespace ostrel {
namespace {

// The plain way: every copy in order, the first copy of a state being its best, until `width`
// states are kept (of the first 3 * `width` states, at most `cap` of the same stats first).
std::vector<BeamNode> keptByMergingAll(std::vector<BeamNode> states, std::size_t width,
                                       std::size_t cap) {
  std::sort(states.begin(), states.end(), rankedBefore);
  std::set<std::uint64_t> seen;
  std::vector<BeamNode> best;
  for (const BeamNode& node : states) {
    if (best.size() < (cap == 0 ? width : 3 * width) && seen.insert(node.statsAndBars).second) {
      best.push_back(node);
    }
  }
  std::multiset<std::uint64_t> stats;
  std::vector<BeamNode> kept;
  std::vector<BeamNode> skipped;
  for (const BeamNode& node : best) {
    const bool take = cap == 0 || stats.count(node.statsAndBars & 0xFFFFFFFF) < cap;
    if (take && kept.size() < width) stats.insert(node.statsAndBars & 0xFFFFFFFF);
    (take && kept.size() < width ? kept : skipped).push_back(node);
  }
  for (std::size_t i = 0; kept.size() < width && i < skipped.size(); ++i)
    kept.push_back(skipped[i]);
  return kept;
}

// The fields of the kept states, in their order.
using Fields = std::vector<std::tuple<std::uint64_t, std::int32_t, BackLink, double>>;
Fields fields(std::vector<BeamNode> nodes, bool sort) {
  if (sort) std::sort(nodes.begin(), nodes.end(), rankedBefore);
  Fields out;
  for (const BeamNode& n : nodes) out.emplace_back(n.statsAndBars, n.cost, n.back, n.rank);
  return out;
}

// A layer of `count` states made from `distinct` states, of 61 stats, the rank of a state being
// its bound (drawn from `ranks` values, so that ranks tie often) plus its cost; copies of a state
// cost different amounts, or the same from different parents. With `signedRanks` the bounds are
// fractions either side of 0, and -0 (equal to 0 in the order) among them.
std::vector<BeamNode> madeLayer(std::mt19937& random, std::size_t count, std::uint64_t distinct,
                                int ranks, bool signedRanks) {
  std::uniform_int_distribution<std::uint64_t> state(1, distinct);
  std::uniform_int_distribution<int> bound(0, ranks - 1);
  std::uniform_int_distribution<int> cost(0, 3);
  std::vector<double> boundOf(distinct + 1);
  for (std::size_t i = 0; i < boundOf.size(); ++i) {
    const int drawn = bound(random);
    boundOf[i] = signedRanks ? (drawn - ranks / 2) * 0.37 : drawn * 100.0;
    if (signedRanks && boundOf[i] == 0 && i % 2 == 0) boundOf[i] = -0.0;
  }
  std::vector<BeamNode> nodes;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t made = state(random);
    const std::uint64_t key = (made % 61 + 1) * 0x01010101ULL | made << 32;
    const std::int32_t spent = cost(random) * 60;
    const double rank = spent == 0 ? boundOf[made] : boundOf[made] + spent;
    nodes.push_back(BeamNode{key, rank, spent, backLink(i, 0), 3});
  }
  return nodes;
}

// One chooser serves every layer, bigger and smaller, as the search's do: the states it keeps are
// also in the same order as a new chooser keeps them, so a layer depends only on the one before.
// The states made come in two runs, split anywhere, as the two shares of a layer make them.
TEST(BestStatesTest, KeepsWhatMergingEveryCopyKeeps) {
  std::mt19937 random(11);
  BestStates best;
  // States made, distinct states, rank values, states kept, cap on the states of the same
  // stats, ranks either side of 0.
  const std::tuple<std::size_t, std::uint64_t, int, std::size_t, std::size_t, bool> cases[] = {
      {5000, 4000, 1000, 500, 0, false},  // few copies, ranks spread
      {5000, 600, 1000, 500, 0, false},  // most states made many times: the few picked hold too few
      {5000, 520, 3, 500, 0, false},  // ranks that nearly all tie, and barely more states than kept
      {3000, 3000, 1, 500, 0, false},     // every rank the same: one bucket
      {300, 200, 50, 500, 0, false},      // fewer states than kept
      {2000, 1500, 20, 1, 0, false},      // the one best state
      {0, 1, 1, 16, 0, false},            // nothing made
      {5000, 4000, 1000, 500, 4, false},  // the cap leaves room for the others to fill
      {5000, 4000, 1000, 100, 2, false},  // the cap alone fills the width
      {3000, 3000, 1, 500, 8, false},     // every rank the same
      {5000, 4000, 41, 300, 4, true},     // with the cap: the pool sorted by the ranks' bits
      {3000, 2500, 9, 200, 0, true},      // without
      {3000, 2000, 1, 300, 4, true},      // the width ends among ranks of 0 and -0
  };
  for (const auto& [count, distinct, ranks, width, cap, signedRanks] : cases) {
    for (int round = 0; round < 5; ++round) {
      const std::vector<BeamNode> made = madeLayer(random, count, distinct, ranks, signedRanks);
      const std::size_t split = std::uniform_int_distribution<std::size_t>(0, count)(random);
      const std::span<const BeamNode> all(made);
      // The two runs with their ranks' span taken as the layer grew, as a beam keeps them.
      RankSpan ranks;
      for (const BeamNode& node : made) ranks.take(node.rank);
      const MadeStates runs{all.first(split), all.subspan(split), ranks};
      const auto wanted = fields(keptByMergingAll(made, width, cap), true);
      std::vector<BeamNode> states;
      best.keep(runs, states, width, cap);
      EXPECT_EQ(fields(states, true), wanted);
      BestStates fresh;
      std::vector<BeamNode> again;
      fresh.keep(MadeStates{all}, again, width, cap);
      EXPECT_EQ(fields(again, false), fields(states, false));
    }
  }
}

}  // namespace
}  // namespace ostrel

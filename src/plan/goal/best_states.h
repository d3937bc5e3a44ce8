// The states of the beam search, and the choice of the states of one form that a layer keeps.
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

// The lowest and the highest rank of some states, taken one state after another.
struct RankSpan {
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -std::numeric_limits<double>::infinity();

  void take(double rank) {
    lowest = std::min(lowest, rank);
    highest = std::max(highest, rank);
  }
  // The ranks of states taken after these.
  void take(const RankSpan& later) {
    lowest = std::min(lowest, later.lowest);
    highest = std::max(highest, later.highest);
  }
  bool empty() const { return lowest > highest; }
};

// The states of one form that a layer made, in the order they were made: as the runs of the two
// shares that grew it, read one after the other where they lie (copying them into one took 1-5%
// of a search's time).
struct MadeStates {
  explicit MadeStates(std::span<const BeamNode> first, std::span<const BeamNode> second = {},
                      RankSpan taken = {})
      : runs{first, second}, ranks(taken) {}

  std::span<const BeamNode> runs[2];
  // Their ranks' span, when the layer took it as it made them (growShare); empty when not: read
  // once more from the states only to find it, they took 3% of a trade-off's time.
  RankSpan ranks;

  std::size_t size() const { return runs[0].size() + runs[1].size(); }
  template <class Visit>
  void forEach(Visit visit) const {
    for (const std::span<const BeamNode> run : runs) {
      for (const BeamNode& node : run) visit(node);
    }
  }
  RankSpan rankSpan() const {
    if (!ranks.empty()) return ranks;
    RankSpan span;
    forEach([&](const BeamNode& node) { span.take(node.rank); });
    return span;
  }
};

// Chooses the states a layer keeps of one form. The same state is often made from several
// states of the layer before; only its best copy counts. Rather than merging all the copies of
// every state made, it picks a few more states than it keeps, and every state that ranks before
// one of them, and merges those: the best copy of a state always ranks before its other copies, so
// the best `width` distinct states are among them whenever they hold that many.
class BestStates {
 public:
  // Puts in `states` the best copies of the `width` best distinct states `made` (all of one
  // form), in an order that depends only on `made`. With a `sameStatsCap`, it takes them in order
  // from the best `kSpreadPool` times `width`, skipping a state when `sameStatsCap` states of the
  // same stats are taken already, and fills what is left of the width in order with the states
  // skipped.
  void keep(const MadeStates& made, std::vector<BeamNode>& states, std::size_t width,
            std::size_t sameStatsCap = 0) {
    const std::size_t pool = sameStatsCap == 0 ? width : width * kSpreadPool;
    mergeBest(made, pool);
    if (distinct_.size() <= width) {
      // Spread out, the states are put in order; else they stay in the order they were made.
      if (sameStatsCap != 0) std::sort(distinct_.begin(), distinct_.end(), before);
      states.assign(distinct_.begin(), distinct_.end());
      return;
    }
    if (sameStatsCap == 0) {
      // Taken in order by buckets of rank (putInBuckets), as spreadOut takes them: sorting only
      // the buckets the width reaches took a tenth less time for the shortest plan's listing
      // than finding the width-th state and sorting all before it.
      putInBuckets();
      states.clear();
      for (std::size_t i = 0; i < width; ++i) states.push_back(inOrderUpTo(i));
      return;
    }
    spreadOut(states, width, sameStatsCap, std::min(pool, distinct_.size()));
  }

 private:
  static constexpr std::size_t kSpreadPool = 3;

  // A lambda rather than the function itself, so that the sorting inlines it.
  static constexpr auto before = [](const BeamNode& a, const BeamNode& b) {
    return rankedBefore(a, b);
  };

  // The best copies of at least `wanted` of the best distinct states of `states` (or of all of
  // them) into distinct_.
  void mergeBest(const MadeStates& states, std::size_t wanted) {
    const std::size_t count = states.size();
    std::size_t picking = std::min(count, wanted + wanted / 4 + 16);
    for (;;) {
      if (picking < count) {
        pickBest(states, picking);
        mergeCopies(MadeStates{picked_, {}, pickedRanks_});
      } else {
        mergeCopies(states);
      }
      if (distinct_.size() >= wanted || picking == count) break;
      picking = std::min(count, picking * 2);
    }
  }

  // `width` of the best `pool` states of distinct_ (more than `width`) into `states`, taken in
  // order: at most `sameStatsCap` of any stats first, then the others in order. The states are
  // put in order only as far as the taking goes (inOrderUpTo): never past the pool, though
  // distinct_ holds a quarter more, and not past where the width is full.
  void spreadOut(std::vector<BeamNode>& states, std::size_t width, std::size_t sameStatsCap,
                 std::size_t pool) {
    std::size_t size = 64;
    while (size < pool * 2) size *= 2;
    if (size > slots_.size()) {
      slots_.assign(size, Slot{});
      epoch_ = 0;
    }
    ++epoch_;
    const std::size_t mask = size - 1;
    states.clear();
    picked_.clear();  // the states skipped
    putInBuckets();
    for (std::size_t i = 0; i < pool && states.size() < width; ++i) {
      const BeamNode& node = inOrderUpTo(i);
      const std::uint64_t stats = node.statsAndBars & kStatsBytes;
      std::size_t slot = hashState(node.type, stats) & mask;
      while (slots_[slot].epoch == epoch_ && slots_[slot].key != stats) slot = (slot + 1) & mask;
      Slot& at = slots_[slot];
      if (at.epoch != epoch_) at = Slot{stats, 0, epoch_};
      // Here a slot's index counts the states of its stats taken.
      if (at.index < sameStatsCap) {
        ++at.index;
        states.push_back(node);
      } else {
        picked_.push_back(node);
      }
    }
    for (std::size_t i = 0; states.size() < width; ++i) states.push_back(picked_[i]);
  }

  // Puts distinct_ into ordered_ by buckets of rank, for inOrderUpTo. The order is the one strict
  // order of the states, not one that a partial sort leaves, which differs from one standard
  // library to another (the web page's from the console program's). Most states share their
  // rank with others (85% of them on the benchmark's targets), so most comparisons of a sort
  // would go on to the costs and stats, at a mispredicted branch each; so the states are first
  // counted into buckets of equal span of rank (as many as there are states), and a bucket is
  // sorted by the whole order when the taking reaches it and it holds more than one state. The
  // buckets keep the order of the ranks, so the order is the one order of the states, whatever
  // the bucket boundaries (they span the ranks of every copy merged, which hold the states').
  void putInBuckets() {
    const RankBuckets buckets(distinctRanks_, std::bit_ceil(distinct_.size()));
    // Counted one bucket on, the running sums give where each bucket begins; filled in order,
    // each bucket's beginning moves on to its end.
    bucketEnds_.assign(buckets.count() + 1, 0);
    distinctBucket_.resize(distinct_.size());
    for (std::size_t i = 0; i < distinct_.size(); ++i) {
      distinctBucket_[i] = buckets.of(distinct_[i].rank);
      ++bucketEnds_[distinctBucket_[i] + 1];
    }
    std::partial_sum(bucketEnds_.begin(), bucketEnds_.end(), bucketEnds_.begin());
    ordered_.resize(distinct_.size());
    for (std::size_t i = 0; i < distinct_.size(); ++i) {
      ordered_[bucketEnds_[distinctBucket_[i]]++] = distinct_[i];
    }
    bucketsSorted_ = 0;
    sortedEnd_ = 0;
  }

  // The state of rank `i` in order (i from 0 up), its bucket sorted when first reached.
  const BeamNode& inOrderUpTo(std::size_t i) {
    while (i >= sortedEnd_) {
      const std::size_t end = bucketEnds_[bucketsSorted_++];
      if (end - sortedEnd_ > 1) {
        std::sort(ordered_.begin() + static_cast<std::ptrdiff_t>(sortedEnd_),
                  ordered_.begin() + static_cast<std::ptrdiff_t>(end), before);
      }
      sortedEnd_ = end;
    }
    return ordered_[i];
  }

  // Buckets of equal span between the lowest and the highest rank of some states. A bucket's
  // number never decreases as the rank grows, so the states of the buckets up to one are all
  // those that rank before any state of the next.
  class RankBuckets {
   public:
    RankBuckets(const RankSpan& ranks, std::size_t count) : count_(count), lowest_(ranks.lowest) {
      scale_ = ranks.highest > lowest_ ? static_cast<double>(count) / (ranks.highest - lowest_) : 0;
    }
    std::size_t count() const { return count_; }
    std::size_t of(double rank) const {
      return std::min(static_cast<std::size_t>((rank - lowest_) * scale_), count_ - 1);
    }

   private:
    std::size_t count_;
    double lowest_;
    double scale_;
  };

  std::vector<BeamNode> ordered_;  // distinct_ by buckets of rank
  std::vector<std::size_t> bucketEnds_;
  std::vector<std::size_t> distinctBucket_;  // the bucket of each state of distinct_
  std::size_t bucketsSorted_ = 0;            // the buckets put in order so far, from the first
  std::size_t sortedEnd_ = 0;                // where they end in ordered_

  // The stats in a word of stats and bars (search_state.h).
  static constexpr std::uint64_t kStatsBytes = 0xFFFFFFFFULL;

  // Some of the best states into picked_: at least `wanted` of them, and with every state that
  // ranks before one picked. They are counted by rank into buckets of equal span, and picked
  // up to the bucket that holds the wanted-th best, which is quicker than finding it exactly.
  void pickBest(const MadeStates& states, std::size_t wanted) {
    constexpr std::size_t kBuckets = 256;
    const RankBuckets buckets(states.rankSpan(), kBuckets);
    std::size_t counts[kBuckets] = {};
    // Each state's bucket is worked out once, for the counting and the picking.
    bucketOf_.resize(states.size());
    std::size_t i = 0;
    states.forEach([&](const BeamNode& node) {
      const auto bucket = static_cast<std::uint8_t>(buckets.of(node.rank));
      bucketOf_[i++] = bucket;
      ++counts[bucket];
    });
    std::size_t last = 0;
    std::size_t total = counts[0];
    while (total < wanted) total += counts[++last];
    picked_.resize(total);
    pickedRanks_ = RankSpan{};
    std::size_t taken = 0;
    i = 0;
    states.forEach([&](const BeamNode& node) {
      if (bucketOf_[i++] <= last) {
        picked_[taken++] = node;
        pickedRanks_.take(node.rank);
      }
    });
  }
  std::vector<std::uint8_t> bucketOf_;  // pickBest's: by state
  RankSpan pickedRanks_;                // and the span of the states it picked

  // The best copy of each state among `states`, into distinct_, and a span of rank that holds
  // them all (the span of all the copies: the best copy of the best state is the lowest).
  void mergeCopies(const MadeStates& states) {
    const std::size_t count = states.size();
    distinct_.clear();
    distinctRanks_ = states.rankSpan();
    std::size_t size = 64;
    while (size < count * 2) size *= 2;
    if (size > slots_.size()) {
      slots_.assign(size, Slot{});
      epoch_ = 0;
    }
    ++epoch_;
    const std::size_t mask = size - 1;
    states.forEach([&](const BeamNode& node) {
      std::size_t slot = hashState(node.type, node.statsAndBars) & mask;
      for (;; slot = (slot + 1) & mask) {
        Slot& at = slots_[slot];
        if (at.epoch != epoch_) {
          at = Slot{node.statsAndBars, static_cast<std::uint32_t>(distinct_.size()), epoch_};
          distinct_.push_back(node);
          break;
        }
        if (at.key == node.statsAndBars) {
          BeamNode& held = distinct_[at.index];
          if (rankedBefore(node, held)) held = node;
          break;
        }
      }
    });
  }

  struct Slot {
    std::uint64_t key = 0;  // the state's stats and bars
    std::uint32_t index = 0;
    std::uint32_t epoch = 0;  // the slot is in use when it is the current one
  };
  std::vector<Slot> slots_;
  std::uint32_t epoch_ = 0;
  std::vector<BeamNode> picked_;
  std::vector<BeamNode> distinct_;
  RankSpan distinctRanks_;
};

}  // namespace ostrel

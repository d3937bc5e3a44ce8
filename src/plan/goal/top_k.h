// A top-k selection that knows nothing of mags: the best items of a large, unsorted set made with
// copies, each key's best copy once, optionally at most so many of a group, in one strict order
// that does not depend on the standard library's sort (the web page's and the console program's
// must keep the same items). The beam search keeps its states with it (best_states.h).
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

namespace ostrel {

// The lowest and the highest rank of some items, taken one item after another.
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

// The items to choose from, in the order they were made: a few runs read one after the other where
// they lie (copying them into one would cost time for nothing).
template <class Item>
struct MadeRuns {
  static constexpr std::size_t kMostRuns = 8;

  MadeRuns() = default;
  explicit MadeRuns(std::span<const Item> first, std::span<const Item> second = {},
                    RankSpan taken = {})
      : ranks(taken) {
    add(first);
    add(second);
  }
  // Takes `run` after the runs taken before (at most kMostRuns).
  void add(std::span<const Item> run) { runs[count++] = run; }

  std::span<const Item> runs[kMostRuns];
  std::size_t count = 0;
  // Their ranks' span, when the maker took it as it made them; empty when not: read once more
  // only to find it, the items cost time for nothing.
  RankSpan ranks;

  std::size_t size() const {
    std::size_t total = 0;
    for (std::size_t i = 0; i < count; ++i) total += runs[i].size();
    return total;
  }
  template <class Visit>
  void forEach(Visit visit) const {
    for (std::size_t i = 0; i < count; ++i) {
      for (const Item& item : runs[i]) visit(item);
    }
  }
  template <class RankOf>
  RankSpan rankSpan(RankOf rankOf) const {
    if (!ranks.empty()) return ranks;
    RankSpan span;
    forEach([&](const Item& item) { span.take(rankOf(item)); });
    return span;
  }
};

// A hashed, bucketed top-k: of items made with copies (items of the same key), the best copies
// of the best `width` distinct keys, in one strict order. Rather than merging all the copies of
// every item, it picks a few more items than it keeps, and every item that ranks before one of
// them, and merges those: the best copy of a key always ranks before its other copies, so the
// best `width` distinct keys are among them whenever they hold that many. The items are counted
// into buckets of rank rather than sorted, and a bucket sorted only when the taking reaches it.
//
// `Order` gives, for an item: rank(item), a double, smaller first; before(a, b), the strict order
// of the items, by rank first; key(item), what copies share, and keyHash(item); group(item) and
// groupHash(item), what the items that a group cap counts share. It knows nothing else of them.
template <class Item, class Order>
class TopK {
 public:
  using Made = MadeRuns<Item>;

  // Puts in `kept` the best copies of the `width` best distinct keys of `made`, in an order that
  // depends only on `made`. With a `groupCap`, it takes them in order from the best `kSpreadPool`
  // times `width`, skipping an item when `groupCap` items of its group are taken already, and
  // fills what is left of the width in order with the items skipped.
  void keep(const Made& made, std::vector<Item>& states, std::size_t width,
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
      // the buckets the width reaches is quicker than finding the width-th state and sorting all
      // before it.
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
  static constexpr auto before = [](const Item& a, const Item& b) { return Order::before(a, b); };
  static constexpr auto rankOf = [](const Item& item) { return Order::rank(item); };

  // The best copies of at least `wanted` of the best distinct states of `states` (or of all of
  // them) into distinct_.
  void mergeBest(const Made& states, std::size_t wanted) {
    const std::size_t count = states.size();
    std::size_t picking = std::min(count, wanted + wanted / 4 + 16);
    for (;;) {
      if (picking < count) {
        pickBest(states, picking);
        mergeCopies(Made{picked_, {}, pickedRanks_});
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
  void spreadOut(std::vector<Item>& states, std::size_t width, std::size_t sameStatsCap,
                 std::size_t pool) {
    const std::size_t mask = freshSlots(pool);
    states.clear();
    picked_.clear();  // the states skipped
    putInBuckets();
    for (std::size_t i = 0; i < pool && states.size() < width; ++i) {
      const Item& node = inOrderUpTo(i);
      const std::uint64_t stats = Order::group(node);
      std::size_t slot = Order::groupHash(node) & mask;
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
  // rank with others (most of them), so most comparisons of a sort
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
      distinctBucket_[i] = buckets.of(Order::rank(distinct_[i]));
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
  const Item& inOrderUpTo(std::size_t i) {
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
    // Every rank is at least the lowest, so the product is never below 0, and the signed
    // conversion, which is cheaper, gives what the unsigned one would.
    std::size_t of(double rank) const {
      const auto bucket = static_cast<std::int64_t>((rank - lowest_) * scale_);
      return std::min(static_cast<std::size_t>(bucket), count_ - 1);
    }

   private:
    std::size_t count_;
    double lowest_;
    double scale_;
  };

  std::vector<Item> ordered_;  // distinct_ by buckets of rank
  std::vector<std::size_t> bucketEnds_;
  std::vector<std::size_t> distinctBucket_;  // the bucket of each state of distinct_
  std::size_t bucketsSorted_ = 0;            // the buckets put in order so far, from the first
  std::size_t sortedEnd_ = 0;                // where they end in ordered_

  // Some of the best states into picked_: at least `wanted` of them, and with every state that
  // ranks before one picked. They are counted by rank into buckets of equal span, and picked
  // up to the bucket that holds the wanted-th best, which is quicker than finding it exactly.
  void pickBest(const Made& states, std::size_t wanted) {
    constexpr std::size_t kBuckets = 256;
    const RankBuckets buckets(states.rankSpan(rankOf), kBuckets);
    std::size_t counts[kBuckets] = {};
    // Each state's bucket is worked out once, for the counting and the picking. Through plain
    // pointers and a local span: a store of a byte may alias anything, and through the vectors
    // the compiler read their buffers' addresses again after every one.
    bucketOf_.resize(states.size());
    std::uint8_t* const bucketOf = bucketOf_.data();
    std::size_t i = 0;
    states.forEach([&](const Item& node) {
      const auto bucket = static_cast<std::uint8_t>(buckets.of(Order::rank(node)));
      bucketOf[i++] = bucket;
      ++counts[bucket];
    });
    std::size_t last = 0;
    std::size_t total = counts[0];
    while (total < wanted) total += counts[++last];
    picked_.resize(total);
    Item* const picked = picked_.data();
    RankSpan pickedRanks;
    std::size_t taken = 0;
    i = 0;
    states.forEach([&](const Item& node) {
      if (bucketOf[i++] <= last) {
        picked[taken++] = node;
        pickedRanks.take(Order::rank(node));
      }
    });
    pickedRanks_ = pickedRanks;
  }
  std::vector<std::uint8_t> bucketOf_;  // pickBest's: by state
  RankSpan pickedRanks_;                // and the span of the states it picked

  // The best copy of each state among `states`, into distinct_, and a span of rank that holds
  // them all (the span of all the copies: the best copy of the best state is the lowest).
  void mergeCopies(const Made& states) {
    const std::size_t count = states.size();
    distinct_.clear();
    distinctRanks_ = states.rankSpan(rankOf);
    const std::size_t mask = freshSlots(count);
    states.forEach([&](const Item& node) {
      std::size_t slot = Order::keyHash(node) & mask;
      for (;; slot = (slot + 1) & mask) {
        Slot& at = slots_[slot];
        if (at.epoch != epoch_) {
          at = Slot{Order::key(node), static_cast<std::uint32_t>(distinct_.size()), epoch_};
          distinct_.push_back(node);
          break;
        }
        if (at.key == Order::key(node)) {
          Item& held = distinct_[at.index];
          if (Order::before(node, held)) held = node;
          break;
        }
      }
    });
  }

  struct Slot {
    std::uint64_t key = 0;  // an item's key, or in spreadOut its group
    std::uint32_t index = 0;
    std::uint32_t epoch = 0;  // the slot is in use when it is the current one
  };
  std::vector<Slot> slots_;
  std::uint32_t epoch_ = 0;

  // Empties the hash table for `count` entries (at most half full) by starting a new epoch, and
  // returns its mask; it only grows, and is cleared for real only then.
  std::size_t freshSlots(std::size_t count) {
    std::size_t size = 64;
    while (size < count * 2) size *= 2;
    if (size > slots_.size()) {
      slots_.assign(size, Slot{});
      epoch_ = 0;
    }
    ++epoch_;
    return size - 1;
  }
  std::vector<Item> picked_;
  std::vector<Item> distinct_;
  RankSpan distinctRanks_;
};

}  // namespace ostrel

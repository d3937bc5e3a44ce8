// The cost estimates (cost_estimate.h) a goal search has made, kept for every beam after the one
// that made them. An estimate depends on its tables, the items' costs and a few settings alone,
// not on the player, the mag or the target, yet each beam needs the same few dozen of them, and
// worked them out again: their corners were a few percent of a goal's work, most of it in the
// trade-off, whose two goals and priced searches need many of the same. The caller owns the store
// and hands it to every search that may share it; the beams of two threads share it too. An
// estimate is the same whoever makes it first, so the plans do not depend on what the store holds.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "plan/goal/cost_estimate.h"
#include "plan/goal/dual_corners.h"

namespace ostrel {

class EstimateStore {
 public:
  // makeLowerBound(tables, costs, runBoth, room), made the first time it is asked for.
  const CostEstimate& lowerBound(TableSet tables, const ItemCosts& costs, RoomCount room,
                                 const RunBoth& runBoth);
  // makeRankingGuide(tables, costs, countLosses, weight, mayBeShort, runBoth), likewise.
  const CostEstimate& rankingGuide(TableSet tables, const ItemCosts& costs, bool countLosses,
                                   double weight, unsigned mayBeShort, const RunBoth& runBoth);

  // How many estimates the store has made.
  std::size_t size() const;

 private:
  // What an estimate depends on, with the settings that make no difference to it left at one
  // value (the room counted for one table alone, the stats that may be short with the losses
  // counted alone), so that the same estimate is made once.
  struct Key {
    TableSet tables;
    ItemCosts costs;
    bool guide;
    RoomCount room;
    bool countLosses;
    double weight;
    unsigned mayBeShort;

    bool operator==(const Key&) const = default;
  };

  // The estimate of `key`, made by `make` unless held. The lock is held while it is made: the
  // other thread waits for it rather than making it too (its parts never wait on this thread).
  template <class Make>
  const CostEstimate& find(const Key& key, const Make& make);

  mutable std::mutex mutex_;
  std::vector<Key> keys_;
  std::deque<CostEstimate> estimates_;  // by key; a deque, so that the estimates never move
};

}  // namespace ostrel

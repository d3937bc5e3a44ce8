// The store of estimates: a key looked up among those made, and made under the lock when new.
#include "plan/goal/estimate_store.h"

#include <algorithm>
#include <bit>
#include <iterator>

namespace ostrel {

template <class Make>
const CostEstimate& EstimateStore::find(const Key& key, const Make& make) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const auto held = std::find(keys_.begin(), keys_.end(), key);
  if (held != keys_.end()) {
    return estimates_[static_cast<std::size_t>(std::distance(keys_.begin(), held))];
  }
  estimates_.push_back(make());
  keys_.push_back(key);
  return estimates_.back();
}

const CostEstimate& EstimateStore::lowerBound(TableSet tables, const ItemCosts& costs,
                                              RoomCount room, const RunBoth& runBoth) {
  // makeLowerBound counts the room for one table alone.
  const RoomCount counted = std::popcount(tables) == 1 ? room : RoomCount::kNot;
  const Key key{tables, costs, false, counted, false, 1.0, 0};
  return find(key, [&] { return makeLowerBound(tables, costs, runBoth, counted); });
}

const CostEstimate& EstimateStore::rankingGuide(TableSet tables, const ItemCosts& costs,
                                                bool countLosses, double weight,
                                                unsigned mayBeShort, const RunBoth& runBoth) {
  // Only the net corners, made with the losses counted, depend on the stats that may be short.
  const unsigned shortKept = countLosses ? mayBeShort : 0;
  const Key key{tables, costs, true, RoomCount::kNot, countLosses, weight, shortKept};
  return find(key, [&] {
    return makeRankingGuide(tables, costs, countLosses, weight, shortKept, runBoth);
  });
}

std::size_t EstimateStore::size() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return keys_.size();
}

}  // namespace ostrel

// The back links of the beam search: every state it keeps remembers the state of the layer before
// it was fed from and the item fed, so a plan is read back from its last feeding alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/state.h"

namespace ostrel {

// Where a state of a layer comes from. Four bytes, since every state kept holds one for the rest
// of the search: a layer holds far fewer than 2^28 states, and an item fits in four bits. One
// word rather than two bit fields, so that making a state stores it at once.
struct BackLink {
  // Its index in the layer before times 16, plus the item fed to it: the order of the words is
  // the earlier state of the layer before first, then the earlier item.
  std::uint32_t word = 0;

  std::uint32_t parent() const { return word >> 4; }
  Item item() const { return static_cast<Item>(word & 0xFU); }

  friend bool operator==(BackLink a, BackLink b) { return a.word == b.word; }
  friend bool operator<(BackLink a, BackLink b) { return a.word < b.word; }
};

inline BackLink backLink(std::size_t parent, Item item) {
  return BackLink{static_cast<std::uint32_t>(parent) << 4 |
                  (static_cast<std::uint32_t>(item) & 0xFU)};
}

// The back links of every layer kept, each layer in a block of its own (one block for all would
// need twice its size while it grows).
class BackLinks {
 public:
  // Layer 0 is the start alone.
  BackLinks() { layers_.emplace_back(1, BackLink{}); }

  // Starts the next layer's block, for `count` links.
  std::vector<BackLink>& addLayer(std::size_t count) {
    std::vector<BackLink>& layer = layers_.emplace_back();
    layer.reserve(count);
    return layer;
  }

  // The items of the plan of `feedings` feedings whose last feeding is `last` (its parent in
  // layer feedings - 1), first feeding first.
  std::vector<Item> itemsTo(std::int32_t feedings, BackLink last) const {
    std::vector<Item> items(static_cast<std::size_t>(feedings));
    items[feedings - 1] = last.item();
    std::uint32_t index = last.parent();
    for (std::int32_t depth = feedings - 1; depth >= 1; --depth) {
      const BackLink back = layers_[depth][index];
      items[depth - 1] = back.item();
      index = back.parent();
    }
    return items;
  }

 private:
  std::vector<std::vector<BackLink>> layers_;
};

}  // namespace ostrel

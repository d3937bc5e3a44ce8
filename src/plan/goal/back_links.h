// The back links of the beam search: every state it keeps remembers the state of the layer before
// it was fed from and the item fed, so a plan is read back from its last feeding alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/state.h"

namespace ostrel {

// Where a state of a layer comes from. Four bytes, since every state kept holds one for the rest
// of the search: a layer holds far fewer than 2^28 states, and an item fits in four bits.
struct BackLink {
  std::uint32_t parent : 28;  // its index in the layer before
  std::uint32_t item : 4;     // the item fed to it

  friend bool operator==(BackLink a, BackLink b) {
    return a.parent == b.parent && a.item == b.item;
  }
  // The earlier state of the layer before first, then the earlier item.
  friend bool operator<(BackLink a, BackLink b) {
    return a.parent != b.parent ? a.parent < b.parent : a.item < b.item;
  }
};

inline BackLink backLink(std::size_t parent, Item item) {
  BackLink link{};
  link.parent = static_cast<std::uint32_t>(parent) & 0xFFFFFFFU;
  link.item = static_cast<std::uint32_t>(item) & 0xFU;
  return link;
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
    items[feedings - 1] = static_cast<Item>(last.item);
    std::uint32_t index = last.parent;
    for (std::int32_t depth = feedings - 1; depth >= 1; --depth) {
      const BackLink back = layers_[depth][index];
      items[depth - 1] = static_cast<Item>(back.item);
      index = back.parent;
    }
    return items;
  }

 private:
  std::vector<std::vector<BackLink>> layers_;
};

}  // namespace ostrel

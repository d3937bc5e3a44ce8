// One layer of the beam search as it is grown: the states made from (a share of) the layer
// before, merged when they are alike, and the plans that reached the target on the way. A layer
// is grown in two parts, on two threads when there are two; the second part is then merged into
// the first, so the layer is the same either way.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "model/state.h"

namespace ostrel {

// One state of a layer: the mag as its form and one word of stats and bars (a byte each: stats
// stay at most 200, and bars below 150). `back` leads to the state it was fed from: its index in
// the layer before times 16, plus the item fed.
struct BeamNode {
  std::uint64_t statsAndBars;
  double remaining;  // the bound on what is still needed, in the ranking's unit
  std::int32_t cost;
  std::uint32_t back;
  MagType type;
};

inline std::uint64_t packStatsAndBars(const MagState& mag) {
  const auto byte = [](std::int32_t value, int i) {
    return static_cast<std::uint64_t>(static_cast<std::uint8_t>(value)) << (8 * i);
  };
  return byte(mag.def, 0) | byte(mag.pow, 1) | byte(mag.dex, 2) | byte(mag.mind, 3) |
         byte(mag.defBar, 4) | byte(mag.powBar, 5) | byte(mag.dexBar, 6) | byte(mag.mindBar, 7);
}

inline MagState unpackNode(const BeamNode& node) {
  const auto byte = [&](int i) {
    return static_cast<std::int32_t>(node.statsAndBars >> (8 * i) & 0xFF);
  };
  MagState mag{node.type, byte(0), byte(1), byte(2), byte(3),
               byte(4),   byte(5), byte(6), byte(7), 0};
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  return mag;
}

inline std::uint64_t hashNode(const BeamNode& node) {
  std::uint64_t h = node.statsAndBars ^ (static_cast<std::uint64_t>(node.type) << 58);
  h ^= h >> 31;
  h *= 0x9E3779B97F4A7C15ULL;
  h ^= h >> 29;
  return h;
}

// A plan that reached the target while the layer grew: its last feeding, from state `parent`
// of the layer before.
struct LayerHit {
  MagType form;
  std::int32_t cost;
  std::uint32_t parent;
  Item item;
};

class LayerPart {
 public:
  // The player's record for this part's feedings (each feeding writes its deltas there).
  explicit LayerPart(PlannerState player) : planner(std::move(player)) {}

  // Empties the part for a new layer of at most `most` states.
  void begin(std::size_t most) {
    children.clear();
    hits.clear();
    tried = 0;
    if (most * 2 > slots_.size()) {
      std::size_t size = 1024;
      bits_ = 10;
      while (size < most * 2) {
        size *= 2;
        ++bits_;
      }
      slots_.assign(size, Slot{});
    }
    if (children.capacity() < most) children.reserve(most);
    ++epoch_;
  }

  // Where a state of this hash goes in the merge table, to fetch it into the cache early.
  const void* slotOf(std::uint64_t hash) const { return &slots_[hash >> (64 - bits_)]; }

  // Adds a state, or keeps the cheaper of it and the same state met before in this layer (the
  // one met first when they cost the same).
  void insert(const BeamNode& node, std::uint64_t hash) {
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash);
    std::size_t slot = hash >> (64 - bits_);
    while (slots_[slot].epoch == epoch_) {
      if (slots_[slot].tag == tag) {
        BeamNode& other = children[slots_[slot].index];
        if (other.statsAndBars == node.statsAndBars && other.type == node.type) {
          if (node.cost < other.cost) other = node;
          return;
        }
      }
      slot = (slot + 1) & mask;
    }
    slots_[slot] = Slot{epoch_, tag, static_cast<std::uint32_t>(children.size())};
    children.push_back(node);
  }

  // Takes the states and hits of the part grown after this one.
  void absorb(const LayerPart& next) {
    for (const BeamNode& node : next.children) insert(node, hashNode(node));
    hits.insert(hits.end(), next.hits.begin(), next.hits.end());
    tried += next.tried;
  }

  PlannerState planner;
  std::vector<BeamNode> children;
  std::vector<LayerHit> hits;
  std::uint64_t tried = 0;  // feedings simulated

 private:
  // A slot is in use when its epoch is the layer's.
  struct Slot {
    std::uint32_t epoch = 0;
    std::uint32_t tag = 0;  // low bits of the state's hash, to pass over others quickly
    std::uint32_t index = 0;
  };
  std::vector<Slot> slots_;
  int bits_ = 10;
  std::uint32_t epoch_ = 0;
};

}  // namespace ostrel

// The states of the beam search and the table that merges the states of a layer that are exactly
// alike. A layer's new states are sent to two merge tables by a bit of their hash, so that the
// two tables can be filled side by side on two threads without meeting the same state.
#pragma once

#include <cstdint>
#include <vector>

#include "model/state.h"

namespace ostrel {

// One state of a layer: the mag as its form and one word of stats and bars (a byte each: stats
// stay at most 200, and bars below 150). `back` leads to the state it was fed from: its index in
// the layer before times 16, plus the item fed.
struct BeamNode {
  std::uint64_t statsAndBars;
  // What the state is ranked by, smaller first: the bound on what is still needed, in the
  // ranking's unit, plus the meseta spent for the cheapest plan.
  double rank;
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

// The level of a state, without unpacking the rest: the sum of its four stat bytes.
inline std::int32_t levelOf(const BeamNode& node) {
  const std::uint64_t s = node.statsAndBars;
  return static_cast<std::int32_t>((s & 0xFF) + (s >> 8 & 0xFF) + (s >> 16 & 0xFF) +
                                   (s >> 24 & 0xFF));
}

inline std::uint64_t hashNode(const BeamNode& node) {
  std::uint64_t h = node.statsAndBars ^ (static_cast<std::uint64_t>(node.type) << 58);
  h ^= h >> 31;
  h *= 0x9E3779B97F4A7C15ULL;
  h ^= h >> 29;
  return h;
}

// Which of the two merge tables a state goes to.
inline std::size_t tableOf(std::uint64_t hash) { return hash & 1U; }

// Merges the states sent to it: the first of each state met is kept, in place of it the cheaper
// when the same state comes again at a lower cost.
class MergeTable {
 public:
  // Empties the table and `into` for at most `most` states, kept in `into`.
  void begin(std::size_t most, std::vector<BeamNode>& into) {
    into.clear();
    if (most * 2 > slots_.size()) {
      std::size_t size = 1024;
      bits_ = 10;
      while (size < most * 2) {
        size *= 2;
        ++bits_;
      }
      slots_.assign(size, Slot{});
      epoch_ = 0;
    }
    if (into.capacity() < most) into.reserve(most);
    ++epoch_;
  }

  // Where a state of this hash goes, to fetch it into the cache early: the table is far bigger
  // than the caches.
  const void* slotOf(std::uint64_t hash) const { return &slots_[hash >> (64 - bits_)]; }

  void insert(const BeamNode& node, std::uint64_t hash, std::vector<BeamNode>& into) {
    const std::size_t mask = slots_.size() - 1;
    const auto tag = static_cast<std::uint32_t>(hash >> 1);
    std::size_t slot = hash >> (64 - bits_);
    while (slots_[slot].epoch == epoch_) {
      if (slots_[slot].tag == tag) {
        BeamNode& other = into[slots_[slot].index];
        if (other.statsAndBars == node.statsAndBars && other.type == node.type) {
          if (node.cost < other.cost) other = node;
          return;
        }
      }
      slot = (slot + 1) & mask;
    }
    slots_[slot] = Slot{epoch_, tag, static_cast<std::uint32_t>(into.size())};
    into.push_back(node);
  }

  // Merges `nodes` into `into`, in their order.
  void insertAll(const std::vector<BeamNode>& nodes, std::vector<BeamNode>& into) {
    constexpr std::size_t kAhead = 8;
    std::uint64_t hashes[kAhead];
    const std::size_t count = nodes.size();
    for (std::size_t i = 0; i < count && i < kAhead; ++i) {
      hashes[i] = hashNode(nodes[i]);
      __builtin_prefetch(slotOf(hashes[i]));
    }
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint64_t hash = hashes[i % kAhead];
      if (i + kAhead < count) {
        hashes[i % kAhead] = hashNode(nodes[i + kAhead]);
        __builtin_prefetch(slotOf(hashes[i % kAhead]));
      }
      insert(nodes[i], hash, into);
    }
  }

 private:
  // A slot is in use when its epoch is the layer's.
  struct Slot {
    std::uint32_t epoch = 0;
    std::uint32_t tag = 0;  // bits of the state's hash, to pass over others quickly
    std::uint32_t index = 0;
  };
  std::vector<Slot> slots_;
  int bits_ = 10;
  std::uint32_t epoch_ = 0;
};

}  // namespace ostrel

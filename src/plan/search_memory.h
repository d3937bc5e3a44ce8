// What the search remembers within one plan. With the target, class and section ID fixed,
// everything below a state is decided by the state alone, so:
// - a state whose whole subtree failed will fail again, after counting the same number of nodes:
//   FailedSubtrees keeps that number (in a fixed table; a forgotten count is only searched again);
// - descending into a state that is already on the current path would go round the same loop
//   until the budget runs out: PathIndex finds such states among the frames of the stack.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "plan/search_stack.h"

namespace ostrel {

inline std::uint64_t hashMag(const PackedMag& mag) {
  std::uint64_t h = mag.statsAndBars() ^ (std::uint64_t{mag.type} << 58);
  h ^= h >> 31;
  h *= 0x9E3779B97F4A7C15ULL;
  h ^= h >> 29;
  return h;
}

class FailedSubtrees {
 public:
  // A search that remembers nothing passes false and gets no table.
  explicit FailedSubtrees(bool enabled) : entries_(enabled ? kSize : 0) {}

  void remember(const PackedMag& mag, std::uint32_t nodes) {
    Entry& entry = entries_[slotOf(mag)];
    entry.mag = mag;
    entry.used = true;
    entry.nodes = nodes;
  }

  std::optional<std::uint32_t> nodesBelow(const PackedMag& mag) const {
    const Entry& entry = entries_[slotOf(mag)];
    if (entry.used && entry.mag == mag) return entry.nodes;
    return std::nullopt;
  }

 private:
  static constexpr int kBits = 16;
  static constexpr std::size_t kSize = std::size_t{1} << kBits;

  struct Entry {
    PackedMag mag{};
    bool used = false;
    std::uint32_t nodes = 0;
  };

  static std::size_t slotOf(const PackedMag& mag) { return hashMag(mag) >> (64 - kBits); }

  std::vector<Entry> entries_;
};

// Chains the frames of the stack by hash. Frames leave in the reverse order they came, so the
// frame leaving is always the head of its chain.
class PathIndex {
 public:
  explicit PathIndex(bool enabled) : heads_(enabled ? kSize : 0, 0) {}

  void add(SearchStack& stack, std::size_t index) {
    SearchFrame& frame = stack.at(index);
    std::uint32_t& head = heads_[slotOf(frame.mag)];
    frame.pathNext = head;
    head = static_cast<std::uint32_t>(index + 1);
  }

  void remove(const SearchFrame& frame) { heads_[slotOf(frame.mag)] = frame.pathNext; }

  bool contains(SearchStack& stack, const PackedMag& mag) const {
    for (std::uint32_t link = heads_[slotOf(mag)]; link != 0;) {
      const SearchFrame& frame = stack.at(link - 1);
      if (frame.mag == mag) return true;
      link = frame.pathNext;
    }
    return false;
  }

 private:
  static constexpr int kBits = 16;
  static constexpr std::size_t kSize = std::size_t{1} << kBits;

  static std::size_t slotOf(const PackedMag& mag) { return hashMag(mag) >> (64 - kBits); }

  std::vector<std::uint32_t> heads_;
};

}  // namespace ostrel

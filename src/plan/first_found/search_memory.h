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

#include "plan/first_found/search_stack.h"
#include "plan/search_state.h"

namespace ostrel {

inline std::uint64_t hashMag(const PackedMag& mag) {
  return hashState(mag.type, mag.statsAndBars());
}

// Both tables start small, so that the many plans found in a few hundred states cost little, and
// grow with what the search holds, up to a fixed size.
inline constexpr int kInitialTableBits = 10;
inline constexpr int kMaxTableBits = 16;

class FailedSubtrees {
 public:
  // A search that remembers nothing passes false and gets no table.
  explicit FailedSubtrees(bool enabled) : entries_(enabled ? std::size_t{1} << bits_ : 0) {}

  void remember(const PackedMag& mag, std::uint32_t nodes) {
    if (stored_ * 2 >= entries_.size() && bits_ < kMaxTableBits) grow();
    store(Entry{mag, true, nodes});
  }

  std::optional<std::uint32_t> nodesBelow(const PackedMag& mag) const {
    const Entry& entry = entries_[slotOf(mag)];
    if (entry.used && entry.mag == mag) return entry.nodes;
    return std::nullopt;
  }

 private:
  struct Entry {
    PackedMag mag{};
    bool used = false;
    std::uint32_t nodes = 0;
  };

  // One entry a slot: a newer count replaces an older one that hashes alike.
  void store(const Entry& entry) {
    Entry& slot = entries_[slotOf(entry.mag)];
    if (!slot.used) ++stored_;
    slot = entry;
  }

  void grow() {
    std::vector<Entry> old(std::size_t{1} << (bits_ + 2));
    old.swap(entries_);
    bits_ += 2;
    stored_ = 0;
    for (const Entry& entry : old) {
      if (entry.used) store(entry);
    }
  }

  std::size_t slotOf(const PackedMag& mag) const { return hashMag(mag) >> (64 - bits_); }

  int bits_ = kInitialTableBits;
  std::size_t stored_ = 0;
  std::vector<Entry> entries_;
};

// Chains the frames of the stack by hash. Frames leave in the reverse order they came, so the
// frame leaving is always the head of its chain.
class PathIndex {
 public:
  explicit PathIndex(bool enabled) : heads_(enabled ? std::size_t{1} << bits_ : 0, 0) {}

  void add(SearchStack& stack, std::size_t index) {
    if (index >= heads_.size() && bits_ < kMaxTableBits) rechain(stack, index);
    link(stack, index);
  }

  void remove(const SearchFrame& frame) { heads_[slotOf(frame.mag)] = frame.pathNext; }

  bool contains(SearchStack& stack, const PackedMag& mag) const {
    for (std::uint32_t next = heads_[slotOf(mag)]; next != 0;) {
      const SearchFrame& frame = stack.at(next - 1);
      if (frame.mag == mag) return true;
      next = frame.pathNext;
    }
    return false;
  }

 private:
  void link(SearchStack& stack, std::size_t index) {
    SearchFrame& frame = stack.at(index);
    std::uint32_t& head = heads_[slotOf(frame.mag)];
    frame.pathNext = head;
    head = static_cast<std::uint32_t>(index + 1);
  }

  // More heads for a longer path: the frames below `depth` are chained again, oldest first.
  void rechain(SearchStack& stack, std::size_t depth) {
    bits_ += 2;
    heads_.assign(std::size_t{1} << bits_, 0);
    for (std::size_t index = 0; index < depth; ++index) link(stack, index);
  }

  std::size_t slotOf(const PackedMag& mag) const { return hashMag(mag) >> (64 - bits_); }

  int bits_ = kInitialTableBits;
  std::vector<std::uint32_t> heads_;
};

}  // namespace ostrel

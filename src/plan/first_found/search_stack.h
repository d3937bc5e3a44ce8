// The search's own stack. A path can be millions of feedings deep (some feedings undo each other
// and lead back to an earlier state), far beyond what the call stack holds, so each level is one
// small frame in a stack that grows in chunks: nothing is copied as it grows.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "model/state.h"
#include "plan/search_state.h"

namespace ostrel {

// A mag state below level 200 in nine bytes: form, and the word of stats and bars
// (search_state.h) as bytes, so that a frame needs no eight-byte alignment.
struct PackedMag {
  std::uint8_t type;
  unsigned char statsAndBarsBytes[8];

  std::uint64_t statsAndBars() const {
    std::uint64_t word;
    std::memcpy(&word, statsAndBarsBytes, sizeof word);
    return word;
  }
  friend bool operator==(const PackedMag& a, const PackedMag& b) {
    return a.type == b.type && a.statsAndBars() == b.statsAndBars();
  }
};

inline PackedMag packMag(const MagState& mag) {
  PackedMag packed;
  packed.type = static_cast<std::uint8_t>(mag.type);
  const std::uint64_t word = packStatsAndBars(mag);
  std::memcpy(packed.statsAndBarsBytes, &word, sizeof word);
  return packed;
}

inline MagState unpackMag(const PackedMag& packed) {
  return unpackStatsAndBars(packed.type, packed.statsAndBars());
}

// One level of the search: the state as it was entered (the copy every abandoned feeding is
// rolled back to) and how far its candidate list has got. The candidate list itself follows from
// the preferred item, and the item that led to the level below is the one before `nextCandidate`.
struct SearchFrame {
  PackedMag mag;
  std::uint8_t preferred;      // the item tried first
  std::uint8_t nextCandidate;  // 0..10: the position of the next candidate to try
  std::uint8_t unused;
  std::uint32_t nodesAtEntry;  // nodes counted in this plan before the state was entered
  std::uint32_t pathNext;      // another frame on the path with the same hash, plus one; 0: none
};
static_assert(sizeof(SearchFrame) == 20);

class SearchStack {
 public:
  bool empty() const { return size_ == 0; }
  std::size_t size() const { return size_; }
  // Only called with a frame on the stack: the search enters the start before its loop, which the
  // static analyzer does not follow.
  SearchFrame& top() { return *top_; }  // NOLINT(clang-analyzer-core.uninitialized.UndefReturn)
  SearchFrame& at(std::size_t index) { return chunks_[index >> kChunkBits][index & kChunkMask]; }

  SearchFrame& push() {
    if (size_ == chunks_.size() << kChunkBits) {
      // Left uninitialised: every frame is written before it is read. (new T[n] rather than
      // make_unique_for_overwrite, which the web build's standard library lacks.)
      chunks_.push_back(std::unique_ptr<SearchFrame[]>(new SearchFrame[kChunkSize]));
    }
    top_ = &at(size_);
    ++size_;
    return *top_;
  }

  void pop() {
    --size_;
    top_ = size_ == 0 ? nullptr : &at(size_ - 1);
  }

 private:
  static constexpr std::size_t kChunkBits = 12;
  static constexpr std::size_t kChunkSize = std::size_t{1} << kChunkBits;
  static constexpr std::size_t kChunkMask = kChunkSize - 1;

  std::vector<std::unique_ptr<SearchFrame[]>> chunks_;
  std::size_t size_ = 0;
  SearchFrame* top_ = nullptr;
};

}  // namespace ostrel

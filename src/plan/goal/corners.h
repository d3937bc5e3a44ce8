// The corners of one lower bound (cost_estimate.h), stored two by two for the product that every
// state a beam makes is ranked by: a block holds the def values of two corners, then their pow,
// dex and mind values, so that both corners' products with the needs are worked out at once, in
// the same order of operations as one at a time (the bound, and so every plan, is the same on
// every machine and in the page). A corner of zeros pads an odd count: its product, 0, is never
// above the largest, which is 0 at least.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace ostrel {

class Corners {
 public:
  Corners() = default;
  // From four values a corner (def, pow, dex, mind).
  explicit Corners(const std::vector<double>& flat) : count_(flat.size() / 4) {
    assert(flat.size() % 4 == 0);
    blocks_.assign((count_ + 1) / 2 * kBlock, 0.0);
    for (std::size_t i = 0; i < count_; ++i) {
      for (std::size_t stat = 0; stat < 4; ++stat) {
        blocks_[i / 2 * kBlock + stat * 2 + i % 2] = flat[i * 4 + stat];
      }
    }
  }

  bool operator==(const Corners&) const = default;
  bool empty() const { return count_ == 0; }
  std::size_t size() const { return count_; }
  std::array<double, 4> operator[](std::size_t i) const {
    std::array<double, 4> corner{};
    for (std::size_t stat = 0; stat < 4; ++stat) {
      corner[stat] = blocks_[i / 2 * kBlock + stat * 2 + i % 2];
    }
    return corner;
  }

  void scale(double weight) {
    std::transform(blocks_.begin(), blocks_.end(), blocks_.begin(),
                   [weight](double value) { return value * weight; });
  }

  // The largest product of `need` with a corner, or 0; a need below 0 (a stat on target)
  // counts as 0.
  double largestProduct(const std::array<std::int32_t, 4>& need) const {
    const Pair def = both(std::max(need[0], 0));
    const Pair pow = both(std::max(need[1], 0));
    const Pair dex = both(std::max(need[2], 0));
    const Pair mind = both(std::max(need[3], 0));
    Pair best = {0, 0};
    const double* block = blocks_.data();
    for (std::size_t i = 0; i < blocks_.size(); i += kBlock) {
      const Pair value = def * load(block + i) + pow * load(block + i + 2) +
                         dex * load(block + i + 4) + mind * load(block + i + 6);
      best = value > best ? value : best;
    }
    return std::max(best[0], best[1]);
  }

 private:
  // Two doubles worked on as one: one instruction each where the machine has them (SSE2 on
  // x86-64), two otherwise (the page's WebAssembly is built without SIMD).
  using Pair = double __attribute__((vector_size(16)));
  static constexpr std::size_t kBlock = 8;  // two corners of four values

  static Pair both(double value) { return Pair{value, value}; }
  static Pair load(const double* values) {
    Pair pair;
    std::memcpy(&pair, values, sizeof pair);
    return pair;
  }

  std::vector<double> blocks_;
  std::size_t count_ = 0;
};

}  // namespace ostrel

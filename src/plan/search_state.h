// What the first-found search and the beam search both do with a mag state: hold its stats and
// bars in one word and hash it, see which stats stand short of or on their targets, and put every
// feeding to the same two tests before simulating it (does it move anything the plan needs; would
// it lift a stat on its target past it).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "model/feeding.h"
#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

// The stats and bars of a mag below level 200 as one word, a byte each: def, pow, dex and mind
// in the low four bytes, their bars in the high four (stats stay at most 200, bars below 150).
inline std::uint64_t packStatsAndBars(const MagState& mag) {
#if defined(__SSE2__) && defined(__x86_64__)
  // The beam search packs every state it makes. The eight fields lie side by side from def on, so
  // where the machine has SSE2 two loads and two narrowings do it; they saturate where a byte
  // would cut, which for values 0..255 is the same.
  constexpr std::size_t kField = sizeof(std::int32_t);
  static_assert(offsetof(MagState, pow) == offsetof(MagState, def) + kField &&
                offsetof(MagState, dex) == offsetof(MagState, def) + 2 * kField &&
                offsetof(MagState, mind) == offsetof(MagState, def) + 3 * kField &&
                offsetof(MagState, defBar) == offsetof(MagState, def) + 4 * kField &&
                offsetof(MagState, powBar) == offsetof(MagState, def) + 5 * kField &&
                offsetof(MagState, dexBar) == offsetof(MagState, def) + 6 * kField &&
                offsetof(MagState, mindBar) == offsetof(MagState, def) + 7 * kField);
  __m128i stats;
  __m128i bars;
  std::memcpy(&stats, &mag.def, sizeof stats);
  std::memcpy(&bars, &mag.defBar, sizeof bars);
  const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(stats, bars), _mm_setzero_si128());
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(bytes));
#else
  const auto byte = [](std::int32_t value, int i) {
    return static_cast<std::uint64_t>(static_cast<std::uint8_t>(value)) << (8 * i);
  };
  return byte(mag.def, 0) | byte(mag.pow, 1) | byte(mag.dex, 2) | byte(mag.mind, 3) |
         byte(mag.defBar, 4) | byte(mag.powBar, 5) | byte(mag.dexBar, 6) | byte(mag.mindBar, 7);
#endif
}

// The mag of form `type` with the stats and bars of `word`, its level worked out.
inline MagState unpackStatsAndBars(MagType type, std::uint64_t word) {
  const auto byte = [&](int i) { return static_cast<std::int32_t>(word >> (8 * i) & 0xFF); };
  MagState mag{type, byte(0), byte(1), byte(2), byte(3), byte(4), byte(5), byte(6), byte(7), 0};
  mag.level = mag.def + mag.pow + mag.dex + mag.mind;
  return mag;
}

// The level of packed stats, without unpacking the rest: the sum of the four stat bytes.
inline std::int32_t levelOfStatsAndBars(std::uint64_t word) {
  return static_cast<std::int32_t>((word & 0xFF) + (word >> 8 & 0xFF) + (word >> 16 & 0xFF) +
                                   (word >> 24 & 0xFF));
}

// The hash both searches file their states under.
inline std::uint64_t hashState(MagType type, std::uint64_t statsAndBars) {
  std::uint64_t h = statsAndBars ^ (static_cast<std::uint64_t>(type) << 58);
  h ^= h >> 31;
  h *= 0x9E3779B97F4A7C15ULL;
  h ^= h >> 29;
  return h;
}

inline bool onTarget(const MagState& mag, const Target& target) {
  return mag.def == target.def && mag.pow == target.pow && mag.dex == target.dex &&
         mag.mind == target.mind;
}

// A stat above its target can never come down: no plan leads from such a mag to the target.
inline bool aboveTarget(const MagState& mag, const Target& target) {
  return mag.def > target.def || mag.pow > target.pow || mag.dex > target.dex ||
         mag.mind > target.mind;
}

// Which stats an item's bar changes raise and which they lower, for every form, as four bits
// each (def to mind), so that whether a feeding is worth trying is one mask against a Standing.
struct DeltaSigns {
  std::uint8_t raises;  // stats whose bar the item fills
  std::uint8_t drains;  // stats whose bar it lowers
};

inline constexpr auto kDeltaSigns = [] {
  std::array<std::array<DeltaSigns, kFedItemCount>, kMagTypeCount> signs{};
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kDeltaByType[type][item];
      const std::int32_t changes[4] = {d.def, d.pow, d.dex, d.mind};
      for (int stat = 0; stat < 4; ++stat) {
        if (changes[stat] > 0) signs[type][item].raises |= 1U << stat;
        if (changes[stat] < 0) signs[type][item].drains |= 1U << stat;
      }
    }
  }
  return signs;
}();

// Where each stat stands against its target, four bits each, def to mind.
struct Standing {
  std::uint8_t shortOfTarget;      // stats below their targets
  std::uint8_t onTarget;           // stats on their targets
  std::uint8_t drainableOnTarget;  // stats on their targets with a bar above the searcher's mark
};

// The standing of `mag`; a stat on its target counts as drainable when its bar is above
// `drainAbove` (the first-found search drains only bars above half, the beam any bar).
inline Standing standingOf(const MagState& mag, const Target& target, std::int32_t drainAbove) {
  const std::int32_t stats[4] = {mag.def, mag.pow, mag.dex, mag.mind};
  const std::int32_t bars[4] = {mag.defBar, mag.powBar, mag.dexBar, mag.mindBar};
  const std::int32_t targets[4] = {target.def, target.pow, target.dex, target.mind};
  Standing standing{0, 0, 0};
  for (int stat = 0; stat < 4; ++stat) {
    if (stats[stat] < targets[stat]) standing.shortOfTarget |= 1U << stat;
    if (stats[stat] == targets[stat]) standing.onTarget |= 1U << stat;
    if (stats[stat] == targets[stat] && bars[stat] > drainAbove) {
      standing.drainableOnTarget |= 1U << stat;
    }
  }
  return standing;
}

// A feeding is worth trying if it fills the bar of a stat still short of its target or drains a
// drainable bar of one on its target; any other moves nothing the plan needs (it raises no stat
// short of its target, so gives no level and cannot evolve the mag either).
inline bool isUseful(const DeltaSigns& signs, const Standing& standing) {
  return ((signs.raises & standing.shortOfTarget) | (signs.drains & standing.drainableOnTarget)) !=
         0;
}

// Whether feeding `delta` to `mag` fills a bar, and so raises the level (below level 200).
inline bool raisesLevel(const MagState& mag, const StatDelta& delta) {
  return mag.level < kMaxLevel &&
         (mag.defBar + delta.def >= kBarCapacity || mag.powBar + delta.pow >= kBarCapacity ||
          mag.dexBar + delta.dex >= kBarCapacity || mag.mindBar + delta.mind >= kBarCapacity);
}

// Whether feeding `delta` to `mag` would lift a stat that is on its target past it, which prunes
// the feeding whatever else it does. Only the level-ups matter for that (each bar in turn, while
// the mag is below level 200), not the evolution, so the feeding need not be simulated.
inline bool overshoots(const MagState& mag, const StatDelta& delta, const Standing& standing) {
  const std::int32_t bars[4] = {mag.defBar + delta.def, mag.powBar + delta.pow,
                                mag.dexBar + delta.dex, mag.mindBar + delta.mind};
  std::int32_t level = mag.level;
  for (int stat = 0; stat < 4; ++stat) {
    if (bars[stat] >= kBarCapacity && level < kMaxLevel) {
      if (((standing.onTarget >> stat) & 1U) != 0) return true;
      ++level;
    }
  }
  return false;
}

}  // namespace ostrel

// Which stats an item's bar changes raise and which they lower, for every form, as four bits each
// (def to mind). The searches test whether a feeding is worth trying with one mask against these.
#pragma once

#include <array>
#include <cstdint>

#include "model/feeding.h"
#include "model/tables.h"

namespace ostrel {

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

}  // namespace ostrel

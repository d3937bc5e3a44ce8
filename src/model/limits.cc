// The limits a mag and a target must keep before a plan is worth searching.
#include "model/limits.h"

#include <cstdint>

#include "model/tables.h"

namespace ostrel {
namespace {

// Summed in 64 bits: four huge answers must not wrap round to a small level.
std::int64_t levelOf(std::int32_t def, std::int32_t pow, std::int32_t dex, std::int32_t mind) {
  return std::int64_t{def} + std::int64_t{pow} + std::int64_t{dex} + std::int64_t{mind};
}

bool barInRange(std::int32_t bar) { return bar >= 0 && bar <= kMaxBar; }

}  // namespace

StartCheck checkStart(const MagState& start) {
  if (levelOf(start.def, start.pow, start.dex, start.mind) >= kMaxLevel) {
    return StartCheck::kFullyRaised;
  }
  const bool valid = start.type >= 0 && start.type < kMagTypeCount && start.def >= kMinDef &&
                     start.pow >= 0 && start.dex >= 0 && start.mind >= 0 &&
                     barInRange(start.defBar) && barInRange(start.powBar) &&
                     barInRange(start.dexBar) && barInRange(start.mindBar);
  return valid ? StartCheck::kValid : StartCheck::kOutOfRange;
}

bool targetPossible(const MagState& start, const Target& target) {
  const std::int64_t level = levelOf(target.def, target.pow, target.dex, target.mind);
  return level <= kMaxLevel && target.def >= kMinDef &&
         level > levelOf(start.def, start.pow, start.dex, start.mind) && target.def >= start.def &&
         target.pow >= start.pow && target.dex >= start.dex && target.mind >= start.mind;
}

}  // namespace ostrel

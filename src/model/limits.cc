// The limits a mag and a target must keep before a plan is worth searching.
#include "model/limits.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>

#include "model/evolution.h"
#include "model/tables.h"

namespace ostrel {
namespace {

// Summed in 64 bits: four huge answers must not wrap round to a small level.
std::int64_t levelOf(std::int32_t def, std::int32_t pow, std::int32_t dex, std::int32_t mind) {
  return std::int64_t{def} + std::int64_t{pow} + std::int64_t{dex} + std::int64_t{mind};
}

// A stat has no bound above of its own: the level below 200 keeps it down.
constexpr std::int64_t kNoMost = INT64_MAX;

// The verdict on `value` kept within least..most.
LimitVerdict inRange(LimitField field, std::int64_t value, std::int64_t least, std::int64_t most) {
  if (value < least) return {field, LimitRule::kBelow, least, value};
  if (value > most) return {field, LimitRule::kAbove, most, value};
  return {};
}

}  // namespace

LimitVerdict checkStart(const MagState& start) {
  const std::int64_t level = levelOf(start.def, start.pow, start.dex, start.mind);
  if (level >= kMaxLevel) return {LimitField::kLevel, LimitRule::kFullyRaised, kMaxLevel, level};
  const std::array<LimitVerdict, 9> checks = {
      inRange(LimitField::kForm, start.type, 0, kMagTypeCount - 1),
      inRange(LimitField::kDef, start.def, kMinDef, kNoMost),
      inRange(LimitField::kPow, start.pow, 0, kNoMost),
      inRange(LimitField::kDex, start.dex, 0, kNoMost),
      inRange(LimitField::kMind, start.mind, 0, kNoMost),
      inRange(LimitField::kDefBar, start.defBar, 0, kMaxBar),
      inRange(LimitField::kPowBar, start.powBar, 0, kMaxBar),
      inRange(LimitField::kDexBar, start.dexBar, 0, kMaxBar),
      inRange(LimitField::kMindBar, start.mindBar, 0, kMaxBar),
  };
  const auto* const failed = std::find_if(
      checks.begin(), checks.end(), [](const LimitVerdict& check) { return !check.within(); });
  return failed == checks.end() ? LimitVerdict{} : *failed;
}

namespace {

// The levels at which a mag can have `type`: from `first`, and below `leftAt` when every mag
// leaves it there for good (0: never).
struct FormLevels {
  std::int32_t first = kFirstFinalEvent;
  std::int32_t leftAt = 0;
};

FormLevels formLevels(MagType type) {
  if (type == kBabyMag.type) return {kBabyMag.level, 10};
  const auto gives = [type](const auto& forms) {
    return std::find(std::begin(forms), std::end(forms), type) != std::end(forms);
  };
  if (gives(kLevel10Type)) return {10, 35};
  for (const auto& byGroup : kLevel35Type) {
    if (gives(byGroup)) return {35, 0};
  }
  for (const auto& byGroup : kLevel50Type) {
    if (gives(byGroup)) return {kFirstStatsEvent, 0};
  }
  if (type == kLevel50HighDefPowType || type == kLevel50HighDefOtherType) {
    return {kFirstStatsEvent, 0};
  }
  return {};
}

}  // namespace

LimitVerdict checkStartForm(const MagState& start) {
  if (!checkStart(start).within()) return {};
  const FormLevels levels = formLevels(start.type);
  const std::int64_t level = levelOf(start.def, start.pow, start.dex, start.mind);
  if (levels.leftAt != 0 && level >= levels.leftAt) {
    return {LimitField::kForm, LimitRule::kFormLeft, levels.leftAt, level};
  }
  if (level < levels.first) return {LimitField::kForm, LimitRule::kFormNotYet, levels.first, level};
  return {};
}

LimitVerdict checkTarget(const MagState& start, const Target& target) {
  const std::int64_t level = levelOf(target.def, target.pow, target.dex, target.mind);
  const std::int64_t startLevel = levelOf(start.def, start.pow, start.dex, start.mind);
  if (target.def < kMinDef) return {LimitField::kDef, LimitRule::kBelow, kMinDef, target.def};
  if (level > kMaxLevel) return {LimitField::kLevel, LimitRule::kAbove, kMaxLevel, level};
  if (level <= startLevel) {
    return {LimitField::kLevel, LimitRule::kNotAboveStart, startLevel, level};
  }
  const std::array<LimitField, 4> fields = {LimitField::kDef, LimitField::kPow, LimitField::kDex,
                                            LimitField::kMind};
  const std::array<std::int32_t, 4> wanted = {target.def, target.pow, target.dex, target.mind};
  const std::array<std::int32_t, 4> have = {start.def, start.pow, start.dex, start.mind};
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (wanted[i] < have[i]) return {fields[i], LimitRule::kBelowStart, have[i], wanted[i]};
  }
  return {};
}

}  // namespace ostrel

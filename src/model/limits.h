// The limits a mag and a target must keep before a plan is worth searching: what the game allows
// a mag to be (a def of at least 5, bars 0..99, below level 200) and what a target must be (at
// most level 200, a def of at least 5, above the start and lowering no stat). The answer is a
// verdict naming the field, the rule and the bound, so that every front end refuses the same mag
// for the same reason and words it its own way.
#pragma once

#include <cstdint>

#include "model/state.h"

namespace ostrel {

inline constexpr std::int32_t kMinDef = 5;
inline constexpr std::int32_t kMaxBar = kBarCapacity - 1;

inline constexpr const char* kFullyRaisedMessage = "Your mag is fully raised!";
inline constexpr const char* kNotPossibleMessage = "That mag is not possible";

// The field a verdict is about; kLevel is the sum of the four stats.
enum class LimitField {
  kNone,
  kForm,
  kDef,
  kPow,
  kDex,
  kMind,
  kDefBar,
  kPowBar,
  kDexBar,
  kMindBar,
  kLevel
};

enum class LimitRule {
  kWithin,         // every limit kept
  kFullyRaised,    // the start's level is `bound` (200) or more
  kBelow,          // the field is below `bound`
  kAbove,          // the field is above `bound`
  kNotAboveStart,  // the target's level is not above the start's level `bound`
  kBelowStart,     // the target's stat is below the start's `bound`
  kFormLeft,       // every mag leaves the start's form at level `bound`, for good
  kFormNotYet,     // no evolution gives the start's form below level `bound`
};

// Which limit a mag or a target breaks, and the value it has there (a level summed in 64 bits).
struct LimitVerdict {
  LimitField field = LimitField::kNone;
  LimitRule rule = LimitRule::kWithin;
  std::int64_t bound = 0;
  std::int64_t value = 0;

  bool within() const { return rule == LimitRule::kWithin; }
  bool operator==(const LimitVerdict&) const = default;
};

// Whether `start` is a mag the planner can raise further. Its `level` is not read: the four stats
// are summed without overflow. Level 200 or more wins over a field out of range, as in the
// dialogue, which says the mag is fully raised whatever else was wrong; then the form, the four
// stats and the four bars, in that order.
LimitVerdict checkStart(const MagState& start);

// Whether a mag can have the form of `start` at its level, as the evolution rules give forms
// whoever holds the mag: a new mag's form only below level 10, the forms of level 10 only below
// 35 (the evolutions at 10 and 35 replace every form, and no later one gives these back), the
// others from the level of the first evolution that gives them (35, 50 or 100). The verdict is
// on the form, `value` the start's level; a start that checkStart refuses is not checked. The
// dialogue has always taken any form at any level, and still does: only the command line and the
// page check this.
LimitVerdict checkStartForm(const MagState& start);

// Whether `target` can be planned from `start`, the start's own limits aside: the target's level
// is not read but summed from its four stats without overflow. Checked in order: def below 5,
// level above 200, level not above the start's, then each stat below the start's.
LimitVerdict checkTarget(const MagState& start, const Target& target);

}  // namespace ostrel

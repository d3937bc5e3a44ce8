// The limits a mag and a target must keep before a plan is worth searching: what the game allows
// a mag to be (a def of at least 5, bars 0..99, below level 200) and what a target must be (at
// most level 200, a def of at least 5, above the start and lowering no stat). Every front end
// refuses the same mags with the same messages.
#pragma once

#include "model/state.h"

namespace ostrel {

inline constexpr std::int32_t kMinDef = 5;
inline constexpr std::int32_t kMaxBar = kBarCapacity - 1;

inline constexpr const char* kFullyRaisedMessage = "Your mag is fully raised!";
inline constexpr const char* kNotPossibleMessage = "That mag is not possible";

enum class StartCheck {
  kValid,
  kOutOfRange,   // a form, stat or bar out of its range (the dialogue asks again, silently)
  kFullyRaised,  // level 200 or more: kFullyRaisedMessage
};

// Whether `start` is a mag the planner can raise further. Its `level` is not read: the four stats
// are summed without overflow. Level 200 or more wins over a field out of range, as in the
// dialogue, which prints the message whatever else was wrong.
StartCheck checkStart(const MagState& start);

// Whether `target` can be planned from `start`: the target's level is not read but summed from its
// four stats without overflow. A false answer is reported with kNotPossibleMessage.
bool targetPossible(const MagState& start, const Target& target);

}  // namespace ostrel

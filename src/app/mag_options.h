// The options that say who plays and which mag: section ID, class, the mag's form, stats and
// bars, and the stats wanted. Every command reads them the same way; what the dialogue refuses
// they refuse too (the check is checkRequest's), worded as one line instead of asked again.
#pragma once

#include <initializer_list>
#include <string>

#include "model/limits.h"
#include "model/state.h"

namespace ostrel {

// The options as typed; empty when not given.
struct MagOptionText {
  std::string section;
  std::string charClass;
  std::string mag;
  std::string stats;
  std::string bars;
};

// Each reader returns an empty string when the option was read, or else one line naming the
// option, what was given and what is allowed.

// The first refusal among `refusals` (all of them already read, in order), or an empty string.
std::string firstRefusal(std::initializer_list<std::string> refusals);

// Refuses an option that must be given but was left out (or given empty).
std::string requireOption(const char* option, const std::string& text, const std::string& allowed);

// Section ID and class, by name (any case) or by the dialogue's menu number.
std::string readPlayer(const MagOptionText& text, Player& player);

// The mag to start from: a new mag without --mag, else the form (name or form menu number 1..45)
// with --stats and --bars (0/0/0/0 when left out), its level the clamped sum of its stats.
std::string readStart(const MagOptionText& text, MagState& start);

// The refusal of a start that breaks a limit (the `verdict` of checkStart or checkStartForm on
// `start`): the option that holds the field (--mag, --stats or --bars), as given, and what it
// allows; empty within the limits.
std::string startRefusal(const MagOptionText& text, const MagState& start,
                         const LimitVerdict& verdict);

// A form for `option`, by name (any case, blanks ignored) or form menu number 1..45.
std::string readForm(const char* option, const std::string& text, MagType& type);

// The stats wanted, DEF/POW/DEX/MIND, their level the clamped sum; refused when --target is left
// out, with what a target from `start` allows.
std::string readTarget(const std::string& text, const MagState& start, Target& target);

// The refusal of a target that breaks a limit (checkTarget's `verdict`) for --target `text` from
// `start`: "That mag is not possible (...)"; empty within the limits.
std::string targetRefusal(const std::string& text, const MagState& start,
                          const LimitVerdict& verdict);

// A whole number that fits 32 bits, with an optional minus sign and nothing around it.
bool parseInt32(const std::string& text, std::int32_t& value);

}  // namespace ostrel

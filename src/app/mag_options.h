// The options that say who plays and which mag: section ID, class, the mag's form, stats and
// bars, and the stats wanted. Both commands read them the same way, and refuse what the dialogue
// refuses, with a one-line reason instead of asking again.
#pragma once

#include <initializer_list>
#include <string>

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
// with --stats and --bars (0/0/0/0 when left out). Refused as in the dialogue: def below 5,
// another stat below 0, a bar outside 0..99, a level of 200 or more ("Your mag is fully raised!").
std::string readStart(const MagOptionText& text, MagState& start);

// A form for `option`, by name (any case, blanks ignored) or form menu number 1..45.
std::string readForm(const char* option, const std::string& text, MagType& type);

// The stats wanted, DEF/POW/DEX/MIND. Refused as in the dialogue ("That mag is not possible"):
// def below 5, more than 200 levels, not above the start's level, or a stat below the start's.
std::string readTarget(const std::string& text, const MagState& start, Target& target);

// A whole number that fits 32 bits, with an optional minus sign and nothing around it.
bool parseInt32(const std::string& text, std::int32_t& value);

}  // namespace ostrel

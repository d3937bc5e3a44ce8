// The words every surface uses for what the game's tables (tables.h) do not name: the goals a plan
// can be searched for, and the fields and rules of a limit a mag or a target breaks. The options,
// the JSON documents, the dialogue and the page all spell them from here.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "model/limits.h"
#include "model/state.h"

namespace ostrel {

// Lower case with blanks removed, so that "Sol Atomizer", "solatomizer" and "SOL atomizer" match:
// every surface reads the game's names this way.
std::string foldName(std::string_view name);

// The index of `name` among the first `count` of `names` (folded as above), or -1 when it names
// none of them.
template <typename Names>
std::int32_t findName(std::string_view name, const Names& names, int count) {
  const std::string folded = foldName(name);
  for (int i = 0; i < count; ++i) {
    if (!folded.empty() && folded == foldName(names[i])) return i;
  }
  return -1;
}

// The goals in the order of the planner's goal kinds: the first plan found, the least meseta,
// the fewest feedings. As the options take them and the documents write them.
inline constexpr std::array<const char*, 3> kGoalNames = {"first", "cheapest", "fewest"};
// How the page offers them.
inline constexpr std::array<const char*, 3> kGoalLabels = {
    "First plan found", "Cheapest (least meseta)", "Fewest feedings"};

// "def", "pow bar", "level", ...; "" for no field.
const char* limitFieldName(LimitField field);

// "fully-raised", "below", "above", "not-above-start", "below-start", "form-left",
// "form-not-yet"; "" for a verdict within every limit.
const char* limitRuleName(LimitRule rule);

// A refused start in words, naming the field, its value and the rule: "def 4 is below 5",
// "mind bar 100 is above 99", "Your mag is fully raised! (level 204)", "a mag of level 80 has
// left this form: ...". Empty within the limits.
std::string startRefusalText(const LimitVerdict& verdict);

// A refused target in words, the dialogue's message first: "That mag is not possible (dex 9 is
// below the mag's 10)". Empty within the limits.
std::string targetRefusalText(const LimitVerdict& verdict);

}  // namespace ostrel

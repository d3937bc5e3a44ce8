// Reading a request of the web page, field by field, as the command line reads its options.
#include "web/request_input.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <utility>

#include "model/form_rules.h"
#include "model/limits.h"
#include "model/names.h"
#include "model/tables.h"
#include "plan/plan_run.h"
#include "plan/report/plan_document.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel::web {
namespace {

using json = Document;

// A goal named in a request: one of kGoalNames, in the planner's goal order.
std::optional<Goal> findGoal(std::string_view name) {
  const auto* found = std::find(kGoalNames.begin(), kGoalNames.end(), name);
  if (found == kGoalNames.end()) return std::nullopt;
  return static_cast<Goal>(found - kGoalNames.begin());
}

// The index of the name at `key` among `names` (matched as the command line matches names), or
// -1 when the field is missing, not a string or names nothing there.
template <typename Names>
std::int32_t readName(const json& object, const char* key, const Names& names, int count) {
  const auto field = object.find(key);
  if (field == object.end() || !field->is_string()) return -1;
  return findName(field->get_ref<const std::string&>(), names, count);
}

// Reads a whole number that fits in 32 bits; anything else leaves `value` alone.
bool readInt(const json& object, const char* key, std::int32_t& value) {
  const auto field = object.find(key);
  if (field == object.end() || !field->is_number_integer()) return false;
  // Numbers above the signed 64-bit range come as unsigned: never let them wrap to a small one.
  if (field->is_number_unsigned() &&
      field->get<std::uint64_t>() > std::uint64_t{std::numeric_limits<std::int32_t>::max()}) {
    return false;
  }
  const std::int64_t number = field->get<std::int64_t>();
  if (number < std::numeric_limits<std::int32_t>::min() ||
      number > std::numeric_limits<std::int32_t>::max()) {
    return false;
  }
  value = static_cast<std::int32_t>(number);
  return true;
}

// Reads {"def", "pow", "dex", "mind"} at `key`, as the documents write stats, bars and targets.
bool readFour(const json& object, const char* key, std::int32_t& def, std::int32_t& pow,
              std::int32_t& dex, std::int32_t& mind) {
  const auto field = object.find(key);
  return field != object.end() && field->is_object() && readInt(*field, "def", def) &&
         readInt(*field, "pow", pow) && readInt(*field, "dex", dex) &&
         readInt(*field, "mind", mind);
}

// The level of four stats, wide enough for any four whole numbers of 32 bits.
std::int64_t levelOf4(std::int32_t def, std::int32_t pow, std::int32_t dex, std::int32_t mind) {
  return std::int64_t{def} + pow + dex + mind;
}

// A field the documents derive from others (a mag's form number and level, a target's level):
// a request may leave it out, and where it gives it, it must agree.
bool agrees(const json& object, const char* key, std::int64_t expected) {
  if (!object.contains(key)) return true;
  std::int32_t given = 0;
  return readInt(object, key, given) && given == expected;
}

// A start or a target (`of`) out of the limits: the words the command line uses, and the verdict.
std::string refusal(const char* of, const LimitVerdict& verdict, const std::string& message) {
  return json{{"outcome", "refused"},
              {"message", message},
              {"of", of},
              {"field", limitFieldName(verdict.field)},
              {"rule", limitRuleName(verdict.rule)},
              {"bound", verdict.bound},
              {"value", verdict.value}}
      .dump();
}

// Reads "maxFeedings" and "maxMeseta", each left out or null for no budget, refused in the command
// line's words with the field named; a budget or a form without a goal plans as the command
// line's do (impliedGoal). Returns the answer to give instead of a plan, or nothing.
std::string readBudget(const json& request, bool goalGiven, PlanInput& input) {
  struct BudgetField {
    const char* key;
    const char* option;
    std::int32_t least;
    bool feedings;  // else meseta
  };
  for (const BudgetField& budget :
       {BudgetField{"maxFeedings", "--max-feedings", kLeastMaxFeedings, true},
        BudgetField{"maxMeseta", "--max-meseta", kLeastMaxMeseta, false}}) {
    const auto field = request.find(budget.key);
    if (field == request.end() || field->is_null()) continue;
    std::int32_t most = -1;
    if (!readInt(request, budget.key, most) || most < budget.least) {
      const std::string given = field->is_string() ? field->get<std::string>() : field->dump();
      return json{
          {"outcome", "refused"},   {"message", notABudgetText(budget.option, given, budget.least)},
          {"of", "budget"},         {"field", budget.key},
          {"rule", "not-a-budget"}, {"bound", budget.least},
          {"value", *field}}
          .dump();
    }
    if (budget.feedings) {
      input.budget.maxFeedings = most;
    } else {
      input.budget.maxMeseta = most;
    }
  }
  if (std::string notTaken =
          settleGoal(goalGiven, input.budget, input.form.has_value(), input.goal);
      !notTaken.empty()) {
    return answer("bad-request", notTaken.c_str());
  }
  return {};
}

// Reads the request into `input`, checking the player, the start and the target as the dialogue
// does. Returns the answer to give instead of a plan, or nothing when the plan can be searched.
std::string readPlanInput(const json& request, PlanInput& input) {
  // A null goal is one left out, as a null form or budget is.
  const auto goal = request.find("goal");
  const bool goalGiven = goal != request.end() && !goal->is_null();
  if (goalGiven) {
    const std::optional<Goal> found =
        goal->is_string() ? findGoal(goal->get_ref<const std::string&>()) : std::nullopt;
    if (!found) return answer("bad-request", "unknown goal");
    input.goal = *found;
  }
  if (const auto form = request.find("form"); form != request.end() && !form->is_null()) {
    const MagType type = readName(request, "form", kMagTypeNames, kMagTypeCount);
    if (type < 0) return answer("bad-request", "form must be a form's name, or null for any form");
    input.form = type;
  }
  if (std::string unplannable = readBudget(request, goalGiven, input); !unplannable.empty()) {
    return unplannable;
  }
  const auto player = request.find("player");
  const bool playerObject = player != request.end() && player->is_object();
  const std::int32_t section =
      playerObject ? readName(*player, "sectionId", kSectionIdNames, kSectionIdCount) : -1;
  const std::int32_t charClass =
      playerObject ? readName(*player, "charClass", kCharClassNames, kCharClassCount) : -1;
  if (section < 0 || charClass < 0) {
    return answer("bad-request", "player needs a section ID's name and a class's name");
  }
  input.request.player = {section, charClass};

  MagState& start = input.start;
  if (const auto field = request.find("start"); field != request.end() && !field->is_null()) {
    const json& s = *field;
    start.type = s.is_object() ? readName(s, "form", kMagTypeNames, kMagTypeCount) : -1;
    if (start.type < 0 || !readFour(s, "stats", start.def, start.pow, start.dex, start.mind) ||
        !readFour(s, "bars", start.defBar, start.powBar, start.dexBar, start.mindBar)) {
      return answer("bad-request", "start needs a form's name, the four stats and the four bars");
    }
    if (!agrees(s, "formNumber", start.type + 1) ||
        !agrees(s, "level", levelOf4(start.def, start.pow, start.dex, start.mind))) {
      return answer("bad-request",
                    "start's formNumber and level must agree with its form and stats");
    }
    if (const LimitVerdict verdict = checkStart(start); !verdict.within()) {
      return refusal("start", verdict, startRefusalText(verdict));
    }
    start.level = start.def + start.pow + start.dex + start.mind;
  }

  Target& target = input.request.target;
  if (!readFour(request, "target", target.def, target.pow, target.dex, target.mind)) {
    return answer("bad-request", "target needs the four stats");
  }
  if (!agrees(*request.find("target"), "level",
              levelOf4(target.def, target.pow, target.dex, target.mind))) {
    return answer("bad-request", "target's level must agree with its stats");
  }
  if (const LimitVerdict verdict = checkTarget(start, target); !verdict.within()) {
    return refusal("target", verdict, targetRefusalText(verdict));
  }
  target.level = target.def + target.pow + target.dex + target.mind;
  return {};
}

}  // namespace

std::string answer(const char* outcome, const char* message) {
  return json{{"outcome", outcome}, {"message", message}}.dump();
}

std::string readRequest(std::string_view text, PlanInput& input) {
  const json parsed = json::parse(text, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) {
    return answer("bad-request", "not a JSON object");
  }
  return readPlanInput(parsed, input);
}

}  // namespace ostrel::web

// Reading a request of the web page, field by field, then wording checkRequest's verdict in the
// order the page's answers have always told a request's faults: the goal, the form, the budget,
// what the first plan found cannot take, the player, the start, the target.
#include "web/request_input.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>

#include "model/limits.h"
#include "model/names.h"
#include "model/tables.h"
#include "plan/report/plan_document.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel::web {
namespace {

using json = Document;

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

// A field the documents derive from others (a mag's form number and level, a target's level):
// a request may leave it out, and where it gives it, it must agree.
bool agrees(const json& object, const char* key, std::int64_t expected) {
  if (!object.contains(key)) return true;
  std::int32_t given = 0;
  return readInt(object, key, given) && given == expected;
}

// Whether the request gives `key` a value: a field left out or null is not given.
bool isGiven(const json& request, const char* key) {
  const auto field = request.find(key);
  return field != request.end() && !field->is_null();
}

// What a refusal quotes of a value given: a number, true or false as it is, a string cut short
// (at a character's first byte), an array or an object by its kind alone. Whatever was sent, the
// quote is short and flat, so that writing it cannot recurse through a nesting as deep as the
// text allows.
json quoted(const json& value) {
  constexpr std::size_t kMostQuoted = 40;
  if (value.is_array()) return "[...]";
  if (value.is_object()) return "{...}";
  if (!value.is_string()) return value;
  const auto& text = value.get_ref<const std::string&>();
  if (text.size() <= kMostQuoted) return value;
  std::size_t cut = kMostQuoted;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0U) == 0x80U) --cut;
  return text.substr(0, cut) + "...";
}

// The fields a budget is read from, with their command-line names and least values.
struct BudgetField {
  const char* key;
  const char* option;
  std::int32_t least;
};
constexpr BudgetField kMaxFeedings{"maxFeedings", "--max-feedings", kLeastMaxFeedings};
constexpr BudgetField kMaxMeseta{"maxMeseta", "--max-meseta", kLeastMaxMeseta};

// A budget that is not one: not a whole number of 32 bits, or below its least. `value` is what
// was given, quoted.
std::string notABudget(const BudgetField& budget, const json& value) {
  return json{
      {"outcome", "refused"},
      {"message",
       notABudgetText(budget.option, value.is_string() ? value.get<std::string>() : value.dump(),
                      budget.least)},
      {"of", "budget"},
      {"field", budget.key},
      {"rule", "not-a-budget"},
      {"bound", budget.least},
      {"value", value}}
      .dump();
}

// Reads a budget, left out or null for none; answers when it is not a whole number of 32 bits.
template <typename Number>
std::string readBudget(const json& request, const BudgetField& budget,
                       std::optional<Number>& most) {
  if (!isGiven(request, budget.key)) return {};
  std::int32_t value = 0;
  if (!readInt(request, budget.key, value)) return notABudget(budget, quoted(request[budget.key]));
  most = value;
  return {};
}

// The budget's verdict as the page's answer.
std::string budgetRefusal(const BudgetField& budget, const LimitVerdict& verdict) {
  return verdict.within() ? std::string() : notABudget(budget, json(verdict.value));
}

// A start or a target (`of`) out of the limits: the words the command line uses, and the verdict.
std::string limitRefusal(const char* of, const LimitVerdict& verdict, const std::string& message) {
  if (verdict.within()) return {};
  return json{{"outcome", "refused"},
              {"message", message},
              {"of", of},
              {"field", limitFieldName(verdict.field)},
              {"rule", limitRuleName(verdict.rule)},
              {"bound", verdict.bound},
              {"value", verdict.value}}
      .dump();
}

std::string readGoal(const json& request, Request& read) {
  if (!isGiven(request, "goal")) return {};
  const json& goal = request["goal"];
  read.goal = goal.is_string() ? findGoal(goal.get_ref<const std::string&>()) : std::nullopt;
  return read.goal ? std::string() : answer("bad-request", "unknown goal");
}

std::string readForm(const json& request, Request& read) {
  if (!isGiven(request, "form")) return {};
  const MagType type = readName(request, "form", kMagTypeNames, kMagTypeCount);
  if (type < 0) return answer("bad-request", "form must be a form's name, or null for any form");
  read.form = type;
  return {};
}

std::string readPlayer(const json& request, Player& player) {
  const auto field = request.find("player");
  const bool object = field != request.end() && field->is_object();
  const std::int32_t section =
      object ? readName(*field, "sectionId", kSectionIdNames, kSectionIdCount) : -1;
  const std::int32_t charClass =
      object ? readName(*field, "charClass", kCharClassNames, kCharClassCount) : -1;
  if (section < 0 || charClass < 0) {
    return answer("bad-request", "player needs a section ID's name and a class's name");
  }
  player = {section, charClass};
  return {};
}

// A start left out or null is a new mag.
std::string readStart(const json& request, MagState& start) {
  if (!isGiven(request, "start")) return {};
  const json& s = request["start"];
  start.type = s.is_object() ? readName(s, "form", kMagTypeNames, kMagTypeCount) : -1;
  if (start.type < 0 || !readFour(s, "stats", start.def, start.pow, start.dex, start.mind) ||
      !readFour(s, "bars", start.defBar, start.powBar, start.dexBar, start.mindBar)) {
    return answer("bad-request", "start needs a form's name, the four stats and the four bars");
  }
  start.level = levelOf(start.def, start.pow, start.dex, start.mind);
  if (!agrees(s, "formNumber", start.type + 1) ||
      !agrees(s, "level", std::int64_t{start.def} + start.pow + start.dex + start.mind)) {
    return answer("bad-request", "start's formNumber and level must agree with its form and stats");
  }
  return {};
}

std::string readTarget(const json& request, Target& target) {
  if (!readFour(request, "target", target.def, target.pow, target.dex, target.mind)) {
    return answer("bad-request", "target needs the four stats");
  }
  target.level = levelOf(target.def, target.pow, target.dex, target.mind);
  if (!agrees(request["target"], "level",
              std::int64_t{target.def} + target.pow + target.dex + target.mind)) {
    return answer("bad-request", "target's level must agree with its stats");
  }
  return {};
}

std::string firstAnswer(std::initializer_list<std::string> answers) {
  const auto* first = std::find_if(answers.begin(), answers.end(),
                                   [](const std::string& text) { return !text.empty(); });
  return first == answers.end() ? std::string() : *first;
}

}  // namespace

std::string answer(const char* outcome, const std::string& message) {
  return json{{"outcome", outcome}, {"message", message}}.dump();
}

std::string readRuns(const Document& request, std::vector<FeedRun>& runs) {
  // Built by appending: g++ 12 warns wrongly about a literal plus a temporary string.
  std::string runsNeeded =
      "runs needs the plan's runs, first run first: each an item's name and a count 1..";
  runsNeeded += std::to_string(kMaxRunCount);
  std::string bad = answer("bad-request", runsNeeded);
  const auto field = request.find("runs");
  if (field == request.end() || !field->is_array() || field->empty()) return bad;
  std::int64_t feedings = 0;
  for (const json& given : *field) {
    FeedRun run;
    run.item = given.is_object() ? readName(given, "item", kItemNames, kItemCount) : -1;
    if (run.item < 0 || !readInt(given, "count", run.count) || run.count < 1 ||
        run.count > kMaxRunCount) {
      return bad;
    }
    feedings += run.count;
    runs.push_back(run);
  }
  if (feedings > kMostReplayedFeedings) {
    std::string tooMany = "the runs feed more than ";
    tooMany += std::to_string(kMostReplayedFeedings);
    return answer("bad-request", tooMany + " items");
  }
  return {};
}

std::string readRequest(std::string_view text, const RequestUse& use, Request& request) {
  const json parsed = json::parse(text, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) {
    return answer("bad-request", "not a JSON object");
  }
  return readRequest(parsed, use, request);
}

std::string readRequest(const Document& parsed, const RequestUse& use, Request& request) {
  const std::string goal = readGoal(parsed, request);
  const std::string form = readForm(parsed, request);
  const std::string maxFeedings = readBudget(parsed, kMaxFeedings, request.budget.maxFeedings);
  const std::string maxMeseta = readBudget(parsed, kMaxMeseta, request.budget.maxMeseta);
  const std::string player = readPlayer(parsed, request.player);
  const std::string start = readStart(parsed, request.start);
  const std::string target = readTarget(parsed, request.target);

  const RequestVerdict verdict = checkRequest(request, use);
  const std::string firstGoal =
      firstGoalRefusalText(verdict.firstGoalWith, request.goal.has_value());
  return firstAnswer(
      {goal, form, maxFeedings, budgetRefusal(kMaxFeedings, verdict.maxFeedings), maxMeseta,
       budgetRefusal(kMaxMeseta, verdict.maxMeseta),
       firstGoal.empty() ? firstGoal : answer("bad-request", firstGoal), player, start,
       limitRefusal("start", verdict.start, startRefusalText(verdict.start)), target,
       limitRefusal("target", verdict.target, targetRefusalText(verdict.target)),
       verdict.goalPlanned
           ? std::string()
           : answer("bad-request", "the forms are listed for the cheapest or the fewest goal")});
}

}  // namespace ostrel::web

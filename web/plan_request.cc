// The web page's requests: the names for its selects; one plan run exactly as the console
// program's plan run goes (empty the files, search, write the plan, print the outcome), with the
// console captured line by line and the files read back, so the page shows the console program's
// very bytes; and the listing of the final forms with each form's best plan.
#include "web/plan_request.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

#include "model/form_rules.h"
#include "model/limits.h"
#include "model/names.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"
#include "plan/plan_run.h"
#include "plan/report/plan_document.h"
#include "plan/report/plan_report.h"
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

// The console of one plan: both streams captured, the out stream passed on line by line.
class CapturedConsole {
 public:
  explicit CapturedConsole(const ConsoleLineSink& onLine) : onLine_(onLine) {
    out_ = fopencookie(this, "w", {nullptr, &CapturedConsole::writeOut, nullptr, nullptr});
    err_ = fopencookie(this, "w", {nullptr, &CapturedConsole::writeErr, nullptr, nullptr});
  }
  CapturedConsole(const CapturedConsole&) = delete;
  CapturedConsole& operator=(const CapturedConsole&) = delete;
  ~CapturedConsole() { close(); }

  bool ready() const { return out_ != nullptr && err_ != nullptr; }
  Console console() const { return Console{out_, err_}; }

  // Flushes and closes both streams; a last line without its line end is passed on too.
  void close() {
    if (out_ != nullptr) std::fclose(out_);
    if (err_ != nullptr) std::fclose(err_);
    out_ = err_ = nullptr;
    if (lineStart_ < out.size() && onLine_) onLine_(std::string_view(out).substr(lineStart_));
    lineStart_ = out.size();
  }

  std::string out;
  std::string err;

 private:
  static ssize_t writeOut(void* cookie, const char* data, std::size_t size) {
    auto& self = *static_cast<CapturedConsole*>(cookie);
    self.out.append(data, size);
    for (std::size_t end = self.out.find('\n', self.lineStart_); end != std::string::npos;
         end = self.out.find('\n', self.lineStart_)) {
      if (self.onLine_) {
        self.onLine_(std::string_view(self.out).substr(self.lineStart_, end + 1 - self.lineStart_));
      }
      self.lineStart_ = end + 1;
    }
    return static_cast<ssize_t>(size);
  }
  static ssize_t writeErr(void* cookie, const char* data, std::size_t size) {
    static_cast<CapturedConsole*>(cookie)->err.append(data, size);
    return static_cast<ssize_t>(size);
  }

  const ConsoleLineSink& onLine_;
  std::FILE* out_ = nullptr;
  std::FILE* err_ = nullptr;
  std::size_t lineStart_ = 0;
};

std::string readWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string answer(const char* outcome, const char* message) {
  return json{{"outcome", outcome}, {"message", message}}.dump();
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

// What a request asks for: the player and the target, the start, the goal; and where its plan
// files go.
struct PlanInput {
  PlayerRequest request;
  PlanFiles files;
  MagState start = kBabyMag;
  Goal goal = Goal::kFirst;     // a request without a goal plans the first plan found
  std::optional<MagType> form;  // the final form wanted; none: any
  Budget budget;
};

// Reads "maxFeedings" and "maxMeseta", each left out or null for no budget, refused in the command
// line's words with the field named; a budget or a form without a goal plans as the command
// line's do (impliedGoal). Returns the answer to give instead of a plan, or nothing.
std::string readBudget(const json& request, bool goalGiven, PlanInput& input) {
  struct BudgetField {
    const char* key;
    const char* option;
    std::int32_t least;
  };
  for (const BudgetField& budget : {BudgetField{"maxFeedings", "--max-feedings", kLeastMaxFeedings},
                                    BudgetField{"maxMeseta", "--max-meseta", kLeastMaxMeseta}}) {
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
    if (budget.least == kLeastMaxFeedings) {
      input.budget.maxFeedings = most;
    } else {
      input.budget.maxMeseta = most;
    }
  }
  if (!goalGiven) {
    input.goal = impliedGoal(input.budget, input.form.has_value());
  } else if (input.goal == Goal::kFirst) {
    if (std::string notTaken = notForTheFirstGoal(input.budget, input.form.has_value());
        !notTaken.empty()) {
      return answer("bad-request", notTaken.c_str());
    }
  }
  return {};
}

// A budget no plan found meets, as a refusal: the budget the nearest plan breaks first.
std::string overBudgetAnswer(const Budget& budget, const std::vector<Plan>& nearest) {
  const Plan& plan = nearest.front();
  const bool feedings = budget.maxFeedings && plan.feedCount() > *budget.maxFeedings;
  return json{
      {"outcome", "refused"},
      {"message", overBudgetText(budget, nearest)},
      {"of", "budget"},
      {"field", feedings ? "maxFeedings" : "maxMeseta"},
      {"rule", "not-met"},
      {"bound", feedings ? std::int64_t{*budget.maxFeedings} : *budget.maxMeseta},
      {"value", feedings ? std::int64_t{plan.feedCount()} : static_cast<std::int64_t>(plan.cost)}}
      .dump();
}

// Reads the request into `input`, checking the player, the start and the target as the dialogue
// does. Returns the answer to give instead of a plan, or nothing when the plan can be searched.
std::string readPlanInput(const json& request, PlanInput& input) {
  if (const auto goal = request.find("goal"); goal != request.end()) {
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
  if (std::string unplannable = readBudget(request, request.contains("goal"), input);
      !unplannable.empty()) {
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

// The goal searches' progress handed on as the page reads it; the best plan so far is packed by
// the measure the searches rank plans with, which for the first goal is the shortest plan's.
class ProgressBridge {
 public:
  ProgressBridge(Goal goal, const ProgressSink& sink)
      : measure_(goal == Goal::kFirst ? Goal::kFewest : goal), sink_(sink) {
    progress_.onUpdate = &ProgressBridge::onUpdate;
    progress_.context = this;
  }
  ProgressBridge(const ProgressBridge&) = delete;
  ProgressBridge& operator=(const ProgressBridge&) = delete;

  // The progress record for the search's options, or null when nobody is listening.
  GoalProgress* progress() { return sink_ ? &progress_ : nullptr; }

 private:
  static void onUpdate(const GoalProgress& progress, void* context) {
    const auto& self = *static_cast<const ProgressBridge*>(context);
    SearchProgress shown;
    shown.feedingsTried = progress.feedingsTried.load();
    if (const std::uint64_t best = progress.best.load(); best != GoalProgress::kNoPlan) {
      shown.bestFeedings = scoreFeedings(self.measure_, best);
      shown.bestMeseta = scoreCost(self.measure_, best);
    }
    self.sink_(shown);
  }

  Goal measure_;
  const ProgressSink& sink_;
  GoalProgress progress_;
};

// The threads the page's goal searches run on: the worker's own, and a second one where the
// planner is built with threads (which loads only in a cross-origin isolated page). Natively the
// page's requests plan on one thread, so that the tests meet both: the console program uses two.
#ifdef __EMSCRIPTEN_PTHREADS__
constexpr std::int32_t kSearchThreads = 2;
#else
constexpr std::int32_t kSearchThreads = 1;
#endif

// The options of a goal search as the page runs it.
GoalOptions goalOptions(const PlanInput& input) {
  GoalOptions options;
  options.goal = input.goal;
  options.form = input.form;
  options.threads = kSearchThreads;
  options.budget = input.budget;
  return options;
}

// The console program's plan run (empty the files, search, write the plan, tell the outcome) on
// counters that start afresh for every request, answered with everything it printed and wrote.
std::string planAndAnswer(PlanInput& input, const ConsoleLineSink& onLine,
                          const ProgressSink& onProgress) {
  CapturedConsole captured(onLine);
  if (!captured.ready()) return answer("bad-request", "no console could be opened");
  const Console console = captured.console();

  emptyPlanFiles(input.files, console);
  Plan plan;
  ProgressBridge bridge(input.goal, onProgress);
  GoalOptions options = goalOptions(input);
  options.progress = bridge.progress();
  GoalResult details;
  SearchCounters counters;
  const PlanOutcome outcome =
      runPlan(input.request, counters, input.files, input.start, console, options, &plan, &details);
  captured.close();
  if (outcome == PlanOutcome::kOverBudget) return overBudgetAnswer(input.budget, details.nearest);

  json result = {
      {"document", planDocument(input.request, input.start, outcome, plan, &options, &details)},
      {"console", captured.out},
      {"errors", captured.err},
      {"files",
       {{kDetailFileName, readWholeFile(input.files.paths.detail)},
        {kGroupedFileName, readWholeFile(input.files.paths.grouped)}}},
      {"threads", options.threads}};
  return result.dump();
}

// Reads a request, or answers why it cannot be planned.
std::string readRequest(std::string_view text, PlanInput& input) {
  const json parsed = json::parse(text, nullptr, false);
  if (parsed.is_discarded() || !parsed.is_object()) {
    return answer("bad-request", "not a JSON object");
  }
  return readPlanInput(parsed, input);
}

}  // namespace

std::string catalogJson() {
  json goals = json::array();
  for (std::size_t goal = 0; goal < kGoalNames.size(); ++goal) {
    goals.push_back({{"id", kGoalNames[goal]}, {"label", kGoalLabels[goal]}});
  }
  const std::vector<std::string> sections(std::begin(kSectionIdNames), std::end(kSectionIdNames));
  const std::vector<std::string> classes(std::begin(kCharClassNames), std::end(kCharClassNames));
  return json{
      {"sectionIds", sections},
      {"charClasses", classes},
      {"forms", kMagTypeNames},
      {"items", kItemNames},
      {"goals", std::move(goals)},
      {"limits",
       {{"minDef", kMinDef},
        {"maxBar", kMaxBar},
        {"maxLevel", kMaxLevel},
        {"babyMag", magDocument(kBabyMag)},
        {"leastMaxFeedings", kLeastMaxFeedings},
        {"leastMaxMeseta", kLeastMaxMeseta}}},
      {"messages", {{"fullyRaised", kFullyRaisedMessage}, {"notPossible", kNotPossibleMessage}}}}
      .dump();
}

std::string planJson(std::string_view request, const std::string& scratchDir,
                     const ConsoleLineSink& onLine, const ProgressSink& onProgress) {
  PlanInput input;
  if (std::string refusal = readRequest(request, input); !refusal.empty()) return refusal;
  input.files.paths = {scratchDir + "/" + kDetailFileName, scratchDir + "/" + kGroupedFileName,
                       true};
  return planAndAnswer(input, onLine, onProgress);
}

std::string formsJson(std::string_view request, const ProgressSink& onProgress) {
  PlanInput input;
  if (std::string refusal = readRequest(request, input); !refusal.empty()) return refusal;
  if (input.goal == Goal::kFirst) {
    return answer("bad-request", "the forms are listed for the cheapest or the fewest goal");
  }
  input.form.reset();
  ProgressBridge bridge(input.goal, onProgress);
  GoalOptions options = goalOptions(input);
  options.everyForm = true;
  options.progress = bridge.progress();
  const GoalResult result = planForGoal(input.request, input.start, options);
  return json{{"document", formsDocument(input.request, input.start, options, result)},
              {"threads", options.threads}}
      .dump();
}

std::string tradeoffsJson(std::string_view request, const ProgressSink& onProgress) {
  PlanInput input;
  if (std::string refusal = readRequest(request, input); !refusal.empty()) return refusal;
  input.goal = Goal::kCheapest;  // whose search shows its progress
  ProgressBridge bridge(input.goal, onProgress);
  GoalOptions options = goalOptions(input);
  options.budget = Budget{};
  options.progress = bridge.progress();
  const Tradeoffs found = findTradeoffs(input.request, input.start, options);
  return json{{"document", tradeoffsDocument(input.request, input.start, options,
                                             spreadPoints(found.front, kPointsListed))},
              {"threads", options.threads}}
      .dump();
}

}  // namespace ostrel::web

// The web page's requests, read by request_input.h: the names for its selects; one plan run
// exactly as the console program's plan run goes (empty the files, search, write the plan, print
// the outcome), with the console captured line by line and the files read back, so the page shows
// the console program's very bytes; the listing of the final forms with each form's best plan;
// and the trade-off.
#include "web/plan_request.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <utility>
#include <vector>

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
#include "web/request_input.h"

namespace ostrel::web {
namespace {

using json = Document;

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

// A budget no plan found meets, as a refusal: the budget the nearest plan breaks first.
std::string overBudgetAnswer(const Budget& budget, const std::vector<Plan>& nearest,
                             std::optional<MagType> form) {
  const Plan& plan = nearest.front();
  const bool feedings = budget.maxFeedings && plan.feedCount() > *budget.maxFeedings;
  return json{
      {"outcome", "refused"},
      {"message", overBudgetText(budget, nearest, form)},
      {"of", "budget"},
      {"field", feedings ? "maxFeedings" : "maxMeseta"},
      {"rule", "not-met"},
      {"bound", feedings ? std::int64_t{*budget.maxFeedings} : *budget.maxMeseta},
      {"value", feedings ? std::int64_t{plan.feedCount()} : static_cast<std::int64_t>(plan.cost)}}
      .dump();
}

// The goal searches' progress handed on as the page reads it.
class ProgressBridge {
 public:
  ProgressBridge(Goal /*goal*/, const ProgressSink& sink) : sink_(sink) {
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
    if (const std::optional<PlanMeasure> best = progress.bestSoFar()) {
      shown.bestFeedings = best->feedings;
      shown.bestMeseta = best->meseta;
    }
    self.sink_(shown);
  }

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
  if (outcome == PlanOutcome::kOverBudget) {
    return overBudgetAnswer(input.budget, details.nearest, options.form);
  }

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

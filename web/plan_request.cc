// The web page's requests, read by request_input.h: the names for its selects; one plan run as
// the dialogue's goes (search, then tell the plan), answered with the dialogue's console and the
// two plan files as the plan's report writes them, so the page shows the console program's very
// bytes; the listing of the final forms with each form's best plan; and the trade-off.
#include "web/plan_request.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <nlohmann/json.hpp>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

#include "model/limits.h"
#include "model/names.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/bound/lower_bound.h"
#include "plan/fed_plan.h"
#include "plan/goal/goal.h"
#include "plan/plan.h"
#include "plan/plan_run.h"
#include "plan/report/plan_document.h"
#include "plan/report/plan_report.h"
#include "plan/request.h"
#include "plan/tradeoff/tradeoffs.h"
#include "web/request_input.h"

namespace ostrel::web {
namespace {

using json = Document;

// The console the first-found search writes its progress and give-up lines to: each whole line is
// passed on as it is written, so that the page shows them while the search runs, and kept for the
// answer. The goal searches write nothing there; the plan is told from its report (add).
class SearchConsole {
 public:
  explicit SearchConsole(const ConsoleLineSink& onLine) : onLine_(onLine) {
    out_ = fopencookie(this, "w", {nullptr, &SearchConsole::writeOut, nullptr, nullptr});
    err_ = fopencookie(this, "w", {nullptr, &SearchConsole::writeErr, nullptr, nullptr});
  }
  SearchConsole(const SearchConsole&) = delete;
  SearchConsole& operator=(const SearchConsole&) = delete;
  ~SearchConsole() { close(); }

  bool ready() const { return out_ != nullptr && err_ != nullptr; }
  Console console() const { return Console{out_, err_}; }

  // Flushes and closes both streams; a last line without its line end is passed on too.
  void close() {
    if (out_ != nullptr) std::fclose(out_);
    if (err_ != nullptr) std::fclose(err_);
    out_ = err_ = nullptr;
    passLines(true);
  }

  // Adds the lines told after the search, and passes them on.
  void add(const std::string& text) {
    out += text;
    passLines(true);
  }

  std::string out;
  std::string err;

 private:
  // Passes on every whole line not passed on yet, and with `all` a last one without its end.
  void passLines(bool all) {
    for (std::size_t end = out.find('\n', lineStart_); end != std::string::npos;
         end = out.find('\n', lineStart_)) {
      if (onLine_) onLine_(std::string_view(out).substr(lineStart_, end + 1 - lineStart_));
      lineStart_ = end + 1;
    }
    if (!all) return;
    if (lineStart_ < out.size() && onLine_) onLine_(std::string_view(out).substr(lineStart_));
    lineStart_ = out.size();
  }
  static ssize_t writeOut(void* cookie, const char* data, std::size_t size) {
    auto& self = *static_cast<SearchConsole*>(cookie);
    self.out.append(data, size);
    self.passLines(false);
    return static_cast<ssize_t>(size);
  }
  static ssize_t writeErr(void* cookie, const char* data, std::size_t size) {
    static_cast<SearchConsole*>(cookie)->err.append(data, size);
    return static_cast<ssize_t>(size);
  }

  const ConsoleLineSink& onLine_;
  std::FILE* out_ = nullptr;
  std::FILE* err_ = nullptr;
  std::size_t lineStart_ = 0;
};

// A budget no plan found meets, as a refusal: the budget the nearest plan breaks first, and the
// nearest plans as the trade-off writes its points, for the page to offer them.
std::string overBudgetAnswer(const Player& player, const Budget& budget,
                             const std::vector<Plan>& nearest, std::optional<MagType> form) {
  const Plan& plan = nearest.front();
  const bool feedings = budget.maxFeedings && plan.feedCount() > *budget.maxFeedings;
  json points = json::array();
  std::transform(nearest.begin(), nearest.end(), std::back_inserter(points),
                 [&](const Plan& near) { return pointDocument(player, near); });
  return json{
      {"outcome", "refused"},
      {"message", overBudgetText(budget, nearest, form)},
      {"of", "budget"},
      {"field", feedings ? "maxFeedings" : "maxMeseta"},
      {"rule", "not-met"},
      {"bound", feedings ? std::int64_t{*budget.maxFeedings} : *budget.maxMeseta},
      {"value", feedings ? std::int64_t{plan.feedCount()} : static_cast<std::int64_t>(plan.cost)},
      {"nearest", std::move(points)}}
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

// The goal searches' options for a request, as the page runs them.
GoalOptions pageOptions(const Request& request, const RequestUse& use,
                        const PageSearch& search = {}) {
  GoalOptions options = goalOptions(request, use);
  options.threads = kSearchThreads;
  if (search.beamWidth) options.beamWidth = *search.beamWidth;
  if (search.firstSearchInterval) {
    options.firstSearch.progressInterval = *search.firstSearchInterval;
  }
  return options;
}

// The answer to a plan request once its plan is found or not: the plan told on `lines` after the
// search's own lines, as the dialogue tells it, and the plan files its report fills.
std::string answerPlan(const Request& request, const GoalOptions& options, PlanOutcome outcome,
                       const Plan& plan, const GoalResult& details, SearchConsole& lines) {
  lines.close();
  if (outcome == PlanOutcome::kOverBudget) {
    return overBudgetAnswer(request.player, options.budget, details.nearest, options.form);
  }
  std::optional<PlanReport> report;
  if (outcome == PlanOutcome::kFound) report = reportOf(request.player, plan);
  // The page's plan files are the report's texts, which nothing keeps from being written whole.
  lines.add(toldText(report ? &*report : nullptr, true));
  const json result = {
      {"document", planDocument(request, outcome, report ? &*report : nullptr, options, &details)},
      {"console", lines.out},
      {"errors", lines.err},
      {"files",
       {{kDetailFileName, report ? detailFileText(*report) : ""},
        {kGroupedFileName, report ? groupedFileText(*report) : ""}}},
      {"threads", options.threads}};
  return result.dump();
}

// The dialogue's plan run (search, then tell the plan) on counters that start afresh for every
// request, answered with its console and the plan files its report fills.
std::string planAndAnswer(const Request& request, const ConsoleLineSink& onLine,
                          const ProgressSink& onProgress, const PageSearch& search) {
  SearchConsole lines(onLine);
  if (!lines.ready()) return answer("bad-request", "no console could be opened");
  GoalOptions options = pageOptions(request, kPagePlanUse, search);
  ProgressBridge bridge(options.goal, onProgress);
  options.progress = bridge.progress();
  Plan plan;
  GoalResult details;
  SearchCounters counters;
  const PlanOutcome outcome =
      findPlan(request.asked(), counters, request.start, lines.console(), options, plan, &details);
  return answerPlan(request, options, outcome, plan, details, lines);
}

}  // namespace

std::string catalogJson() {
  json goals = json::array();
  for (std::size_t goal = 0; goal < kGoalNames.size(); ++goal) {
    goals.push_back({{"id", kGoalNames[goal]}, {"label", kGoalLabels[goal]}});
  }
  // The goal the plan entry settles for each combination of what a request gives (keyed by the
  // budgets and the form given, in that order, joined by a space), so that the page shows and
  // links the goal it will get without a rule of its own.
  json implied = json::object();
  for (int given = 0; given < 8; ++given) {
    Request request;
    std::string key;
    const auto give = [&key](const char* part) {
      if (!key.empty()) key += ' ';
      key += part;
    };
    if ((given & 1) != 0) {
      request.budget.maxFeedings = kLeastMaxFeedings;
      give("maxFeedings");
    }
    if ((given & 2) != 0) {
      request.budget.maxMeseta = kLeastMaxMeseta;
      give("maxMeseta");
    }
    if ((given & 4) != 0) {
      request.form = MagType{0};
      give("form");
    }
    implied[key] = kGoalNames[static_cast<std::size_t>(settledGoal(request, kPagePlanUse))];
  }
  const std::vector<std::string> sections(std::begin(kSectionIdNames), std::end(kSectionIdNames));
  const std::vector<std::string> classes(std::begin(kCharClassNames), std::end(kCharClassNames));
  return json{
      {"sectionIds", sections},
      {"charClasses", classes},
      {"forms", kMagTypeNames},
      {"items", kItemNames},
      {"goals", std::move(goals)},
      {"impliedGoal", std::move(implied)},
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

std::string planJson(std::string_view request, const ConsoleLineSink& onLine,
                     const ProgressSink& onProgress, const PageSearch& search) {
  Request read;
  if (std::string refusal = readRequest(request, kPagePlanUse, read); !refusal.empty()) {
    return refusal;
  }
  return planAndAnswer(read, onLine, onProgress, search);
}

std::string formsJson(std::string_view request, const ProgressSink& onProgress,
                      const PageSearch& search) {
  Request read;
  if (std::string refusal = readRequest(request, kPageFormsUse, read); !refusal.empty()) {
    return refusal;
  }
  GoalOptions options = pageOptions(read, kPageFormsUse, search);
  ProgressBridge bridge(options.goal, onProgress);
  options.progress = bridge.progress();
  const GoalResult result = planForGoal(read.asked(), read.start, options);
  return json{{"document", formsDocument(read, options, result)}, {"threads", options.threads}}
      .dump();
}

std::string replayJson(std::string_view request, const ConsoleLineSink& onLine) {
  json asked = json::parse(request, nullptr, false);
  if (asked.is_discarded() || !asked.is_object()) return answer("bad-request", "not a JSON object");
  std::vector<FeedRun> runs;
  if (std::string refusal = readRuns(asked, runs); !refusal.empty()) return refusal;
  // The request of the budget whose plan the runs are, checked as planJson checks it: the fields
  // of the player, the start, the target and the form moved into an object made with room for
  // every field it gets, since an object that grows copies the fields it holds, recursing through
  // however deep one nests.
  const std::int64_t feedings =
      std::accumulate(runs.begin(), runs.end(), std::int64_t{0},
                      [](std::int64_t sum, const FeedRun& run) { return sum + run.count; });
  json budgetRequest = json::object();
  auto& fields = budgetRequest.get_ref<json::object_t&>();
  fields.reserve(7);
  for (const char* key : {"player", "start", "target", "form"}) {
    if (const auto field = asked.find(key); field != asked.end()) {
      fields.emplace_back(key, std::move(*field));
    }
  }
  fields.emplace_back("goal", kGoalNames[static_cast<std::size_t>(Goal::kCheapest)]);
  fields.emplace_back("maxFeedings", feedings);
  fields.emplace_back("maxMeseta", nullptr);
  Request read;
  if (std::string refusal = readRequest(budgetRequest, kPagePlanUse, read); !refusal.empty()) {
    return refusal;
  }
  const Plan plan = fedPlan(read.player, read.start, runs);
  if (!reachesTarget(plan, read.target)) {
    return answer("bad-request",
                  "the runs do not reach the target: a plan reaches it at its last "
                  "feeding, with no stat above it on the way");
  }
  if (!endsAsAsked(plan, read.form)) {
    std::string otherForm = "the runs end as ";
    otherForm += kMagTypeNames[plan.reached.type];
    return answer("bad-request", otherForm + ", not as " + kMagTypeNames[*read.form]);
  }
  SearchConsole lines(onLine);
  if (!lines.ready()) return answer("bad-request", "no console could be opened");
  // The plan's bound as the budget's search would prove it beside its plan.
  GoalResult proven;
  proven.bound = planBound(read.asked(), read.start, read.form);
  return answerPlan(read, pageOptions(read, kPagePlanUse), PlanOutcome::kFound, plan, proven,
                    lines);
}

std::string tradeoffsJson(std::string_view request, const ProgressSink& onProgress,
                          const PageSearch& search) {
  Request read;
  if (std::string refusal = readRequest(request, kPageTradeoffsUse, read); !refusal.empty()) {
    return refusal;
  }
  GoalOptions options = pageOptions(read, kPageTradeoffsUse, search);
  // The search of the options' goal (the cheapest plan's) shows its progress.
  ProgressBridge bridge(options.goal, onProgress);
  options.progress = bridge.progress();
  const Tradeoffs found = findTradeoffs(read.asked(), read.start, options);
  return json{{"document", tradeoffsDocument(read, options, found,
                                             noTradeoffText(options, read.target, found))},
              {"threads", options.threads}}
      .dump();
}

}  // namespace ostrel::web

// `ostrel plan`: reads the request, refuses what the dialogue refuses before touching any file,
// plans, and writes the plan's report into the same files as the dialogue, and its lines (without
// the dialogue's own above them; with its shopping list below them, but for the first plan found)
// or its document on standard output.
#include "app/plan_command.h"

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "app/command_exit.h"
#include "app/output_format.h"
#include "app/plan_files_lock.h"
#include "app/progress_line.h"
#include "plan/first_found/search.h"
#include "plan/report/bound_distance.h"
#include "plan/report/plan_document.h"
#include "plan/report/plan_report.h"

namespace ostrel {
namespace {

// Checks --dir and --no-files and sets where the plan files go.
std::string readPlanFiles(const CommandText& text, PlanFilePaths& paths) {
  paths = PlanFilePaths{};
  paths.write = !text.noFiles;
  if (text.dir.empty()) return {};
  std::error_code error;
  if (!std::filesystem::is_directory(text.dir, error)) {
    return "--dir '" + text.dir + "': not a directory; allowed: an existing directory";
  }
  const std::filesystem::path dir = text.dir;
  paths.detail = (dir / kDetailFileName).string();
  paths.grouped = (dir / kGroupedFileName).string();
  return {};
}

// Empties the plan files and writes the plan found into them, as the dialogue does, with the
// files locked against another plan written to them at once.
void rewritePlanFiles(PlanFiles& files, const PlanReport* report, const Console& console) {
  const PlanFilesLock lock(files.paths, console);
  emptyPlanFiles(files, console);
  if (report != nullptr) writePlanFiles(*report, files, console);
}

void explainNoPlan(const Target& target, const SearchCounters& counters, const GoalOptions& goal,
                   PlanOutcome outcome, const GoalResult& details, const Console& console) {
  if (const std::string why = noPlanText(goal, target, outcome, details); !why.empty()) {
    std::fprintf(console.err, "ostrel plan: %s\n", why.c_str());
    return;
  }
  std::fprintf(console.err,
               "ostrel plan: no plan: the search gave up after %.0lf feedings tried without "
               "reaching %d/%d/%d/%d\n",
               counters.nodeCount, target.def, target.pow, target.dex, target.mind);
  // The goal searches see further than the first-found one: a player who asked for it is told.
  std::fprintf(console.err, "ostrel plan: %s\n",
               firstGaveUpHint("--goal cheapest (or no --goal)").c_str());
}

}  // namespace

int runPlanCommand(const CommandText& text, const Console& console) {
  Request request;
  PlanFiles files;
  OutputFormat format = OutputFormat::kText;
  const RequestRefusals refused = readRequestOptions(text.request, kPlanCommandUse, request);
  if (std::string refusal = requestRefusal(
          refused,
          firstRefusal({readFormat(text.format, format), readPlanFiles(text, files.paths)}));
      !refusal.empty()) {
    return refuseUsage("ostrel plan", refusal, console);
  }

  // The progress and give-up lines are for a person waiting: standard error, beside the reason.
  const GoalOptions goal = goalOptions(request, kPlanCommandUse);
  Plan plan;
  GoalResult details;
  PlanOutcome outcome = PlanOutcome::kImpossible;
  SearchCounters counters;
  runShowingProgress(goal, console.err, [&](const GoalOptions& search) {
    outcome = findPlan(request.asked(), counters, request.start, Console{console.err, console.err},
                       search, plan, &details);
  });
  std::optional<PlanReport> report;
  if (outcome == PlanOutcome::kFound) report = reportOf(request.player, plan);
  // Plans found, just none within the budget, leave the plan files of an earlier plan.
  if (outcome != PlanOutcome::kOverBudget) {
    rewritePlanFiles(files, report ? &*report : nullptr, console);
  }
  if (format == OutputFormat::kJson) {
    // The document names its goal: the default is no longer the first plan found, whose
    // document stays as it always was under --goal first.
    std::fputs(printed(planDocument(request, outcome, report ? &*report : nullptr, goal, &details))
                   .c_str(),
               console.out);
  } else if (report) {
    std::fputs(consoleText(*report).c_str(), console.out);
    if (const auto distance = boundDistance(goal, plan, details)) {
      std::fprintf(console.out, "%s\n", boundDistanceText(*distance).c_str());
    }
    // The first plan found is told as the dialogue tells it, byte for byte (it has no bound).
    if (goal.goal != Goal::kFirst) std::fputs(shoppingText(*report).c_str(), console.out);
  }
  if (outcome != PlanOutcome::kFound) {
    explainNoPlan(request.target, counters, goal, outcome, details, console);
  }

  if (!outputWritten("ostrel plan", console)) return 1;
  return outcome == PlanOutcome::kFound && planFilesComplete(files) ? 0 : 1;
}

}  // namespace ostrel

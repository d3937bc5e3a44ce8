// `ostrel plan`: reads the request, refuses what the dialogue refuses before touching any file,
// plans, and writes the plan through the same reports as the dialogue.
#include "app/plan_command.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>

#include "app/command_exit.h"
#include "app/output_format.h"
#include "app/plan_files_lock.h"
#include "app/progress_line.h"
#include "plan/first_found/search.h"
#include "plan/report/plan_document.h"
#include "plan/report/plan_report.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel {
namespace {

constexpr std::string_view kReadBottomUp = "READ STEPS FROM BOTTOM UP\n";

// Checks --dir and --no-files and sets where the plan files go.
std::string readPlanFiles(const PlanCommandOptions& options, PlanFilePaths& paths) {
  paths = PlanFilePaths{};
  paths.write = !options.noFiles;
  if (options.dir.empty()) return {};
  std::error_code error;
  if (!std::filesystem::is_directory(options.dir, error)) {
    return "--dir '" + options.dir + "': not a directory; allowed: an existing directory";
  }
  const std::filesystem::path dir = options.dir;
  paths.detail = (dir / kDetailFileName).string();
  paths.grouped = (dir / kGroupedFileName).string();
  return {};
}

// Empties the plan files and writes a found plan through the report, exactly as the dialogue
// does, with the files locked against another plan written to them at once; returns the console
// lines the report wrote, less the dialogue's "read bottom up" line.
std::optional<std::string> writePlan(const Player& player, PlanFiles& files, PlanOutcome outcome,
                                     const Plan& plan, const Console& console) {
  char* buffer = nullptr;
  std::size_t size = 0;
  std::FILE* lines = open_memstream(&buffer, &size);
  if (lines == nullptr) return std::nullopt;
  const Console reports{lines, console.err};
  {
    const PlanFilesLock lock(files.paths, console);
    emptyPlanFiles(files, reports);
    if (outcome == PlanOutcome::kFound) reportPlan(player, plan, files, reports);
  }
  std::fclose(lines);
  std::string text(buffer, size);
  std::free(buffer);  // NOLINT(cppcoreguidelines-no-malloc): open_memstream's buffer
  if (text.starts_with(kReadBottomUp)) text.erase(0, kReadBottomUp.size());
  return text;
}

void explainNoPlan(const Target& target, const SearchCounters& counters, const GoalOptions& goal,
                   PlanOutcome outcome, const GoalResult& details, const Console& console) {
  if (const std::string why = noPlanText(goal, target, outcome, details); !why.empty()) {
    std::fprintf(console.err, "ostrel plan: %s\n", why.c_str());
  } else {
    std::fprintf(console.err,
                 "ostrel plan: no plan: the search gave up after %.0lf feedings tried without "
                 "reaching %d/%d/%d/%d\n",
                 counters.nodeCount, target.def, target.pow, target.dex, target.mind);
  }
}

}  // namespace

int runPlanCommand(const PlanCommandOptions& options, const Console& console) {
  PlayerRequest request;
  PlanFiles files;
  MagState start;
  OutputFormat format = OutputFormat::kText;
  GoalOptions goal;
  // Read in this order: the target is checked against the start.
  if (std::string refusal =
          firstRefusal({readPlayer(options.mag, request.player), readStart(options.mag, start),
                        readFormat(options.format, format), readPlanFiles(options, files.paths),
                        requireOption("--target", options.target, "DEF/POW/DEX/MIND"),
                        readTarget(options.target, start, request.target),
                        readGoalOptions(options.goal, GoalUse::kOnePlan, goal)});
      !refusal.empty()) {
    return refuseUsage("ostrel plan", refusal, console);
  }

  // The progress and give-up lines are for a person waiting: standard error, beside the reason.
  Plan plan;
  GoalResult details;
  PlanOutcome outcome = PlanOutcome::kImpossible;
  SearchCounters counters;
  runShowingProgress(goal, console.err, [&](const GoalOptions& search) {
    outcome = findPlan(request, counters, start, Console{console.err, console.err}, search, plan,
                       &details);
  });
  if (outcome == PlanOutcome::kOverBudget) {
    // Plans were found, just none within the budget: the plan files of an earlier plan stay.
    std::fprintf(console.err, "ostrel plan: %s\n",
                 overBudgetText(goal.budget, details.nearest, goal.form).c_str());
    return 1;
  }
  const std::optional<std::string> lines = writePlan(request.player, files, outcome, plan, console);
  if (!lines) {
    std::fprintf(console.err, "ostrel plan: out of memory\n");
    return 1;
  }
  if (format == OutputFormat::kJson) {
    // The goal and form are in the document only when asked for, so that the first-found plan's
    // document stays as it always was.
    const GoalOptions* asked = options.goal.given() ? &goal : nullptr;
    std::fputs(printed(planDocument(request, start, outcome, plan, asked, &details)).c_str(),
               console.out);
  } else {
    std::fputs(lines->c_str(), console.out);
  }
  if (outcome != PlanOutcome::kFound) {
    explainNoPlan(request.target, counters, goal, outcome, details, console);
  }

  if (!outputWritten("ostrel plan", console)) return 1;
  return outcome == PlanOutcome::kFound && planFilesComplete(files) ? 0 : 1;
}

}  // namespace ostrel

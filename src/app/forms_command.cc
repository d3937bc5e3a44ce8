// `ostrel forms`: one goal search that keeps the best plan of every final form, listed as text
// or as one JSON document. It writes no plan file.
#include "app/forms_command.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>
#include <vector>

#include "app/command_exit.h"
#include "app/output_format.h"
#include "app/progress_line.h"
#include "model/tables.h"
#include "plan/plan_run.h"
#include "plan/report/bound_distance.h"
#include "plan/report/plan_document.h"

namespace ostrel {
namespace {

void printText(const Request& request, const GoalOptions& goal, const GoalResult& result,
               std::FILE* out) {
  const Target& target = request.target;
  const MagState& start = request.start;
  std::fprintf(out, "For a %s %s:\n", kSectionIdNames[request.player.sectionId],
               kCharClassNames[request.player.charClass]);
  std::fprintf(out, "Start: %s(%d) %d/%d/%d/%d  Bars: %d/%d/%d/%d\n", kMagTypeNames[start.type],
               start.level, start.def, start.pow, start.dex, start.mind, start.defBar, start.powBar,
               start.dexBar, start.mindBar);
  std::fprintf(out, "Target: %d/%d/%d/%d\n", target.def, target.pow, target.dex, target.mind);

  // The forms reached, the goal's best plan first.
  std::vector<MagType> reached;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (result.forms[type].best) reached.push_back(type);
  }
  std::stable_sort(reached.begin(), reached.end(), [&](MagType a, MagType b) {
    return better(goal.goal, *result.forms[a].best, *result.forms[b].best);
  });
  std::fprintf(out, "Final forms reached, the %s plan found for each (beam width %d):\n",
               goal.goal == Goal::kFewest ? "shortest" : "cheapest", goal.beamWidth);
  if (reached.empty()) std::fputs("  none\n", out);
  for (const MagType type : reached) {
    const Plan& plan = *result.forms[type].best;
    std::fprintf(out, "  %-9s %5d feedings  %7.0lf meseta  %6.2lf hours", kMagTypeNames[type],
                 plan.feedCount(), plan.cost, plan.feedCount() / 60.0);
    const auto distance = boundDistance(goal.goal, plan, result.forms[type].bound, type);
    std::fprintf(out, "%s\n", distance ? ("  " + boundDistanceText(*distance)).c_str() : "");
  }

  std::string notFound;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const FormResult& form = result.forms[type];
    if (!form.best && form.exclusion.kind == ExclusionKind::kNone) {
      notFound += (notFound.empty() ? "" : ", ") + std::string(kMagTypeNames[type]);
    }
  }
  std::fprintf(out, "Not found (the rules allow them, but no plan found ends as them): %s\n",
               notFound.empty() ? "none" : notFound.c_str());

  // Forms excluded for the same reason share a line: most are other players' forms.
  std::vector<std::pair<std::string, std::string>> reasons;  // reason, forms
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    const FormExclusion& exclusion = result.forms[type].exclusion;
    if (exclusion.kind == ExclusionKind::kNone) continue;
    const std::string reason = exclusionText(exclusion);
    auto same = std::find_if(reasons.begin(), reasons.end(),
                             [&](const auto& shown) { return shown.first == reason; });
    if (same == reasons.end()) {
      reasons.emplace_back(reason, kMagTypeNames[type]);
    } else {
      same->second += std::string(", ") + kMagTypeNames[type];
    }
  }
  std::fputs("Excluded by the rules:\n", out);
  if (reasons.empty()) std::fputs("  none\n", out);
  for (const auto& [reason, forms] : reasons) {
    std::fprintf(out, "  %s: %s\n", forms.c_str(), reason.c_str());
  }
}

}  // namespace

int runFormsCommand(const CommandText& text, const Console& console) {
  Request request;
  OutputFormat format = OutputFormat::kText;
  const RequestRefusals refused = readRequestOptions(text.request, kFormsCommandUse, request);
  if (std::string refusal = requestRefusal(refused, readFormat(text.format, format));
      !refusal.empty()) {
    return refuseUsage("ostrel forms", refusal, console);
  }

  // The searches' own lines, if any, are for a person waiting: standard error.
  const GoalOptions goal = goalOptions(request, kFormsCommandUse);
  GoalResult result;
  runShowingProgress(goal, console.err, [&](const GoalOptions& search) {
    Plan plan;
    SearchCounters counters;
    findPlan(request.asked(), counters, request.start, Console{console.err, console.err}, search,
             plan, &result);
  });
  if (format == OutputFormat::kJson) {
    std::fputs(printed(formsDocument(request, goal, result)).c_str(), console.out);
  } else {
    printText(request, goal, result, console.out);
  }
  const std::string none = noFormText(request.target, result);
  if (!none.empty()) std::fprintf(console.err, "ostrel forms: %s\n", none.c_str());
  if (!outputWritten("ostrel forms", console)) return 1;
  return none.empty() ? 0 : 1;
}

}  // namespace ostrel

// `ostrel tradeoffs`: the fewest and the cheapest searches, and every point of the front between
// their plans, as text or as one JSON document. It writes no plan file.
#include "app/tradeoffs_command.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <vector>

#include "app/command_exit.h"
#include "app/output_format.h"
#include "app/progress_line.h"
#include "model/names.h"
#include "plan/plan_run.h"
#include "plan/report/bound_distance.h"
#include "plan/report/plan_document.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel {
namespace {

void printText(const Request& request, const GoalOptions& goal, const Tradeoffs& found,
               std::FILE* out) {
  const std::vector<Plan>& points = found.front;
  const Target& target = request.target;
  const MagState& start = request.start;
  std::fprintf(out, "For a %s %s:\n", kSectionIdNames[request.player.sectionId],
               kCharClassNames[request.player.charClass]);
  std::fprintf(out, "Start: %s(%d) %d/%d/%d/%d  Bars: %d/%d/%d/%d\n", kMagTypeNames[start.type],
               start.level, start.def, start.pow, start.dex, start.mind, start.defBar, start.powBar,
               start.dexBar, start.mindBar);
  std::fprintf(out, "Target: %d/%d/%d/%d%s%s\n", target.def, target.pow, target.dex, target.mind,
               goal.form ? " as " : "", goal.form ? kMagTypeNames[*goal.form] : "");
  std::fprintf(out, "From the fewest feedings to the least meseta (beam width %d):\n",
               goal.beamWidth);
  if (points.empty()) std::fputs("  none\n", out);
  for (const Plan& plan : points) {
    std::fprintf(out, "  %5d feedings  %7.0lf meseta  %6.2lf hours  %s\n", plan.feedCount(),
                 plan.cost, plan.feedCount() / 60.0, kMagTypeNames[plan.reached.type]);
  }
  // How near the ends come to the best possible, as `ostrel plan` tells it under its plan.
  const FrontDistances ends = frontDistances(points, found.cheapest.bound, goal.form);
  if (ends.fewest) std::fprintf(out, "Shortest: %s\n", boundDistanceText(*ends.fewest).c_str());
  if (ends.cheapest) {
    std::fprintf(out, "Cheapest: %s\n", boundDistanceText(*ends.cheapest).c_str());
  }
}

}  // namespace

int runTradeoffsCommand(const CommandText& text, const Console& console) {
  Request request;
  OutputFormat format = OutputFormat::kText;
  const RequestRefusals refused = readRequestOptions(text.request, kTradeoffsCommandUse, request);
  if (std::string refusal = requestRefusal(refused, readFormat(text.format, format));
      !refusal.empty()) {
    return refuseUsage("ostrel tradeoffs", refusal, console);
  }

  const GoalOptions goal = goalOptions(request, kTradeoffsCommandUse);
  Tradeoffs found;
  runShowingProgress(goal, console.err, [&](const GoalOptions& search) {
    found = findTradeoffs(request.asked(), request.start, search);
  });
  const std::string none = noTradeoffText(goal, request.target, found);
  if (format == OutputFormat::kJson) {
    std::fputs(printed(tradeoffsDocument(request, goal, found, none)).c_str(), console.out);
  } else {
    printText(request, goal, found, console.out);
  }
  if (!none.empty()) std::fprintf(console.err, "ostrel tradeoffs: %s\n", none.c_str());
  if (!outputWritten("ostrel tradeoffs", console)) return 1;
  return found.front.empty() ? 1 : 0;
}

}  // namespace ostrel

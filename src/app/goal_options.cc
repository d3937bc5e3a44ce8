// Reading --goal, --form and --beam-width, and telling why the form asked for was not reached.
#include "app/goal_options.h"

#include <CLI/CLI.hpp>

#include "app/mag_options.h"
#include "model/form_rules.h"
#include "model/tables.h"

namespace ostrel {

void addGoalOptions(CLI::App& command, GoalOptionText& text, GoalUse use) {
  if (use == GoalUse::kOnePlan) {
    command.add_option("--goal", text.goal,
                       "first (the first plan found, the default), cheapest (least meseta) or "
                       "fewest (fewest feedings)");
    command.add_option("--form", text.form,
                       "The form the plan must end in, by name (ila) or form menu number (1..45)");
  } else {
    command.add_option("--goal", text.goal,
                       "cheapest (least meseta, the default) or fewest (fewest feedings)");
  }
  command.add_option("--beam-width", text.beamWidth,
                     "Mags kept per form at each feeding by the cheapest and fewest searches, "
                     "1.." +
                         std::to_string(kMostBeamWidth) +
                         "; wider finds better plans, slower (default 500)");
}

std::string readGoalOptions(const GoalOptionText& text, GoalUse use, GoalOptions& options) {
  const bool onePlan = use == GoalUse::kOnePlan;
  if (!text.goal.empty()) {
    if (text.goal == "first" && onePlan) {
      options.goal = Goal::kFirst;
    } else if (text.goal == "cheapest") {
      options.goal = Goal::kCheapest;
    } else if (text.goal == "fewest") {
      options.goal = Goal::kFewest;
    } else {
      return "--goal '" + text.goal + "': not a goal; allowed: " +
             (onePlan ? "first, cheapest, fewest" : "cheapest, fewest");
    }
  }
  if (!text.form.empty()) {
    MagType form = 0;
    if (std::string refusal = readForm("--form", text.form, form); !refusal.empty()) {
      return refusal;
    }
    options.form = form;
  }
  if (!text.beamWidth.empty()) {
    std::int32_t width = 0;
    if (!parseInt32(text.beamWidth, width) || width < 1 || width > kMostBeamWidth) {
      return "--beam-width '" + text.beamWidth + "': not a width; allowed: a whole number 1.." +
             std::to_string(kMostBeamWidth);
    }
    options.beamWidth = width;
  }
  return {};
}

const char* goalName(Goal goal) {
  switch (goal) {
    case Goal::kFirst:
      return "first";
    case Goal::kCheapest:
      return "cheapest";
    case Goal::kFewest:
      return "fewest";
  }
  return "first";
}

std::string formNotReachedText(const GoalOptions& options, PlanOutcome outcome,
                               const GoalResult& details) {
  if (!options.form || outcome == PlanOutcome::kFound) return {};
  const std::string name = kMagTypeNames[*options.form];
  if (outcome == PlanOutcome::kExcluded) {
    return "no plan can end as " + name + ": " + exclusionText(details.exclusion);
  }
  std::string reached;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (!details.forms[type].best) continue;
    reached += (reached.empty() ? "" : ", ") + std::string(kMagTypeNames[type]);
  }
  return "no plan found ending as " + name + "; " +
         (reached.empty() ? std::string("no plan was found ending as any form")
                          : "the plans found end as " + reached);
}

}  // namespace ostrel

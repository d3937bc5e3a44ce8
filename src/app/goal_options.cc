// Reading --goal, --form and --beam-width, and telling why the form asked for was not reached.
#include "app/goal_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>

#include "app/mag_options.h"
#include "model/form_rules.h"
#include "model/names.h"
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
    // `ostrel forms` takes every goal but the first plan found, the first in the table.
    const auto* first = kGoalNames.begin() + (onePlan ? 0 : 1);
    const auto* found = std::find(first, kGoalNames.end(), text.goal);
    if (found == kGoalNames.end()) {
      std::string allowed;
      for (const auto* name = first; name != kGoalNames.end(); ++name) {
        allowed += (allowed.empty() ? "" : ", ") + std::string(*name);
      }
      return "--goal '" + text.goal + "': not a goal; allowed: " + allowed;
    }
    options.goal = static_cast<Goal>(found - kGoalNames.begin());
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
  // The table holds pointers to the names: cppcheck takes the index for the value returned.
  // cppcheck-suppress CastIntegerToAddressAtReturn
  return kGoalNames[static_cast<std::size_t>(goal)];
}

}  // namespace ostrel

// Reading --goal, --form, --beam-width and the budget.
#include "app/goal_options.h"

#include <algorithm>
#include <optional>
#include <string>

#include "app/mag_options.h"
#include "model/form_rules.h"
#include "model/names.h"
#include "model/tables.h"
#include "plan/tradeoff/tradeoffs.h"

namespace ostrel {

namespace {

// Reads a budget's most, a whole number `least`.. (feedings from 1, meseta from 0).
template <typename Number>
std::string readMost(const char* name, const std::string& text, std::int32_t least,
                     std::optional<Number>& most) {
  if (text.empty()) return {};
  std::int32_t value = 0;
  if (!parseInt32(text, value) || value < least) return notABudgetText(name, text, least);
  most = value;
  return {};
}

// Reads the budget, and the goal that a budget or a form means without --goal; the first plan
// found takes neither, nor a beam width: it is found by a search without a beam, and a width
// given with it would only be ignored.
std::string readBudgetAndGoal(const GoalOptionText& text, GoalOptions& options) {
  if (std::string refusal = readMost("--max-feedings", text.maxFeedings, kLeastMaxFeedings,
                                     options.budget.maxFeedings);
      !refusal.empty()) {
    return refusal;
  }
  if (std::string refusal =
          readMost("--max-meseta", text.maxMeseta, kLeastMaxMeseta, options.budget.maxMeseta);
      !refusal.empty()) {
    return refusal;
  }
  if (std::string refusal =
          settleGoal(!text.goal.empty(), options.budget, options.form.has_value(), options.goal);
      !refusal.empty()) {
    return refusal;
  }
  if (options.goal == Goal::kFirst && !text.beamWidth.empty()) {
    return std::string(text.goal.empty() ? "--beam-width without --goal"
                                         : "--beam-width with --goal first") +
           ": the first plan found is searched without a beam; allowed: --goal cheapest or "
           "fewest with it";
  }
  return {};
}

}  // namespace

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
  return use == GoalUse::kOnePlan ? readBudgetAndGoal(text, options) : std::string();
}

const char* goalName(Goal goal) {
  // The table holds pointers to the names: cppcheck takes the index for the value returned.
  // cppcheck-suppress CastIntegerToAddressAtReturn
  return kGoalNames[static_cast<std::size_t>(goal)];
}

}  // namespace ostrel

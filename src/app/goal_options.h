// The options that say which plan is wanted: --goal (the first plan found, the cheapest or the
// shortest), --form (the form the plan must end in), --beam-width (time traded for better plans)
// and the budget (--max-feedings, --max-meseta). The dialogue, `ostrel plan`, `ostrel forms` and
// `ostrel tradeoffs` read them the same way.
#pragma once

#include <string>

#include "plan/goal/goal.h"
#include "plan/plan_run.h"
#include "plan/report/plan_document.h"

namespace ostrel {

// The options as typed; empty when not given.
struct GoalOptionText {
  std::string goal;
  std::string form;
  std::string beamWidth;
  std::string maxFeedings{};
  std::string maxMeseta{};

  bool given() const {
    return !goal.empty() || !form.empty() || !beamWidth.empty() || !maxFeedings.empty() ||
           !maxMeseta.empty();
  }
};

// The widest beam accepted: memory grows with it, and wider beams seldom find better plans.
inline constexpr std::int32_t kMostBeamWidth = 5000;

// Which of the options a command takes: `ostrel forms` lists every form, so it has no --form,
// and it needs the searches that keep a plan per form, so --goal first is not one of its goals.
// One plan takes a budget; `ostrel tradeoffs` runs both goals, so it has --form and --beam-width
// alone.
enum class GoalUse { kOnePlan, kEveryForm, kTradeoffs };

// Reads the options into `options` (left as they are when not given). A budget or a form without
// --goal plans the cheapest plan within --max-feedings (with or without --max-meseta) or ending
// in the form, or the shortest within --max-meseta alone (impliedGoal); --goal first takes
// neither. Returns an empty string, or one line naming the option, what was given and what is
// allowed.
std::string readGoalOptions(const GoalOptionText& text, GoalUse use, GoalOptions& options);

// "first", "cheapest" or "fewest", as the options and the JSON documents name the goals.
const char* goalName(Goal goal);

}  // namespace ostrel

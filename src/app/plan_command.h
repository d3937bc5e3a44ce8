// `ostrel plan`: one plan from the options, no questions. The same search, reports and plan
// files as the dialogue; the plan on standard output as text or as one JSON document.
#pragma once

#include <string>

#include "app/goal_options.h"
#include "app/mag_options.h"
#include "model/state.h"
#include "plan/console.h"
#include "plan/plan.h"
#include "plan/plan_run.h"

namespace ostrel {

struct PlanCommandOptions {
  MagOptionText mag;
  GoalOptionText goal;
  std::string target;
  std::string dir;  // where the plan files go; the working directory when empty
  bool noFiles = false;
  std::string format = "text";
};

// Runs `ostrel plan` and returns its exit status: 0 for a plan written, 1 for no plan (none found,
// none ending in the form asked for, none within the budget, or a plan that could not be
// written), 2 for a request the
// dialogue would refuse or an option out of range.
int runPlanCommand(const PlanCommandOptions& options, const Console& console);

}  // namespace ostrel

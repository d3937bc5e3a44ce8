// `ostrel plan`: one plan from the options, no questions. The same search, reports and plan
// files as the dialogue; the plan on standard output as text or as one JSON document.
#pragma once

#include "app/command_options.h"
#include "plan/console.h"

namespace ostrel {

// Runs `ostrel plan` and returns its exit status: 0 for a plan written, 1 for no plan (none found,
// none ending in the form asked for, none within the budget, or a plan that could not be
// written), 2 for a request the dialogue would refuse or an option out of range.
int runPlanCommand(const CommandText& text, const Console& console);

}  // namespace ostrel

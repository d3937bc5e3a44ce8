// `ostrel forms`: the final forms a plan can end in, for players who choose a mag for its form.
// Each form is reached (with the best plan found for it: feedings and meseta), excluded by the
// evolution rules (with the reason), or not found: allowed by the rules, but no plan found ends
// in it, which does not make it impossible.
#pragma once

#include "app/command_options.h"
#include "plan/console.h"

namespace ostrel {

// Runs `ostrel forms` and returns its exit status: 0 when a plan was found for at least one form,
// 1 when for none, 2 for a request the dialogue would refuse or an option out of range.
int runFormsCommand(const CommandText& text, const Console& console);

}  // namespace ostrel

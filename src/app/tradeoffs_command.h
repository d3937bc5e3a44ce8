// `ostrel tradeoffs`: the plans between the fewest feedings and the least meseta, each cheaper
// than every shorter one, for players who weigh their time against their meseta. Each point is
// the very plan that `ostrel plan --max-feedings` with its feedings writes.
#pragma once

#include "app/command_options.h"
#include "plan/console.h"

namespace ostrel {

// Runs `ostrel tradeoffs` and returns its exit status: 0 when a plan was found, 1 for none, 2 for
// a request the dialogue would refuse or an option out of range.
int runTradeoffsCommand(const CommandText& text, const Console& console);

}  // namespace ostrel

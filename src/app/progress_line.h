// The one status line that a long goal search keeps up to date on a terminal: how many feedings
// it has tried and the best plan so far. Shown only on a terminal, and only once the search has
// run for half a second, so that quick plans, files and pipes never see it.
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "plan/goal/goal.h"

namespace ostrel {

// Runs `search` with `options` (their progress then points at a record of this call's own), and
// while it runs keeps the status line on `err` if `err` is a terminal, overwritten in place with
// a carriage return and cut to the terminal's width; the line is cleared before this returns,
// however `search` ends, so `search` itself must print nothing: the caller prints afterwards. The
// first-found search without a form has progress lines of its own, and runs as it is.
void runShowingProgress(const GoalOptions& options, std::FILE* err,
                        const std::function<void(const GoalOptions&)>& search);

// The status line's text for a search that tried `feedingsTried` feedings and holds `best`, without
// the carriage return.
std::string progressText(std::uint64_t feedingsTried, const std::optional<PlanMeasure>& best);

}  // namespace ostrel

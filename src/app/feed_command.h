// `ostrel feed`: the feeding simulator. Feeds a list of items to a mag with the core's feedRuns,
// and shows the mag after each run (and the feedings that changed nothing, as at level 200), to
// check a plan or try an idea.
#pragma once

#include <string>
#include <vector>

#include "app/command_options.h"
#include "plan/console.h"
#include "plan/report/plan_document.h"

namespace ostrel {

// Runs `ostrel feed` and returns its exit status: 0, or 2 for options it cannot use.
int runFeedCommand(const CommandText& text, const Console& console);

// Reads an item list such as "4 Sol Atomizer, 2 moonatomizer, Difluid": entries split by commas,
// each an item name (any case, blanks ignored) after an optional count 1..9999. Fills the item and
// count of each run; returns an empty string, or the one-line refusal.
std::string readItems(const std::string& text, std::vector<FeedRun>& runs);

}  // namespace ostrel

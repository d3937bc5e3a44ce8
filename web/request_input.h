// A request of the web page read into the planner's Request: the player, the start, the target,
// the goal, the final form and the budget, each parsed from its JSON field. checkRequest checks
// it; this file words the verdict as the page's answer, naming the field and the rule.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plan/fed_plan.h"
#include "plan/report/plan_document.h"
#include "plan/request.h"

namespace ostrel::web {

// An answer without a plan: {"outcome": `outcome`, "message": `message`}.
std::string answer(const char* outcome, const std::string& message);

// Reads a request for the entry of `use` into `request`. Returns the answer to give instead of a
// plan (a bad request, or a refusal of the part that breaks a rule), or nothing. Any text is
// answered, however long or deeply nested: a refusal quotes only a short, flat value.
std::string readRequest(std::string_view text, const RequestUse& use, Request& request);

// The same for a request already parsed, a JSON object: read as it is, never written out again,
// since writing recurses through every level of its nesting.
std::string readRequest(const Document& parsed, const RequestUse& use, Request& request);

// Reads the "runs" of a replay request into `runs`: each {"item": an item's name, "count":
// 1..kMaxRunCount}, first run first, at most kMostReplayedFeedings feedings in all. Returns the
// answer to give instead (a bad request), or nothing.
std::string readRuns(const Document& request, std::vector<FeedRun>& runs);

// The most feedings a replay feeds: many times the longest plan the searches make, few enough
// that a request cannot make the page hold more than a few megabytes of feedings.
inline constexpr std::int64_t kMostReplayedFeedings = 100'000;

}  // namespace ostrel::web

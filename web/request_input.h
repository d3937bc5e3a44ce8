// A request of the web page read into the planner's Request: the player, the start, the target,
// the goal, the final form and the budget, each parsed from its JSON field. checkRequest checks
// it; this file words the verdict as the page's answer, naming the field and the rule.
#pragma once

#include <string>
#include <string_view>

#include "plan/request.h"

namespace ostrel::web {

// An answer without a plan: {"outcome": `outcome`, "message": `message`}.
std::string answer(const char* outcome, const std::string& message);

// Reads a request for the entry of `use` into `request`. Returns the answer to give instead of a
// plan (a bad request, or a refusal of the part that breaks a rule), or nothing. Any text is
// answered, however long or deeply nested: a refusal quotes only a short, flat value.
std::string readRequest(std::string_view text, const RequestUse& use, Request& request);

}  // namespace ostrel::web

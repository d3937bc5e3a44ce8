// The console dialogue, the program's whole run: banner, pause, then plans until the user
// declines another.
#pragma once

#include "app/answer_reader.h"
#include "plan/console.h"
#include "plan/request.h"

namespace ostrel {

// Runs the dialogue and returns the program's exit status: 0 when the user declines another plan
// (or input ends at that question), 1 when input ends while a question waits for its answer, the
// console cannot be written, or a plan of the run found none within the budget (as `ostrel plan`
// says so, whatever the plans after it). Every plan is planned for the goal, form, budget and
// beam width of `asked` (checked already); the default is the first plan found, the dialogue as it
// always was. With options, the banner says what the search asked for does, and where the first
// plan found (asked for by name) gives up, the line after "failed to create Mag" says that a goal
// may find a plan. The answers fill in the rest of the request. When no plan ends in the form
// asked for, the line after "failed to create Mag" says why. The plan files are written in the
// working directory.
int runDialogue(AnswerReader& reader, const Console& console, const Request& asked = {});

}  // namespace ostrel

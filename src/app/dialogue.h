// The console dialogue, the program's whole run: banner, pause, then plans until the user
// declines another.
#pragma once

#include "app/answer_reader.h"
#include "model/state.h"
#include "plan/console.h"

namespace ostrel {

// Runs the dialogue and returns the program's exit status: 0 when the user declines another plan
// (or input ends at that question), 1 when input ends while a question waits for its answer or
// the console cannot be written.
int runDialogue(PlannerState& planner, AnswerReader& reader, const Console& console);

}  // namespace ostrel

// The program's command line, for scripts and players who know what they want: `ostrel plan`,
// `ostrel feed`, `ostrel forms`, `ostrel tradeoffs`, --help and --version, and the dialogue with a
// goal (--goal, --form, --beam-width, a budget and no command). Without arguments ostrel runs the
// dialogue as it always did.
#pragma once

#include "app/answer_reader.h"
#include "app/command_exit.h"
#include "plan/console.h"

namespace ostrel {

// Parses `argv` (argv[0] is the program's name) and runs the command it names, or the dialogue
// with a goal (`ostrel --goal cheapest`), which reads its answers from `reader`. Help and the
// version go to console.out; a usage error is one line on console.err. Returns the exit status.
int runCommandLine(int argc, const char* const* argv, const Console& console, AnswerReader& reader);

}  // namespace ostrel

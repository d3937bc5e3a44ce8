// ostrel: plans the feedings that raise a mag to the stats the player wants. Without arguments
// it runs the dialogue; with arguments, the command line (plan, feed, forms, tradeoffs, --help,
// --version, or the dialogue with a goal).
#include <csignal>

#include "app/answer_reader.h"
#include "app/command_line.h"
#include "app/dialogue.h"

int main(int argc, char** argv) {
  // A console that goes away is reported as an error, not met with a signal.
  std::signal(SIGPIPE, SIG_IGN);
  const ostrel::Console console;
  ostrel::AnswerReader reader;
  if (argc > 1) return ostrel::runCommandLine(argc, argv, console, reader);
  return ostrel::runDialogue(reader, console);
}

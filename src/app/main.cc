// ostrel: plans the feedings that raise a mag to the stats the player wants.
#include <csignal>

#include "app/answer_reader.h"
#include "app/dialogue.h"

int main() {
  // A console that goes away is reported by the dialogue as an error, not met with a signal.
  std::signal(SIGPIPE, SIG_IGN);
  ostrel::PlannerState planner;
  ostrel::AnswerReader reader;
  const ostrel::Console console;
  return ostrel::runDialogue(planner, reader, console);
}

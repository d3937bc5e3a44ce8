// The command line's words: every command ostrel takes, in one table, and every option with its
// help, declared to CLI11 in one place. CLI11 only stores what was typed in a CommandText; the
// command given then reads it (request_options.h, and its own options) and runs.
#pragma once

#include <array>
#include <string>

#include "app/request_options.h"
#include "plan/console.h"

namespace CLI {
class App;
}

namespace ostrel {

// The options of the command given, as typed (only one command runs, so all share one record).
struct CommandText {
  RequestText request;
  std::string items;  // feed's
  std::string dir;    // plan's: where the plan files go; the working directory when empty
  bool noFiles = false;
  std::string format = "text";
};

// A command: its name and one line on what it does (the help's), how it declares its options on
// the command CLI11 made for it, and how it runs, returning the exit status.
struct Command {
  const char* name;
  const char* description;
  void (*declare)(CLI::App& command, CommandText& text);
  int (*run)(const CommandText& text, const Console& console);
};

// Every command, in the order the help lists them.
extern const std::array<Command, 4> kCommands;

// "plan, feed, forms, tradeoffs".
std::string commandNames();

// Adds the dialogue's goal options (--goal, --form, --beam-width, the budgets) to the program.
void addDialogueOptions(CLI::App& program, GoalOptionText& text);

}  // namespace ostrel

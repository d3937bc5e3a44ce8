// The command line's words: every command and option ostrel takes, with its help, declared to
// CLI11 in one place. CLI11 only stores what was typed in the commands' option records; each
// command then checks and reads its own records (mag_options.h, goal_options.h and the commands).
#pragma once

#include "app/feed_command.h"
#include "app/forms_command.h"
#include "app/goal_options.h"
#include "app/mag_options.h"
#include "app/plan_command.h"
#include "app/tradeoffs_command.h"

namespace CLI {
class App;
}

namespace ostrel {

// Adds --section, --class, --mag, --stats and --bars to a command.
void addMagOptions(CLI::App& command, MagOptionText& text);

// Adds the options of `use` to a command.
void addGoalOptions(CLI::App& command, GoalOptionText& text, GoalUse use);

// Adds the `plan` command and its options to the program's command line.
CLI::App* addPlanCommand(CLI::App& program, PlanCommandOptions& options);

// Adds the `feed` command and its options to the program's command line.
CLI::App* addFeedCommand(CLI::App& program, FeedCommandOptions& options);

// Adds the `forms` command and its options to the program's command line.
CLI::App* addFormsCommand(CLI::App& program, FormsCommandOptions& options);

// Adds the `tradeoffs` command and its options to the program's command line.
CLI::App* addTradeoffsCommand(CLI::App& program, TradeoffsCommandOptions& options);

}  // namespace ostrel

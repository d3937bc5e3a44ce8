// Each command's options are declared once here, where CLI11 is included: the library's code is
// compiled once for the program rather than once for every command. The table of the commands
// closes the file.
#include "app/command_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/feed_command.h"
#include "app/forms_command.h"
#include "app/plan_command.h"
#include "app/tradeoffs_command.h"
#include "model/names.h"

namespace ostrel {
namespace {

// How the help writes the value of a mag's four stats or bars.
constexpr const char* kFourStats = "DEF/POW/DEX/MIND";

void addMagOptions(CLI::App& command, MagOptionText& text) {
  command
      .add_option("--section", text.section,
                  "Section ID: a name (skyly) or its number in the dialogue's menu (0..9) "
                  "(required)")
      ->type_name("ID");
  command
      .add_option("--class", text.charClass,
                  "Character class: a name (ramar) or its number in the dialogue's menu (0..11) "
                  "(required)")
      ->type_name("CLASS");
  command
      .add_option("--mag", text.mag,
                  "The mag's form, by name (varaha) or form menu number (1..45), one a mag can "
                  "have at its level; leave out --mag, --stats and --bars for a new mag (5/0/0/0)")
      ->type_name("FORM");
  command.add_option("--stats", text.stats, "The mag's stats, with --mag")->type_name(kFourStats);
  command
      .add_option("--bars", text.bars, "How full the four bars are, 0..99 each (default 0/0/0/0)")
      ->type_name(kFourStats);
}

// "cheapest (least meseta, the default), fewest (fewest feedings) or first (the first plan
// found, as the dialogue plans it)": the goals `use` plans, its own default marked.
std::string goalsHelp(const RequestUse& use) {
  constexpr std::array<const char*, 3> kMeaning = {"the first plan found, as the dialogue plans it",
                                                   "least meseta", "fewest feedings"};
  std::vector<Goal> goals = {Goal::kCheapest, Goal::kFewest};
  if (use.firstPlanned) goals.push_back(Goal::kFirst);
  std::stable_partition(goals.begin(), goals.end(),
                        [&use](Goal goal) { return goal == use.unnamedGoal; });
  std::string help;
  for (std::size_t k = 0; k < goals.size(); ++k) {
    const auto goal = static_cast<std::size_t>(goals[k]);
    help += std::string(k == 0                  ? ""
                        : k + 1 == goals.size() ? " or "
                                                : ", ") +
            kGoalNames[goal] + " (" + kMeaning[goal] +
            (goals[k] == use.unnamedGoal ? ", the default)" : ")");
  }
  return help;
}

// The goal options of a command that plans as `use` says: `ostrel forms` lists every form, so
// it has no --form, and it needs the searches that keep a plan per form, so --goal first is not
// one of its goals. One plan takes a budget; `ostrel tradeoffs` runs both goals, so it has --form
// and --beam-width alone.
void addGoalOptions(CLI::App& command, GoalOptionText& text, const RequestUse& use) {
  if (use.plans != Plans::kTradeoff) {
    command.add_option("--goal", text.goal, goalsHelp(use))->type_name("GOAL");
  }
  if (use.plans != Plans::kEveryForm) {
    command
        .add_option(
            "--form", text.form,
            use.plans == Plans::kTradeoff
                ? "The form every plan must end in, by name (ila) or form menu number "
                  "(1..45)"
                : "The form the plan must end in, by name (ila) or form menu number (1..45)")
        ->type_name("FORM");
  }
  command
      .add_option("--beam-width", text.beamWidth,
                  "Mags kept per form at each feeding by the cheapest and fewest searches, 1.." +
                      std::to_string(kMostBeamWidth) +
                      "; wider finds better plans, slower (default 500)")
      ->type_name("N");
  command
      .add_option("--threads", text.threads,
                  "Most threads the cheapest and fewest searches run on, 1 or 2 (default 2; one "
                  "where other programs keep the cores busy); the plans are the same on either")
      ->type_name("N");
  if (use.plans != Plans::kOnePlan) return;
  command
      .add_option("--max-feedings", text.maxFeedings,
                  "Budget: the plan takes at most this many feedings (without --goal: the "
                  "cheapest such plan)")
      ->type_name("N");
  command
      .add_option("--max-meseta", text.maxMeseta,
                  "Budget: the plan costs at most this much meseta (without --goal and "
                  "--max-feedings: the shortest such plan)")
      ->type_name("N");
}

void declarePlan(CLI::App& plan, CommandText& options) {
  addMagOptions(plan, options.request.mag);
  plan.add_option("--target", options.request.target, "The stats wanted (required)")
      ->type_name(kFourStats);
  addGoalOptions(plan, options.request.goal, kPlanCommandUse);
  CLI::Option* dir =
      plan.add_option(
              "--dir", options.dir,
              "Write feedingPlan.txt and feedingPlan2.txt here (default: .; not with --no-files)")
          ->type_name("DIR");
  plan.add_flag("--no-files", options.noFiles,
                "Write no plan file; old ones stay as they are (not with --dir)")
      ->excludes(dir)
      ->disable_flag_override();
  plan.add_option("--format", options.format,
                  "text (the plan's lines, as in the dialogue, and what to buy) or json (one "
                  "document)")
      ->type_name("FORMAT");
  plan.footer(
      "Example:\n"
      "  ostrel plan --section skyly --class ramar --target 50/60/60/20\n"
      "  ostrel plan --section 2 --class 4 --mag varaha --stats 5/30/40/5 --bars 20/10/10/55 "
      "--target 10/60/60/20 --format json\n"
      "  ostrel plan --section purplenum --class humar --target 30/70/70/30 --goal cheapest "
      "--form Deva\n"
      "  ostrel plan --section skyly --class ramar --target 50/60/60/20 --max-feedings 1100\n"
      "The plan is read bottom up. Exit status: 0 plan found, 1 no plan (or a plan found but its\n"
      "files or the output not written), 2 usage error.");
}

void declareFeed(CLI::App& feed, CommandText& options) {
  addMagOptions(feed, options.request.mag);
  feed.add_option("--items", options.items,
                  "The items in the order fed, split by commas; a count before a name repeats it "
                  "(required)")
      ->type_name("LIST");
  feed.add_option("--format", options.format, "text (a line per run) or json (one document)")
      ->type_name("FORMAT");
  feed.footer(
      "Example:\n"
      "  ostrel feed --section skyly --class ramar --items \"4 Sol Atomizer, 2 Moon Atomizer, "
      "Difluid\"\n"
      "Exit status: 0 fed, 1 output not written, 2 usage error.");
}

// A command that weighs plans toward a target without writing one: the mag's options, --target,
// the goal options of `use` and --format.
void declareTargetCommand(CLI::App& command, CommandText& options, const RequestUse& use,
                          const char* formatHelp, const char* footer) {
  addMagOptions(command, options.request.mag);
  command.add_option("--target", options.request.target, "The stats wanted (required)")
      ->type_name(kFourStats);
  addGoalOptions(command, options.request.goal, use);
  command.add_option("--format", options.format, formatHelp)->type_name("FORMAT");
  command.footer(footer);
}

void declareForms(CLI::App& forms, CommandText& options) {
  declareTargetCommand(
      forms, options, kFormsCommandUse, "text (a line per form) or json (one document)",
      "Example:\n"
      "  ostrel forms --section purplenum --class humar --target 30/70/70/30\n"
      "  ostrel forms --section bluefull --class ramarl --target 20/20/20/20 --goal fewest "
      "--format json\n"
      "A form not found is not impossible: a wider beam may find it. No plan file is written.\n"
      "Exit status: 0 a plan found for some form, 1 for none or the output not written, 2 usage "
      "error.");
}

void declareTradeoffs(CLI::App& tradeoffs, CommandText& options) {
  declareTargetCommand(
      tradeoffs, options, kTradeoffsCommandUse,
      "text (a line per plan) or json (one document, with each plan)",
      "Example:\n"
      "  ostrel tradeoffs --section skyly --class ramar --target 50/60/60/20\n"
      "Each plan listed is cheaper than every shorter one; 'ostrel plan --max-feedings N' with "
      "its feedings writes it. No plan file is written.\n"
      "Exit status: 0 plans found, 1 none or the output not written, 2 usage error.");
}

}  // namespace

const std::array<Command, 4> kCommands = {{
    {"plan", "Plan the feedings from a mag to the stats wanted, without questions", declarePlan,
     runPlanCommand},
    {"feed", "Feed items to a mag as the game does, and show the mag after each run", declareFeed,
     runFeedCommand},
    {"forms", "List the final forms a plan can end in, with the best plan found for each",
     declareForms, runFormsCommand},
    {"tradeoffs", "List the plans from the fewest feedings to the least meseta", declareTradeoffs,
     runTradeoffsCommand},
}};

std::string commandNames() {
  std::string names;
  for (const Command& command : kCommands) {
    names += (names.empty() ? "" : ", ") + std::string(command.name);
  }
  return names;
}

void addDialogueOptions(CLI::App& program, GoalOptionText& text) {
  addGoalOptions(program, text, kDialogueUse);
}

}  // namespace ostrel

// The command line: CLI11 reads the commands and options; every value is then checked by the
// command itself, so that a refusal names the option, the value given and what is allowed.
#include "app/command_line.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/command_options.h"
#include "app/dialogue.h"

#ifndef OSTREL_VERSION
#error "OSTREL_VERSION is set by the build, from the project's version"
#endif

namespace ostrel {
namespace {

// The help's column of an option's value: its name alone (--dir DIR, --beam-width N). CLI11 would
// add what an option excludes after it ("--dir DIR Excludes: --no-files"), which the options'
// descriptions say in words.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    if (option->get_type_size() == 0 || option->get_type_name().empty()) return "";
    return " " + option->get_type_name();
  }
};

// One line: CLI11's messages may span several.
std::string oneLine(std::string text) {
  for (char& c : text) {
    if (c == '\n') c = ' ';
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

// The edits (a character added, dropped, changed, or two neighbours swapped) that turn `a` into
// `b`; a swap counts once, as a typist makes it.
std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    for (std::size_t j = 1; j <= b.size(); ++j) {
      d[i][j] = std::min(
          {d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0U : 1U)});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
  }
  return d[a.size()][b.size()];
}

// The words CLI11 could not place, in the order given (CLI11 keeps those after "--" first). A
// word may also have been given, and placed, as a value: the unplaced are taken to be its last
// copies, which they are at the end of a line.
std::vector<std::string> unplacedWords(const CLI::App& program, int argc, const char* const* argv) {
  std::vector<std::string> left = program.remaining(true);
  std::vector<std::string> words;
  for (int i = argc - 1; i > 0 && !left.empty(); --i) {
    const auto found = std::find(left.begin(), left.end(), argv[i]);
    if (found == left.end()) continue;
    words.emplace_back(argv[i]);
    left.erase(found);
  }
  std::reverse(words.begin(), words.end());
  return words;
}

// The names of the options of `app`: "--goal", "-h", ...
std::vector<std::string> optionNames(const CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
    for (const std::string& name : option->get_snames()) names.push_back("-" + name);
  }
  return names;
}

// "plan and tradeoffs": the commands of `program` other than `used` that take the option `name`.
std::string commandsTaking(const CLI::App& program, const CLI::App& used, const std::string& name) {
  std::vector<std::string> taking;
  for (const CLI::App* command : program.get_subcommands({})) {
    const std::vector<std::string> names = optionNames(*command);
    if (command != &used && std::find(names.begin(), names.end(), name) != names.end()) {
      taking.push_back(command->get_name());
    }
  }
  std::string text;
  for (std::size_t k = 0; k < taking.size(); ++k) {
    text += (k == 0 ? "" : k + 1 == taking.size() ? " and " : ", ") + taking[k];
  }
  return text;
}

// A person wants the mistyped option among the words that could not be placed, and the one meant
// if it is close, or the commands that take it when it is another command's. "" when none of
// `words` is an option unknown to `used` (the command given, or the program): a value or a stray
// word, which unexpectedWordsText names.
std::string unknownOptionText(const CLI::App& program, const CLI::App& used,
                              const std::vector<std::string>& words) {
  const std::vector<std::string> names = optionNames(used);
  for (const std::string& word : words) {
    const std::string name = word.substr(0, word.find('='));
    // Dashes alone ("-", "--", "---") are not options, nor are negative numbers.
    if (name.size() < 2 || name[0] != '-' || name.find_first_not_of('-') == std::string::npos ||
        std::isdigit(static_cast<unsigned char>(name[1])) != 0 ||
        std::find(names.begin(), names.end(), name) != names.end()) {
      continue;
    }
    // Another command's option is not a slip of this command's: `forms --form` means a form,
    // not --format.
    if (const std::string taking = commandsTaking(program, used, name); !taking.empty()) {
      std::string text = "unknown option '";
      text.append(name).append("' (an option of ").append(taking).append(")");
      return text;
    }
    // The nearest long option within two edits, dashes aside, and nearer than the word is long.
    const std::string bare = name.substr(name.find_first_not_of('-'));
    std::string nearest;
    std::size_t best = std::min<std::size_t>(3, bare.size());
    for (const std::string& known : names) {
      if (!known.starts_with("--")) continue;
      // A known option's first letters ("--beam") are as near as one typing slip.
      const std::string knownBare = known.substr(2);
      const std::size_t lengths =
          std::max(bare.size(), knownBare.size()) - std::min(bare.size(), knownBare.size());
      // Words that differ more in length are further apart than that in edits.
      const std::size_t distance = bare.size() >= 3 && knownBare.starts_with(bare) ? 1
                                   : lengths >= best                               ? best
                                                     : editDistance(bare, knownBare);
      if (distance < best) {
        best = distance;
        nearest = known;
      }
    }
    return "unknown option '" + name + "'" +
           (nearest.empty() ? "" : "; did you mean '" + nearest + "'?");
  }
  return "";
}

// Words that could not be placed, in the order given: "unexpected 'extra': not an option or an
// option's value".
std::string unexpectedWordsText(const std::vector<std::string>& words) {
  std::string text = "unexpected ";
  for (std::size_t k = 0; k < words.size(); ++k) text += (k == 0 ? "'" : ", '") + words[k] + "'";
  return text + (words.size() == 1 ? ": not an option or an option's value"
                                   : ": not options or options' values");
}

// CLI11's own messages of the options it checks, in the program's words: "--goal given twice",
// "--section given without its value", "--dir with --no-files: they cannot go together". Others
// as CLI11 has them.
std::string parseErrorText(const CLI::ParseError& error) {
  std::string text = oneLine(error.what());
  const std::string name = text.substr(0, text.find(':'));
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    if (const std::size_t received = text.find("received "); received != std::string::npos) {
      const std::string times = text.substr(received + 9);
      return name + " given " + (times == "2" ? std::string("twice") : times + " times") +
             "; allowed: once";
    }
    if (text.ends_with(" missing")) return name + " given without its value";
    // CLI11 names the flag without its dashes here ("no-files was given a disallowed flag
    // override").
    if (text.ends_with("flag override")) {
      return "--" + text.substr(0, text.find(' ')) + " takes no value";
    }
  }
  if (const std::size_t excludes = text.find(" excludes ");
      dynamic_cast<const CLI::ExcludesError*>(&error) != nullptr && excludes != std::string::npos) {
    return text.substr(0, excludes) + " with " + text.substr(excludes + 10) +
           ": they cannot go together; allowed: one of them";
  }
  return text;
}

// The command given and its name ("ostrel plan"), or the program itself ("ostrel").
const CLI::App& commandUsed(const CLI::App& program, std::string& name) {
  name = "ostrel";
  const CLI::App* used = &program;
  for (const CLI::App* sub : program.get_subcommands()) {
    name += " " + sub->get_name();
    used = sub;
  }
  return *used;
}

// CLI11 takes `--max-feedings ''` for the option given with an empty value, and the commands read
// an empty value as the option left out: a script whose variable is unset would lose its budget
// without a word. The first option of `used` given so ("--max-feedings"), or "".
std::string emptyValueGiven(const CLI::App& used) {
  for (const CLI::Option* option : used.get_options()) {
    if (option->get_expected_min() == 0) continue;  // a flag, which takes no value
    const std::vector<std::string>& values = option->results();
    if (std::any_of(values.begin(), values.end(),
                    [](const std::string& value) { return value.empty(); })) {
      return option->get_name();
    }
  }
  return "";
}

}  // namespace

int runCommandLine(int argc, const char* const* argv, const Console& console,
                   AnswerReader& reader) {
  CLI::App program("ostrel plans the feedings that raise a mag to the stats you want.", "ostrel");
  program.set_version_flag("--version", std::string("ostrel ") + OSTREL_VERSION,
                           "Print the version and exit");
  program.require_subcommand(0, 1);
  program.formatter(std::make_shared<HelpFormatter>());
  program.footer(
      "Without arguments ostrel asks its questions one by one (the dialogue); with --goal, "
      "--form or a budget (and --beam-width beside one of them) and no command, the dialogue "
      "plans with them.\n"
      "Examples:\n"
      "  ostrel plan --section skyly --class ramar --target 50/60/60/20\n"
      "  ostrel plan --section skyly --class ramar --target 50/60/60/20 --goal cheapest\n"
      "  ostrel forms --section purplenum --class humar --target 30/70/70/30\n"
      "  ostrel tradeoffs --section skyly --class ramar --target 50/60/60/20\n"
      "  ostrel --goal fewest\n"
      "  ostrel feed --section skyly --class ramar --items \"4 Sol Atomizer, 2 Moon Atomizer, "
      "Difluid\"\n"
      "Run 'ostrel COMMAND --help' for a command's options.");
  GoalOptionText dialogueGoal;
  addDialogueOptions(program, dialogueGoal);
  CommandText given;
  std::vector<const CLI::App*> commands;
  for (const Command& command : kCommands) {
    CLI::App* app = program.add_subcommand(command.name, command.description);
    command.declare(*app, given);
    commands.push_back(app);
  }

  // CLI11 would only say that a command is missing, or that a word was not expected; a word
  // where a command goes that names none is worth naming.
  const auto notACommand = [&console](const std::string& word) {
    return refuseUsage(
        "ostrel",
        "'" + word + "' is not a command; allowed: " + commandNames() + "; see 'ostrel --help'",
        console);
  };
  const std::string first = argc > 1 ? argv[1] : "";
  if (argc > 1 && (first.empty() || first[0] != '-') &&
      std::none_of(kCommands.begin(), kCommands.end(),
                   [&first](const Command& command) { return first == command.name; })) {
    return notACommand(first);
  }
  try {
    program.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::string name;
    commandUsed(program, name);
    std::fputs(program.help().c_str(), console.out);
    return outputWritten(name.c_str(), console) ? 0 : 1;
  } catch (const CLI::CallForAllHelp&) {
    std::fputs(program.help("", CLI::AppFormatMode::All).c_str(), console.out);
    return outputWritten("ostrel", console) ? 0 : 1;
  } catch (const CLI::CallForVersion& version) {
    std::fprintf(console.out, "%s\n", version.what());
    return outputWritten("ostrel", console) ? 0 : 1;
  } catch (const CLI::ParseError& error) {
    std::string command;
    const CLI::App& used = commandUsed(program, command);
    std::string text = parseErrorText(error);
    if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
      const std::vector<std::string> words = unplacedWords(program, argc, argv);
      // After the program's own options (ostrel --goal fewest plam), where a command would go.
      if (&used == &program && !words.empty() && !words[0].starts_with('-')) {
        return notACommand(words[0]);
      }
      const std::string unknown = unknownOptionText(program, used, words);
      if (unknown.ends_with('?')) return refuseUsage(command.c_str(), unknown, console);
      text = !unknown.empty() ? unknown : words.empty() ? text : unexpectedWordsText(words);
    }
    return refuseUsage(command.c_str(), text + "; see '" + command + " --help'", console);
  }
  std::string name;
  const CLI::App& used = commandUsed(program, name);
  using Given = std::pair<const CLI::App*, const char*>;  // options, and whose they are
  for (const auto& [options, words] : {Given{&program, "ostrel"}, Given{&used, name.c_str()}}) {
    if (const std::string empty = emptyValueGiven(*options); !empty.empty()) {
      return refuseUsage(
          words, empty + " '': an empty value; allowed: a value, or the option left out", console);
    }
  }
  const auto parsed = std::find_if(commands.begin(), commands.end(),
                                   [](const CLI::App* command) { return command->parsed(); });
  if (parsed != commands.end() && dialogueGoal.given()) {
    // Before a command they would be the dialogue's options, which no command runs.
    return refuseUsage(
        "ostrel",
        "--goal, --form, --beam-width, --threads and the budgets before a command are the "
        "dialogue's; allowed: the options after the command (ostrel plan --goal "
        "cheapest ...)",
        console);
  }
  if (parsed != commands.end()) return kCommands[parsed - commands.begin()].run(given, console);
  if (dialogueGoal.given()) {
    Request asked;
    const RequestRefusals refusals =
        readRequestOptions(RequestText{{}, {}, dialogueGoal}, kDialogueUse, asked);
    if (std::string refusal = goalRefusal(refusals); !refusal.empty()) {
      return refuseUsage("ostrel", refusal, console);
    }
    return runDialogue(reader, console, asked);
  }
  // Checked here rather than by CLI11, so that an unknown option is named first.
  return refuseUsage("ostrel",
                     "a command is required; allowed: " + commandNames() +
                         ", or --goal for the dialogue; see 'ostrel --help'",
                     console);
}

}  // namespace ostrel

// Fuzz target: the command line. The fuzz input, split at its newlines, is the argument vector
// after the program's name; CLI11 parses it and the command runs as in the program, with standard
// output and error to /dev/null and the plan files in a scratch directory made once per process.
// An input that names --dir is skipped: it could send plan files anywhere on the machine. The
// dialogue with a goal reads its answers from an empty input. Goal searches run with the beam
// width the input gives only up to 16: wider ones take seconds, which fuzzing cannot afford.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz_support.h"

namespace {

std::FILE* gDevNull = nullptr;  // the commands' output and error streams
std::FILE* gNoInput = nullptr;  // the dialogue's answers: none

// Whether the arguments may start a goal search wider than 16 mags per form: a goal other than
// first, a form or the forms command, without a narrow --beam-width.
bool wideGoalSearch(const std::vector<std::string>& args) {
  bool goal = false;
  bool narrow = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    goal = goal || arg == "forms" || arg.starts_with("--form") ||
           arg.find("cheapest") != std::string::npos || arg.find("fewest") != std::string::npos;
    if (arg == "--beam-width" && i + 1 < args.size()) {
      const std::string& width = args[i + 1];
      narrow = !width.empty() && width.size() <= 2 &&
               width.find_first_not_of("0123456789") == std::string::npos &&
               std::stoi(width) <= 16;
    }
  }
  return goal && !narrow;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  ostrel::fuzz::makePathsAbsolute(argc, argv);
  gDevNull = std::fopen("/dev/null", "w");
  gNoInput = std::fopen("/dev/null", "r");
  if (gDevNull == nullptr || gNoInput == nullptr) ostrel::fuzz::failSetup("/dev/null");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ostrel::fuzz::enterScratchDirectory();
  std::vector<std::string> args = {"ostrel"};
  std::string arg;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      args.push_back(arg);
      arg.clear();
    } else {
      arg += static_cast<char>(data[i]);
    }
  }
  if (size > 0) args.push_back(arg);
  std::vector<const char*> argv;
  for (const std::string& a : args) {
    if (a.starts_with("--dir")) return -1;  // not added to the corpus
    argv.push_back(a.c_str());
  }
  argv.push_back(nullptr);
  if (wideGoalSearch(args)) return -1;  // not added to the corpus

  const ostrel::Console console{gDevNull, gDevNull};
  ostrel::AnswerReader reader{gNoInput};
  std::rewind(gNoInput);
  const int status =
      ostrel::runCommandLine(static_cast<int>(args.size()), argv.data(), console, reader);
  // 0 done, 1 no plan, 2 usage error; anything else is a fault of the program.
  if (status < 0 || status > 2) std::abort();
  return 0;
}

// Fuzz target: the command line. The fuzz input, split at its newlines, is the argument vector
// after the program's name; CLI11 parses it and the command runs as in the program, with standard
// output and error to /dev/null and the plan files in a scratch directory made once per process.
// An input that names --dir is skipped: it could send plan files anywhere on the machine. The
// dialogue with a goal reads its answers from an empty input, so it never searches. Every command
// that runs goal searches (plan, forms, tradeoffs) runs them at most kFuzzBeamWidth wide and on
// one thread (narrowGoalSearches): wider ones take seconds under the sanitizers, which fuzzing
// cannot afford, and a timeout must mean a fault. Two threads are left out because the fuzzer's
// own bookkeeping of every comparison is shared by the threads, which then wait on each other's
// memory: a trade-off that takes 4 s on one thread took 24 s on two (the release build runs it
// faster on two). The tests run every search on both.
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/command_line.h"
#include "fuzz_support.h"
#include "plan/request.h"

namespace {

std::FILE* gDevNull = nullptr;  // the commands' output and error streams
std::FILE* gNoInput = nullptr;  // the dialogue's answers: none

// The widest beam the fuzzed commands search with.
constexpr int kFuzzBeamWidth = 4;

// Whether `text` is a whole number wider than kFuzzBeamWidth that --beam-width accepts: the
// widths it refuses stay as given, so that their refusals are fuzzed too.
bool wideAccepted(std::string_view text) {
  int width = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), width);
  return error == std::errc() && end == text.data() + text.size() && width > kFuzzBeamWidth &&
         width <= ostrel::kMostBeamWidth;
}

// Narrows the goal searches of a command that runs them: a --beam-width wider than
// kFuzzBeamWidth is cut to it, and where none is given, one is added after the command's name
// (not where the goal named is the first plan found, which refuses a beam width); --threads 2 is
// cut to 1, and where no thread count is given, --threads 1 is added. Refused values stay as
// given, so that their refusals are fuzzed too.
void narrowGoalSearches(std::vector<std::string>& args) {
  if (args.size() < 2 || (args[1] != "plan" && args[1] != "forms" && args[1] != "tradeoffs")) {
    return;
  }
  const std::string narrow = std::to_string(kFuzzBeamWidth);
  bool widthGiven = false;
  bool threadsGiven = false;
  bool first = false;
  for (std::size_t i = 2; i < args.size(); ++i) {
    std::string& arg = args[i];
    const bool next = i + 1 < args.size();
    first = first || arg == "--goal=first" || (arg == "--goal" && next && args[i + 1] == "first");
    if (arg == "--beam-width") {
      widthGiven = true;
      if (next && wideAccepted(args[i + 1])) args[i + 1] = narrow;
    } else if (arg.starts_with("--beam-width=")) {
      widthGiven = true;
      if (wideAccepted(std::string_view(arg).substr(13))) arg = "--beam-width=" + narrow;
    } else if (arg == "--threads") {
      threadsGiven = true;
      if (next && args[i + 1] == "2") args[i + 1] = "1";
    } else if (arg.starts_with("--threads=")) {
      threadsGiven = true;
      if (arg == "--threads=2") arg = "--threads=1";
    }
  }
  if (!threadsGiven) args.insert(args.begin() + 2, {"--threads", "1"});
  if (!widthGiven && !first) args.insert(args.begin() + 2, {"--beam-width", narrow});
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
  // Each argument as the program sees it: argv's strings end at their first NUL, so the checks
  // below look at no more than that either (an argument "tradeoffs\0h" is the command tradeoffs).
  std::vector<std::string> args = {"ostrel"};
  std::string arg;
  const auto take = [&] { args.push_back(arg.substr(0, arg.find('\0'))); };
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == '\n') {
      take();
      arg.clear();
    } else {
      arg += static_cast<char>(data[i]);
    }
  }
  if (size > 0) take();
  narrowGoalSearches(args);
  std::vector<const char*> argv;
  for (const std::string& a : args) {
    if (a.starts_with("--dir")) return -1;  // not added to the corpus
    argv.push_back(a.c_str());
  }
  argv.push_back(nullptr);

  const ostrel::Console console{gDevNull, gDevNull};
  ostrel::AnswerReader reader{gNoInput};
  std::rewind(gNoInput);
  const int status =
      ostrel::runCommandLine(static_cast<int>(args.size()), argv.data(), console, reader);
  // 0 done, 1 no plan, 2 usage error; anything else is a fault of the program.
  if (status < 0 || status > 2) std::abort();
  return 0;
}

// Fuzz target: the whole console dialogue with the fuzz input as standard input. Every question,
// answer check, plan search, plan file and the closing question runs as in the program; the
// console goes to /dev/null and the plan files to a scratch directory made once per process.
// Everything the dialogue keeps (PlannerState, AnswerReader, Console) is made afresh per input.
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/answer_reader.h"
#include "app/dialogue.h"

namespace {

std::FILE* gDevNull = nullptr;  // the console's output and error streams

[[noreturn]] void failSetup(const char* what) {
  std::perror(what);
  std::abort();
}

// The plan files are written to the working directory, so the target works in a scratch
// directory of its own, made in $TMPDIR if set, else in /dev/shm (every feeding of a plan opens,
// appends to and closes both plan files, which costs far less in memory than on a disk), else in
// /tmp. libFuzzer ends with _Exit, so the directory stays behind: fuzz/run.sh points TMPDIR into
// a directory of its own and removes that. The move happens at the first input, not at start-up:
// a parent process of -jobs runs no input and keeps its logs where it was started.
void enterScratchDirectory() {
  static bool entered = false;
  if (entered) return;
  std::vector<std::string> parents;
  if (const char* tmpdir = std::getenv("TMPDIR"); tmpdir != nullptr && *tmpdir != '\0') {
    parents.emplace_back(tmpdir);
  }
  parents.emplace_back("/dev/shm");
  parents.emplace_back("/tmp");
  for (const std::string& parent : parents) {
    std::string dir = parent + "/ostrel-fuzz-XXXXXX";
    if (mkdtemp(dir.data()) != nullptr && chdir(dir.c_str()) == 0) {
      entered = true;
      return;
    }
  }
  failSetup("scratch directory");
}

// libFuzzer keeps writing to the corpus directories and crash files after the move, so every
// relative path among its arguments is made absolute first, and crash files default to the
// directory the fuzzer was started in.
void makePathsAbsolute(int* argc, char*** argv) {
  char cwd[PATH_MAX];
  if (getcwd(cwd, sizeof cwd) == nullptr) failSetup("getcwd");
  std::string base = cwd;
  base += '/';
  static std::vector<std::string> args;
  bool artifactPrefixGiven = false;
  for (int i = 0; i < *argc; ++i) {
    std::string arg = (*argv)[i];
    if (i > 0 && !arg.empty() && arg[0] != '-' && arg[0] != '/') {
      arg.insert(0, base);  // a corpus directory or an input file
    }
    for (const std::string_view flag : {"-artifact_prefix=", "-exact_artifact_path=", "-dict=",
                                        "-merge_control_file="}) {
      if (arg.rfind(flag, 0) != 0) continue;
      if (flag == "-artifact_prefix=") artifactPrefixGiven = true;
      if (arg.size() > flag.size() && arg[flag.size()] != '/') arg.insert(flag.size(), base);
    }
    args.push_back(arg);
  }
  if (!artifactPrefixGiven) args.push_back("-artifact_prefix=" + base);
  static std::vector<char*> pointers;
  pointers.reserve(args.size() + 1);
  std::transform(args.begin(), args.end(), std::back_inserter(pointers),
                 [](std::string& arg) { return arg.data(); });
  pointers.push_back(nullptr);
  *argc = static_cast<int>(args.size());
  *argv = pointers.data();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  makePathsAbsolute(argc, argv);
  gDevNull = std::fopen("/dev/null", "w");
  if (gDevNull == nullptr) failSetup("/dev/null");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  enterScratchDirectory();
  // fmemopen refuses an empty buffer on some C libraries: an empty input reads an empty file.
  std::FILE* in = size == 0 ? std::fopen("/dev/null", "r")
                            : fmemopen(const_cast<std::uint8_t*>(data), size, "r");
  if (in == nullptr) failSetup("fmemopen");

  ostrel::PlannerState planner;
  ostrel::AnswerReader reader;
  reader.in = in;
  ostrel::Console console;
  console.out = gDevNull;
  console.err = gDevNull;
  const int status = ostrel::runDialogue(planner, reader, console);
  std::fclose(in);
  // The dialogue ends with 0 (the user declined another plan) or 1 (input ended while a question
  // waited); anything else is a fault of the program, not of the input.
  if (status != 0 && status != 1) std::abort();
  return 0;
}

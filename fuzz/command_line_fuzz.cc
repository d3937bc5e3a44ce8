// Fuzz target: the command line. The fuzz input, split at its newlines, is the argument vector
// after the program's name; CLI11 parses it and the command runs as in the program, with standard
// output and error to /dev/null and the plan files in a scratch directory made once per process.
// An input that names --dir is skipped: it could send plan files anywhere on the machine.
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

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  ostrel::fuzz::makePathsAbsolute(argc, argv);
  gDevNull = std::fopen("/dev/null", "w");
  if (gDevNull == nullptr) ostrel::fuzz::failSetup("/dev/null");
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

  const ostrel::Console console{gDevNull, gDevNull};
  const int status = ostrel::runCommandLine(static_cast<int>(args.size()), argv.data(), console);
  // 0 done, 1 no plan, 2 usage error; anything else is a fault of the program.
  if (status < 0 || status > 2) std::abort();
  return 0;
}

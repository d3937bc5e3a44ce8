// Running the real ostrel binary from a test: arguments, standard input, a working directory;
// standard output and error and the exit status come back.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.h"

namespace ostrel::testing {

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// A fresh, empty directory under the test program's scratch directory.
inline std::filesystem::path freshDirectory(const std::string& name) {
  static int made = 0;
  const std::filesystem::path dir = scratchDirectory.path / (name + "-" + std::to_string(++made));
  std::filesystem::create_directories(dir);
  return dir;
}

// Runs OSTREL_BINARY in `dir` with `args` and `input` on standard input. Output lands in files
// of the test's own (run.out, run.err), beside and not inside `dir` so that `dir` holds only what
// ostrel wrote; standard output goes to `outputTo` instead when given (/dev/full).
inline ProgramRun runOstrel(const std::vector<std::string>& args, const std::string& input,
                            const std::filesystem::path& dir, const std::string& outputTo = "") {
  const std::filesystem::path io = dir.string() + ".io";
  std::filesystem::create_directories(io);
  std::ofstream(io / "in", std::ios::binary) << input;
  // Built by appending: g++ 12 warns wrongly about a literal plus a temporary string.
  std::string command = "cd ";
  command += shellQuoted(dir.string()) + " && timeout 120 " OSTREL_BINARY;
  for (const std::string& arg : args) {
    command += ' ';
    command += shellQuoted(arg);
  }
  for (const auto& [redirect, stream] : {std::pair{" < ", "in"}, {" > ", "out"}, {" 2> ", "err"}}) {
    command += redirect;
    command +=
        shellQuoted(outputTo.empty() || stream[0] != 'o' ? (io / stream).string() : outputTo);
  }
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(io / "out"), readFile(io / "err")};
}

// A fresh directory holding old plan files, which a run must replace, empty or leave alone.
inline constexpr const char* kOldDetail = "an old detail file\n";
inline constexpr const char* kOldGrouped = "an old grouped file\n";

inline std::filesystem::path directoryWithOldPlan(const std::string& name) {
  const std::filesystem::path dir = freshDirectory(name);
  std::ofstream(dir / "feedingPlan.txt") << kOldDetail;
  std::ofstream(dir / "feedingPlan2.txt") << kOldGrouped;
  return dir;
}

inline bool keepsOldPlan(const std::filesystem::path& dir) {
  return readFile(dir / "feedingPlan.txt") == kOldDetail &&
         readFile(dir / "feedingPlan2.txt") == kOldGrouped;
}

// `args` and then `more`.
inline std::vector<std::string> with(std::vector<std::string> args,
                                     const std::vector<std::string>& more) {
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

// The plan lines of a dialogue's standard output: from the line after "READ STEPS FROM BOTTOM UP"
// up to "Mag successful!"; empty when it found no plan. They are what `ostrel plan` prints.
inline std::string dialoguePlanLines(const std::string& out) {
  const std::string from = "READ STEPS FROM BOTTOM UP\n";
  const std::size_t begin = out.find(from);
  if (begin == std::string::npos) return {};
  const std::size_t end = out.find("Mag successful!\n", begin);
  return out.substr(begin + from.size(), end - begin - from.size());
}

}  // namespace ostrel::testing

// What both fuzz targets share: a scratch directory for the plan files, and libFuzzer's own
// paths made absolute before the move there.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace ostrel::fuzz {

[[noreturn]] inline void failSetup(const char* what) {
  std::perror(what);
  std::abort();
}

// The plan files are written to the working directory, so the target works in a scratch
// directory of its own, made in $TMPDIR if set, else in /dev/shm (every feeding of a plan opens,
// appends to and closes both plan files, which costs far less in memory than on a disk), else in
// /tmp. libFuzzer ends with _Exit, so the directory stays behind: fuzz/run.sh points TMPDIR into
// a directory of its own and removes that. The move happens at the first input, not at start-up:
// a parent process of -jobs runs no input and keeps its logs where it was started.
inline void enterScratchDirectory() {
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
inline void makePathsAbsolute(int* argc, char*** argv) {
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
    for (const std::string_view flag :
         {"-artifact_prefix=", "-exact_artifact_path=", "-dict=", "-merge_control_file="}) {
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

}  // namespace ostrel::fuzz

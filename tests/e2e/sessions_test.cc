// End-to-end sessions: every folder in tests/golden/ is one scripted session (see its README). The
// real ostrel binary runs in a fresh temporary directory with the folder's `input` on standard
// input; standard output and error, the exit status and both plan files must match the folder
// byte for byte. The same holds for the dialogue started as `ostrel --goal first`.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_program.h"

namespace fs = std::filesystem;

namespace {

using ostrel::testing::readFile;

std::vector<std::string> sessionNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(OSTREL_GOLDEN_DIR)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  return names;
}

class SessionTest : public testing::TestWithParam<std::string> {};

TEST_P(SessionTest, MatchesGolden) {
  const fs::path golden = fs::path(OSTREL_GOLDEN_DIR) / GetParam();
  const auto has = [&](const char* name) { return fs::exists(golden / name); };
  for (const char* args : {"", " --goal first"}) {
    SCOPED_TRACE(args);
    // ostrel's working directory, which also takes its output
    const std::string dir = ostrel::testing::freshDirectory(GetParam()).string();
    const char* const planFiles[] = {"feedingPlan.txt", "feedingPlan2.txt"};
    for (const char* name : planFiles) {
      if (has("plan_files_are_directories")) fs::create_directory(dir + "/" + name);
    }
    // Standard output to a file, the full device, or a pipe whose reading end is already closed.
    std::string out = "'" + dir + "/stdout'";
    int pipeEnds[2] = {-1, -1};
    if (has("stdout_dev_full")) out = "/dev/full";
    if (has("stdout_closed_pipe") && pipe(pipeEnds) == 0 && close(pipeEnds[0]) == 0) {
      out = "&" + std::to_string(pipeEnds[1]);
    }
    // A program that loops is stopped after a minute, or when it has written megabytes to a file.
    const int status = std::system(("cd '" + dir + "' && ulimit -f 16384 && timeout 60 " +
                                    OSTREL_BINARY + args + " < '" + (golden / "input").string() +
                                    "' >" + out + " 2> '" + dir + "/stderr'")
                                       .c_str());
    if (pipeEnds[1] >= 0) close(pipeEnds[1]);

    EXPECT_EQ(readFile(golden / "stdout"),
              readFile(dir + "/stdout"));  // both missing if not a file
    EXPECT_EQ(has("stderr") ? readFile(golden / "stderr") : "", readFile(dir + "/stderr"));
    EXPECT_EQ(std::stoi(readFile(golden / "status")), WEXITSTATUS(status));
    for (const char* name : planFiles) {  // "<missing>" if absent; a directory reads as empty
      EXPECT_EQ(readFile(golden / name), readFile(dir + "/" + name)) << name;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Golden, SessionTest, testing::ValuesIn(sessionNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace

// End-to-end sessions: every folder in tests/golden/ is one scripted session (see its README). The
// real ostrel binary runs in a fresh temporary directory with the folder's `input` on standard
// input; standard output and error, the exit status and both plan files must match the folder
// byte for byte. The same holds for the dialogue started as `ostrel --goal first`, but for its
// banner, which says what its search does, and the line after each search that gave up saying
// that a goal may find a plan (asGoalFirst).
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "plan/report/plan_document.h"
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

// The output of `ostrel --goal first` given the session's `golden` output, the banner taken from
// `shown` (the help's rows pin it): the dialogue as ever, and the hint after giving up.
std::string asGoalFirst(const std::string& golden, const std::string& shown) {
  const std::string pause = "\n\npress enter to continue..\n";
  if (golden.find(pause) == std::string::npos || shown.find(pause) == std::string::npos) {
    return golden;
  }
  std::string expected = shown.substr(0, shown.find(pause)) + golden.substr(golden.find(pause));
  std::string hint = ostrel::firstGaveUpHint("ostrel --goal cheapest") + "\n";
  hint[0] = 'A';
  const std::string gaveUp = "Sorry, I cant figure a way! :(\nfailed to create Mag\n";
  for (std::size_t at = expected.find(gaveUp); at != std::string::npos;
       at = expected.find(gaveUp, at)) {
    at += gaveUp.size();
    expected.insert(at, hint);
  }
  return expected;
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
    std::string command = "cd '" + dir + "' && ulimit -f 16384 && timeout 60 ";
    command.append(OSTREL_BINARY).append(args).append(" < '").append((golden / "input").string());
    command.append("' >").append(out).append(" 2> '").append(dir).append("/stderr'");
    const int status = std::system(command.c_str());
    if (pipeEnds[1] >= 0) close(pipeEnds[1]);

    const std::string shown = readFile(dir + "/stdout");  // both missing if not a file
    const std::string goldenOut = readFile(golden / "stdout");
    EXPECT_EQ(*args == '\0' ? goldenOut : asGoalFirst(goldenOut, shown), shown);
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

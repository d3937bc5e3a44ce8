// End-to-end sessions: every folder in tests/golden/ is one scripted session. The real ostrel
// binary runs in a fresh temporary directory with the folder's `input` on standard input; its
// standard output, exit status (`status`) and both plan files must match the folder byte for
// byte, and a plan file missing from the folder must not exist. Standard error must be non-empty
// if the folder holds a `stderr_nonempty` marker and empty otherwise (its text is not compared).
// A `plan_files_are_directories` marker puts directories in the place of both plan files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const fs::path kGoldenDir = OSTREL_GOLDEN_DIR;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> sessionNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(kGoldenDir)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Runs ostrel in `dir` with standard input from `input` and its output streams to `out` and
// `err`; returns the exit status, or -1 if it did not exit. A program that loops is stopped after
// a minute or at 4 MiB written to one file.
int runOstrel(const fs::path& dir, const fs::path& input, const fs::path& out,
              const fs::path& err) {
  const pid_t pid = fork();
  if (pid == 0) {
    const rlimit fileSize{4 << 20, 4 << 20};
    setrlimit(RLIMIT_FSIZE, &fileSize);
    alarm(60);
    const int fds[] = {open(input.c_str(), O_RDONLY),
                       open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                       open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)};
    for (int fd = 0; fd < 3; ++fd) {
      if (fds[fd] < 0 || dup2(fds[fd], fd) < 0) _exit(127);
    }
    if (chdir(dir.c_str()) == 0) execl(OSTREL_BINARY, OSTREL_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(GoldenSessions, FolderHoldsSessions) { EXPECT_FALSE(sessionNames().empty()); }

class SessionTest : public testing::TestWithParam<std::string> {};

TEST_P(SessionTest, MatchesGolden) {
  const fs::path golden = kGoldenDir / GetParam();
  std::string root = (fs::temp_directory_path() / "ostrel-e2e-XXXXXX").string();
  ASSERT_NE(mkdtemp(root.data()), nullptr);
  const fs::path work = fs::path(root) / "work";
  fs::create_directory(work);
  const bool directories = fs::exists(golden / "plan_files_are_directories");
  const char* const planFiles[] = {"feedingPlan.txt", "feedingPlan2.txt"};
  for (const char* name : planFiles) {
    if (directories) fs::create_directory(work / name);
  }

  const int status = runOstrel(work, golden / "input", root + "/stdout", root + "/stderr");

  EXPECT_EQ(readFile(golden / "stdout"), readFile(root + "/stdout"));
  EXPECT_EQ(std::stoi(readFile(golden / "status")), status);
  EXPECT_EQ(fs::exists(golden / "stderr_nonempty"), fs::file_size(root + "/stderr") > 0)
      << "standard error: " << readFile(root + "/stderr");
  for (const char* name : planFiles) {
    if (directories) {
      EXPECT_TRUE(fs::is_directory(work / name)) << name;
    } else if (!fs::exists(golden / name)) {
      EXPECT_FALSE(fs::exists(work / name)) << name;
    } else {
      EXPECT_TRUE(fs::is_regular_file(work / name)) << name;
      EXPECT_EQ(readFile(golden / name), readFile(work / name)) << name;
    }
  }
  fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Golden, SessionTest, testing::ValuesIn(sessionNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                           return info.param;
                         });

}  // namespace

// Standard output that cannot be written: the real ostrel binary, on a scripted session that
// finds a plan, must neither crash nor claim success. It ends with a non-zero exit status and
// exactly one line on standard error, whether output goes to a full device or a closed pipe.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Outcome {
  bool exited = false;  // false if the program was killed by a signal (or not run at all)
  int status = -1;
  std::string errors;
};

// Runs ostrel in a fresh temporary directory on a session that plans a new mag to 5/0/0/1 and
// declines another plan, with standard output on `outFd`.
Outcome runWithOutput(int outFd) {
  std::string dir = (fs::temp_directory_path() / "ostrel-output-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr) return {};
  std::ofstream(fs::path(dir) / "input") << "\n0\n0\n1\n5\n0\n0\n1\nn\n";
  const pid_t pid = fork();
  if (pid == 0) {
    alarm(60);
    const int in = open((fs::path(dir) / "input").c_str(), O_RDONLY);
    const int err = open((fs::path(dir) / "err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (in < 0 || err < 0 || dup2(in, 0) < 0 || dup2(outFd, 1) < 0 || dup2(err, 2) < 0 ||
        chdir(dir.c_str()) != 0) {
      _exit(127);
    }
    execl(OSTREL_BINARY, OSTREL_BINARY, static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  Outcome outcome;
  if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
    outcome.exited = true;
    outcome.status = WEXITSTATUS(status);
  }
  std::ostringstream errors;
  errors << std::ifstream(fs::path(dir) / "err").rdbuf();
  outcome.errors = errors.str();
  fs::remove_all(dir);
  return outcome;
}

void expectReportedFailure(const Outcome& outcome) {
  EXPECT_TRUE(outcome.exited) << "killed by a signal";
  EXPECT_NE(outcome.status, 0);
  EXPECT_NE(outcome.status, 127) << "the binary could not be started";
  ASSERT_FALSE(outcome.errors.empty());
  EXPECT_EQ(outcome.errors.find('\n'), outcome.errors.size() - 1)
      << "not exactly one line:\n" << outcome.errors;
  EXPECT_NE(outcome.errors.find("standard output"), std::string::npos) << outcome.errors;
}

TEST(OutputFailure, FullDeviceEndsWithErrorStatusAndOneLine) {
  const int full = open("/dev/full", O_WRONLY);
  ASSERT_GE(full, 0);
  expectReportedFailure(runWithOutput(full));
  close(full);
}

TEST(OutputFailure, ClosedPipeEndsWithErrorStatusAndOneLine) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  close(fds[0]);  // nobody reads: every write fails, and would raise SIGPIPE if not ignored
  expectReportedFailure(runWithOutput(fds[1]));
  close(fds[1]);
}

}  // namespace

// What both benchmarks need to run each case in a process of its own, so that its cpu time and
// peak memory are those of one whole search as a user would see them.
#pragma once

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

// POSIX has the program declare it; glibc declares it too when _GNU_SOURCE is on.
extern char** environ;  // NOLINT(readability-redundant-declaration)

namespace ostrel::bench {

// Runs this same program with `args` (argv[0] first, null last) and waits for it; returns its
// exit status, or -1 when it did not run or did not exit. `usage`, when given, receives what the
// child used (its cpu time).
inline int childExitStatus(char* const args[], rusage* usage = nullptr) {
  pid_t child;
  if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, args, environ) != 0) return -1;
  int status = 0;
  rusage used{};
  wait4(child, &status, 0, &used);
  if (usage != nullptr) *usage = used;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The cpu time (user and system) in `usage`.
inline double cpuSecondsOf(const rusage& usage) {
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The cpu time (user and system) this process has used so far.
inline double cpuSecondsUsed(rusage& usage) {
  getrusage(RUSAGE_SELF, &usage);
  return cpuSecondsOf(usage);
}

// Whether the child with `args` ran and exited with status 0.
inline bool runChild(char* const args[]) { return childExitStatus(args) == 0; }

}  // namespace ostrel::bench

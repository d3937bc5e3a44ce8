// The kernel's count of runnable threads (the fourth field of /proc/loadavg, "runnable/total") is
// read at once, as it is now, unlike the load averages, which lag by a minute. One glance can
// catch a program that runs for a moment (the shell that started ostrel, a clock's tick, the
// progress line's watcher starting): about one glance in a hundred on an idle machine. So a busy
// answer is looked at again a few times, a moment apart, and the machine counts as busy only if it
// is busy at every glance; a game that keeps the cores busy is runnable at all of them. Between
// glances the thread waits awake: asleep, it would leave its core idle, which on a busy machine
// the kernel hands at once to another program, and the search would start on a core it shares.
#include "plan/goal/free_cores.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sched.h>
#include <unistd.h>
#define OSTREL_SEES_RUNNABLE 1
#endif

namespace ostrel {
namespace {

#ifdef OSTREL_SEES_RUNNABLE
constexpr int kGlances = 4;
constexpr auto kBetweenGlances = std::chrono::microseconds(250);

// The cores this program may run on: those of the machine that its affinity allows; 0 where
// neither can be read.
int coresAllowed() {
  const long online = sysconf(_SC_NPROCESSORS_ONLN);
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  const int mine = sched_getaffinity(0, sizeof allowed, &allowed) == 0 ? CPU_COUNT(&allowed) : 0;
  if (online <= 0) return mine;
  return mine > 0 ? std::min(mine, static_cast<int>(online)) : static_cast<int>(online);
}

void waitAwake(std::chrono::microseconds wait) {
  const auto until = std::chrono::steady_clock::now() + wait;
  while (std::chrono::steady_clock::now() < until) {
  }
}

// The runnable threads now, or none where the kernel's load file cannot be read.
std::optional<int> glance() {
  std::FILE* file = std::fopen("/proc/loadavg", "r");
  if (file == nullptr) return std::nullopt;
  std::array<char, 128> line{};
  const bool read = std::fgets(line.data(), line.size(), file) != nullptr;
  std::fclose(file);
  return read ? runnableIn(line.data()) : std::nullopt;
}
#endif

}  // namespace

bool twoCoresFree(const CoresSeen& seen) {
  const int others = seen.runnable - 1;
  return seen.cores >= 2 && seen.cores - others >= 2;
}

std::optional<int> runnableIn(const char* line) {
  int runnable = 0;
  int total = 0;
  if (std::sscanf(line, "%*f %*f %*f %d/%d", &runnable, &total) != 2 || runnable < 1) {
    return std::nullopt;
  }
  return runnable;
}

bool coreFreeForSecondThread() {
#ifdef OSTREL_SEES_RUNNABLE
  CoresSeen seen{.cores = coresAllowed(), .runnable = 0};
  if (seen.cores == 0) return true;
  if (seen.cores < 2) return false;
  for (int look = 0; look < kGlances; ++look) {
    if (look > 0) waitAwake(kBetweenGlances);
    const std::optional<int> runnable = glance();
    if (!runnable) return true;
    seen.runnable = *runnable;
    if (twoCoresFree(seen)) return true;
  }
  return false;
#else
  return true;
#endif
}

std::int32_t threadsToRun(const GoalOptions& options) {
  const bool decided = options.twoThreads != nullptr || options.threads < 2;
  if (decided || !options.oneThreadWhenBusy || coreFreeForSecondThread()) return options.threads;
  return 1;
}

}  // namespace ostrel

#undef OSTREL_SEES_RUNNABLE

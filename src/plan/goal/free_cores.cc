// The kernel's count of runnable threads (the fourth field of /proc/loadavg, "runnable/total") is
// read at once, as it is now, unlike the load averages, which lag by a minute.
#include "plan/goal/free_cores.h"

#include <algorithm>
#include <array>
#include <cstdio>

#if defined(__linux__) && !defined(__EMSCRIPTEN__)
#include <sched.h>
#include <unistd.h>
#define OSTREL_SEES_RUNNABLE 1
#endif

namespace ostrel {
namespace {

#ifdef OSTREL_SEES_RUNNABLE
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

bool coreIdleFor(const CoresSeen& seen) { return seen.runnable + 1 <= seen.cores; }

std::optional<int> runnableIn(const char* line) {
  int runnable = 0;
  int total = 0;
  if (std::sscanf(line, "%*f %*f %*f %d/%d", &runnable, &total) != 2 || runnable < 1) {
    return std::nullopt;
  }
  return runnable;
}

bool coreIdleNow() {
#ifdef OSTREL_SEES_RUNNABLE
  const int cores = coresAllowed();
  if (cores == 0) return true;
  const std::optional<int> runnable = glance();
  return !runnable || coreIdleFor({.cores = cores, .runnable = *runnable});
#else
  return true;
#endif
}

}  // namespace ostrel

#undef OSTREL_SEES_RUNNABLE

// Search benchmark. Each case runs in a process of its own so that its cpu time and peak memory
// are those of a whole run of the search, as a user would see them.
//
//   ostrel_bench                 every case, remembering and plain search, as a table
//   ostrel_bench CASE [plain]    one case in this process (hopeless, deep, long)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_process.h"
#include "plan/first_found/search.h"

namespace {

struct BenchCase {
  const char* name;
  // cppcheck-suppress unusedStructMember ; says in the table what each case is
  const char* about;
  ostrel::MagState start;
  ostrel::Target target;
  double cpuTargetSeconds;  // for the remembering search; the plain one has its own below
  double plainCpuTargetSeconds;
};

constexpr BenchCase kCases[] = {
    {"hopeless",
     "new mag to 5/0/0/195, gives up",
     ostrel::kBabyMag,
     {5, 0, 0, 195, 200},
     0.010,
     0.15},
    {"deep",
     "diwari 11/1/0/35 to 38/29/97/36, loops, gives up",
     {42, 11, 1, 0, 35, 84, 0, 53, 6, 47},
     {38, 29, 97, 36, 200},
     0.010,
     0.20},
    {"long",
     "new mag to 50/50/50/50, found",
     ostrel::kBabyMag,
     {50, 50, 50, 50, 200},
     0.020,
     0.020},
};

// Runs one case here and prints one line: result, nodes, states, depth, cpu, peak memory.
int runCase(const BenchCase& bench, bool remember) {
  char scratch[] = "/tmp/ostrel-bench-XXXXXX";
  if (mkdtemp(scratch) == nullptr || chdir(scratch) != 0) {
    std::perror("ostrel_bench: scratch directory");
    return 1;
  }
  std::FILE* nowhere = std::fopen("/dev/null", "w");
  const ostrel::Console console{nowhere, stderr};
  const ostrel::PlayerRequest request{{}, bench.target};
  ostrel::SearchCounters counters;
  ostrel::PlanFiles files;
  ostrel::SearchOptions options;
  options.remember = remember;
  ostrel::SearchStats stats;
  const int found =
      ostrel::searchPlan(request, counters, files, bench.start, console, options, &stats);
  std::fclose(nowhere);
  std::remove("feedingPlan.txt");
  std::remove("feedingPlan2.txt");
  rmdir(scratch);

  rusage usage{};
  const double cpu = ostrel::bench::cpuSecondsUsed(usage);
  const double target = remember ? bench.cpuTargetSeconds : bench.plainCpuTargetSeconds;
  std::printf(
      "%-9s %-9s found=%d nodes=%.0f states=%llu reused=%llu loops=%llu depth=%zu "
      "cpu=%.4fs (target %.3fs) peak=%ldKB nodes/s=%.3g\n",
      bench.name, remember ? "remember" : "plain", found, counters.nodeCount,
      static_cast<unsigned long long>(stats.statesExpanded),
      static_cast<unsigned long long>(stats.countsReused),
      static_cast<unsigned long long>(stats.loopsFound), stats.maxDepth, cpu, target,
      usage.ru_maxrss, cpu > 0 ? counters.nodeCount / cpu : 0.0);
  return 0;
}

int runAll(const char* self) {
  int failures = 0;
  for (const BenchCase& bench : kCases) {
    for (const char* mode : {"remember", "plain"}) {
      std::fflush(stdout);
      char* args[] = {const_cast<char*>(self), const_cast<char*>(bench.name),
                      const_cast<char*>(mode), nullptr};
      if (!ostrel::bench::runChild(args)) ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 1) return runAll(argv[0]);
  const bool remember = !(argc > 2 && std::strcmp(argv[2], "plain") == 0);
  for (const BenchCase& bench : kCases) {
    if (std::strcmp(argv[1], bench.name) == 0) return runCase(bench, remember);
  }
  std::fprintf(stderr, "usage: ostrel_bench [hopeless|deep|long [plain]]\n");
  return 2;
}

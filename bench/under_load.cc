// The load mode: the spinning processes, the three arms of each case and the verdicts.
#include "bench/under_load.h"

#include <sched.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "bench/bench_process.h"
#include "bench/goal_cases.h"
#include "bench/goal_targets.h"
#include "plan/goal/goal.h"

namespace ostrel::bench {
namespace {

// The value below which the fraction `at` of `values` lies (not empty), between the two nearest
// when it falls between them: 0.5 is the median.
double quantileOf(std::vector<double> values, double at) {
  std::sort(values.begin(), values.end());
  const double place = at * static_cast<double>(values.size() - 1);
  const auto below = static_cast<std::size_t>(place);
  const std::size_t above = std::min(below + 1, values.size() - 1);
  const double past = place - static_cast<double>(below);
  return values[below] * (1 - past) + values[above] * past;
}

double medianOf(const std::vector<double>& values) { return quantileOf(values, 0.5); }

// How much slower two threads may be than one under load and still count as costing nothing.
constexpr double kLoadTolerance = 1.05;

// The machine's load over the last minute, beside what this program runs.
double loadAverage() {
  double load[1] = {0};
  return getloadavg(load, 1) == 1 ? load[0] : -1;
}

// How a case is run in the load mode: its arms, each a process of its own per round.
struct LoadArm {
  const char* threads;  // the THREADS of the case's command line
  const char* label;
};
// One thread; two as the program asks them (on one where the cores are busy); and two made to
// run whatever the machine, the control: where they cost no more than one, the machine's load
// does not test the program's choice.
constexpr LoadArm kLoadArms[] = {{"1", "1"}, {"2", "2"}, {"2f", "2 made"}};
constexpr std::size_t kArms = std::size(kLoadArms);

// One run of a case on the arm's threads in a process of its own: its wall time, start to exit,
// and its cpu time; false when it failed.
bool timeCase(const char* self, const BenchTarget& bench, const GoalName& goal, const LoadArm& arm,
              double& wall, double& cpu) {
  const std::string widthText = std::to_string(GoalOptions{}.beamWidth);
  std::printf("threads %-6s  ", arm.label);
  std::fflush(stdout);
  char* args[] = {const_cast<char*>(self),       const_cast<char*>(bench.name),
                  const_cast<char*>(goal.name),  const_cast<char*>(widthText.c_str()),
                  const_cast<char*>(arm.threads), nullptr};
  rusage usage{};
  const auto begin = std::chrono::steady_clock::now();
  const int status = childExitStatus(args, &usage);
  wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  cpu = cpuSecondsOf(usage);
  if (!caseRan(status)) std::printf("(failed: exit status %d)\n", status);
  return caseRan(status);
}

// The load mode's spinning processes: one for each core this program may run on, each in a
// session of its own and held to its core.
class Spinners {
 public:
  // Starts them and waits until each is held to its core; false (and none left) where one could
  // not start or be held.
  bool start() {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    int ready[2];
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || pipe(ready) != 0) return false;
    const pid_t bench = getpid();
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
      if (!CPU_ISSET(cpu, &allowed)) continue;
      const pid_t child = fork();
      if (child == 0) spin(bench, cpu, ready);
      if (child < 0) break;
      pids_.push_back(child);
    }
    close(ready[1]);
    // Each spinner tells once whether it is held to its core; the cases start only then.
    std::size_t held = 0;
    char answer = 0;
    while (held < pids_.size() && read(ready[0], &answer, 1) == 1 && answer == 1) ++held;
    close(ready[0]);
    if (held == static_cast<std::size_t>(CPU_COUNT(&allowed))) return true;
    std::fprintf(stderr, "ostrel_goal_bench load: %zu of %d spinning processes held to a core\n",
                 held, CPU_COUNT(&allowed));
    stop();
    return false;
  }

  void stop() {
    for (const pid_t spinner : pids_) {
      kill(spinner, SIGKILL);
      waitpid(spinner, nullptr, 0);
    }
    pids_.clear();
  }

  std::size_t count() const { return pids_.size(); }

 private:
  [[noreturn]] static void spin(pid_t bench, int cpu, const int ready[2]) {
    close(ready[0]);
    // Killed when the bench ends, however it ends: in a session of its own, a spinner no longer
    // gets the signals of the bench's terminal, and one left spinning would weigh on every later
    // measurement. (The bench may have ended before this took hold.)
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != bench) _exit(0);
    // A session of its own, as the game's client has: where autogroups are on (most desktops),
    // the machine is shared between sessions first, and spinners in the benchmark's session
    // would leave two threads a larger share of it than one (two of four threads against one
    // of three), a gain that a game started apart does not leave.
    setsid();
    // Held to a core: free to move, the spinners left a case alone on a core in some runs and
    // sharing one in others, so that two runs of the same case differed as much as the choice of
    // threads can. Held, a case shares a core with a spinner in every run, and a second thread
    // shares the other.
    cpu_set_t core;
    CPU_ZERO(&core);
    CPU_SET(cpu, &core);
    const char held = sched_setaffinity(0, sizeof core, &core) == 0 ? 1 : 0;
    if (write(ready[1], &held, 1) != 1 || held == 0) _exit(1);
    close(ready[1]);
    // A loop with no side effect may be assumed to end: the atomic keeps it spinning.
    std::atomic<unsigned long> spinning{0};
    for (;;) spinning.fetch_add(1, std::memory_order_relaxed);
  }

  std::vector<pid_t> pids_;
};

}  // namespace

// Every target with the goals named in `goals` (and only the targets it names, if any) in each
// arm of kLoadArms, `rounds` times, beside Spinners. Within a round each case runs its arms back
// to back, their order turning from case to case and round to round, so that all see the same
// machine: whatever else runs on it (another build, another benchmark) weighs on all alike, where
// a case's runs a minute apart saw different machines. The verdict of a case is the median over
// the rounds of its ratio two threads / one (a round where a run failed counts for none); beside
// it the quartiles of that ratio (its spread), the control's (two threads made to run / one),
// and the median wall and cpu times; at the end how many cases two threads run within
// kLoadTolerance of one (or faster), and in how many the control is slower by more. Exits with 0
// only where every case is within and no run failed.
int runUnderLoad(const char* self, const char* goals, int rounds) {
  const double loadBefore = loadAverage();
  Spinners spinners;
  if (!spinners.start()) return 1;
  std::printf("under load: %zu spinning processes, each held to a core, %d rounds; load average "
              "before %.2f\n",
              spinners.count(), rounds, loadBefore);
  struct Case {
    const BenchTarget* bench;
    const GoalName* goal;
    std::vector<double> walls[kArms];
    std::vector<double> cpus[kArms];
    std::vector<double> ratios;   // per round: two threads' wall / one's
    std::vector<double> control;  // and two threads made to run / one
  };
  std::vector<Case> cases;
  const bool someTargets = std::any_of(
      std::begin(kTargets), std::end(kTargets),
      [&](const BenchTarget& bench) { return namedIn(goals, bench.name); });
  for (const BenchTarget& bench : kTargets) {
    if (someTargets && !namedIn(goals, bench.name)) continue;
    for (const GoalName& goal : kGoals) {
      if (namedIn(goals, goal.name)) cases.push_back({&bench, &goal, {}, {}, {}, {}});
    }
  }
  int failures = 0;
  for (int round = 0; round < rounds; ++round) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
      Case& each = cases[i];
      double wall[kArms] = {};
      double cpu[kArms] = {};
      bool ran = true;
      for (std::size_t step = 0; step < kArms; ++step) {
        const std::size_t arm = (static_cast<std::size_t>(round) + i + step) % kArms;
        if (!timeCase(self, *each.bench, *each.goal, kLoadArms[arm], wall[arm], cpu[arm])) {
          ++failures;
          ran = false;
        }
      }
      if (!ran) continue;
      for (std::size_t arm = 0; arm < kArms; ++arm) {
        each.walls[arm].push_back(wall[arm]);
        each.cpus[arm].push_back(cpu[arm]);
      }
      each.ratios.push_back(wall[1] / wall[0]);
      each.control.push_back(wall[2] / wall[0]);
    }
  }
  spinners.stop();
  std::printf(
      "\n%d rounds, medians (wall: the process's, start to exit); ratio: the median of the rounds' "
      "ratios 2 threads / 1, between its quartiles; made: 2 threads made to run / 1\n"
      "%-23s %-12s %7s %7s %7s %7s %7s %7s %6s %13s %6s\n",
      rounds, "target", "goal", "wall 1", "wall 2", "made", "cpu 1", "cpu 2", "made", "ratio",
      "quartiles", "made");
  int within = 0;
  int controlBeyond = 0;
  for (const Case& each : cases) {
    if (each.ratios.empty()) {
      std::printf("%-23s %-12s every round failed\n", each.bench->name, each.goal->name);
      continue;
    }
    const double ratio = medianOf(each.ratios);
    if (ratio <= kLoadTolerance) ++within;
    if (medianOf(each.control) > kLoadTolerance) ++controlBeyond;
    std::printf("%-23s %-12s %7.2f %7.2f %7.2f %7.2f %7.2f %7.2f %6.3f %6.3f-%5.3f %6.3f\n",
                each.bench->name, each.goal->name, medianOf(each.walls[0]),
                medianOf(each.walls[1]), medianOf(each.walls[2]), medianOf(each.cpus[0]),
                medianOf(each.cpus[1]), medianOf(each.cpus[2]), ratio,
                quantileOf(each.ratios, 0.25), quantileOf(each.ratios, 0.75),
                medianOf(each.control));
  }
  std::printf("two threads within %.0f%% of one: %d of %zu; made to run, beyond it: %d of %zu; "
              "runs failed: %d; load average after %.2f\n",
              (kLoadTolerance - 1) * 100, within, cases.size(), controlBeyond, cases.size(),
              failures, loadAverage());
  if (controlBeyond == 0) {
    std::printf("the control cost nothing either: this load does not test the choice of threads\n");
  }
  return failures == 0 && within == static_cast<int>(cases.size()) ? 0 : 1;
}

}  // namespace ostrel::bench

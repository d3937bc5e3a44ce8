// Benchmark of the plans with a goal on the reference targets: for every target and goal, the
// plan's feedings, meseta and final form, wall and cpu time and peak memory, beside the first-found
// plan's feedings and meseta; "forms" is the listing of the forms (the cheapest plan of every form
// the search reaches), "forms-fewest" the listing by feedings (the shortest plan of every form),
// "tradeoffs" the trade-off between feedings and meseta (its shortest plan's feedings, its
// cheapest plan's meseta, and how many plans lie between). Each case runs in a process of its
// own, so that its times and peak memory are those of one whole plan. Beside each result stands
// the reference it is measured against and their ratio: for the cheapest plan and the listing, the
// least meseta that the search of 2026-12 found at any of the widths 500, 2000 and 5000; for the
// shortest, the fewest feedings it found at its default width. A ratio above 1 is a plan worse
// than that. "Mfed" counts the feedings the beams simulated, in millions: the work, as
// the times are, but the same on every machine and run.
//
//   ostrel_goal_bench                        every target and goal, as a table
//   ostrel_goal_bench smoke                  the same with a narrow beam, quickly (for CI)
//   ostrel_goal_bench wide                   the cheapest and shortest plans at the widths
//                                            2000 and 5000, for comparison (minutes)
//   ostrel_goal_bench load [GOALS]           every target with the goals named (default: the
//                                            cheapest, the fewest and the trade-off) on one
//                                            thread and on two, beside a spinning process per
//                                            core: a player's machine busy with the game
//   ostrel_goal_bench TARGET GOAL [WIDTH [THREADS]]   one case in this process

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_process.h"
#include "model/tables.h"
#include "plan/goal/goal.h"
#include "plan/tradeoff/tradeoffs.h"

namespace {

struct BenchTarget {
  const char* name;
  ostrel::SectionId sectionId;
  ostrel::CharClass charClass;
  ostrel::MagState start;
  ostrel::Target target;
  int referenceMeseta;    // the least meseta of the widths 500, 2000 and 5000
  int referenceFeedings;  // the fewest feedings at width 500
};

constexpr ostrel::MagState kGrownVaruna{2, 8, 12, 3, 2, 40, 70, 10, 0, 25};

constexpr BenchTarget kTargets[] = {
    {"purplenum-humar", 0, 0, ostrel::kBabyMag, {30, 70, 70, 30, 200}, 92700, 858},
    {"viridia-hucast", 3, 1, ostrel::kBabyMag, {5, 145, 50, 0, 200}, 81660, 1164},
    {"greenill-racast", 6, 5, ostrel::kBabyMag, {15, 0, 35, 150, 200}, 133120, 731},
    {"pinkal-fomar", 8, 8, ostrel::kBabyMag, {60, 60, 40, 40, 200}, 108160, 702},
    {"redria-hunewearl", 1, 2, ostrel::kBabyMag, {5, 100, 95, 0, 200}, 62160, 1076},
    {"bluefull-ramarl", 5, 6, ostrel::kBabyMag, {20, 20, 20, 20, 80}, 41140, 272},
    {"oran-fonewm", 7, 9, ostrel::kBabyMag, {45, 40, 15, 100, 200}, 129740, 649},
    {"skyly-racaseal", 2, 7, kGrownVaruna, {20, 110, 50, 20, 200}, 71100, 665},
};

enum class Run {
  kPlan,       // the goal's plan
  kForms,      // the listing of the forms: the best plan of every form, by the goal
  kTradeoffs,  // the trade-off from the shortest plan to the cheapest
};
struct GoalName {
  const char* name;
  ostrel::Goal goal;
  Run run;
};
constexpr GoalName kGoals[] = {
    {"first", ostrel::Goal::kFirst, Run::kPlan},
    {"cheapest", ostrel::Goal::kCheapest, Run::kPlan},
    {"fewest", ostrel::Goal::kFewest, Run::kPlan},
    {"forms", ostrel::Goal::kCheapest, Run::kForms},
    {"forms-fewest", ostrel::Goal::kFewest, Run::kForms},
    {"tradeoffs", ostrel::Goal::kCheapest, Run::kTradeoffs},
};

constexpr int kSmokeWidth = 16;

// The trade-off as one result: the cheapest plan at its end, with the shortest plan's feedings in
// place of its own feedings and the number of points in place of its form.
ostrel::GoalResult tradeoffsAsResult(const ostrel::PlayerRequest& request,
                                     const ostrel::MagState& start,
                                     const ostrel::GoalOptions& options, char (&form)[24]) {
  const ostrel::Tradeoffs found = ostrel::findTradeoffs(request, start, options);
  ostrel::GoalResult result = found.cheapest;
  result.feedingsTried = found.feedingsTried;
  if (!found.front.empty()) {
    result.outcome = ostrel::GoalOutcome::kFound;
    result.plan = found.front.back();
    result.plan.feedings.resize(static_cast<std::size_t>(found.front.front().feedCount()));
    std::snprintf(form, sizeof form, "%d points", static_cast<int>(found.front.size()));
  }
  return result;
}

// Runs one case here and prints its line of the table.
int runCase(const BenchTarget& bench, const GoalName& goal, int width, int threads) {
  const ostrel::PlayerRequest request{{bench.sectionId, bench.charClass}, bench.target};
  ostrel::GoalOptions options;
  options.goal = goal.goal;
  options.beamWidth = width;
  options.threads = threads;
  options.everyForm = goal.run == Run::kForms;
  char form[24] = "";
  const auto begin = std::chrono::steady_clock::now();
  const ostrel::GoalResult result = goal.run == Run::kTradeoffs
                                        ? tradeoffsAsResult(request, bench.start, options, form)
                                        : ostrel::planForGoal(request, bench.start, options);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  rusage usage{};
  const double cpu = ostrel::bench::cpuSecondsUsed(usage);

  char plan[64] = "none";
  if (result.outcome == ostrel::GoalOutcome::kFound) {
    // The listing of the forms shows how many forms it found a plan for.
    if (goal.run == Run::kForms) {
      const auto found =
          std::count_if(result.forms.begin(), result.forms.end(),
                        [](const ostrel::FormResult& each) { return each.best.has_value(); });
      std::snprintf(form, sizeof form, "%d forms", static_cast<int>(found));
    } else if (goal.run == Run::kPlan) {
      std::snprintf(form, sizeof form, "%s", ostrel::kMagTypeNames[result.plan.reached.type]);
    }
    std::snprintf(plan, sizeof plan, "%5d %9.0f %-9s", result.plan.feedCount(), result.plan.cost,
                  form);
  }
  // The first-found plan has no reference of its own: its ratio is to the cheapest's.
  char reference[32] = "";
  const bool fewest = goal.goal == ostrel::Goal::kFewest;
  const double referenceValue = fewest ? bench.referenceFeedings : bench.referenceMeseta;
  if (result.outcome == ostrel::GoalOutcome::kFound) {
    const double value = fewest ? result.plan.feedCount() : result.plan.cost;
    std::snprintf(reference, sizeof reference, "%9.0f %5.3f", referenceValue,
                  value / referenceValue);
  }
  char first[64] = "none";
  if (result.first) {
    std::snprintf(first, sizeof first, "%5d %9.0f", result.first->feedCount(), result.first->cost);
  }
  std::printf("%-17s %-12s %-25s %-15s %6.2f %6.2f %6.1f %6.1f   %s\n", bench.name, goal.name, plan,
              reference, wall, cpu, static_cast<double>(usage.ru_maxrss) / 1024.0,
              static_cast<double>(result.feedingsTried) / 1e6, first);
  return result.outcome == ostrel::GoalOutcome::kFound ? 0 : 1;
}

// Every target with the goals `goals` (all of them when null) at `width`, one process a case.
int runAll(const char* self, int width, const char* goals = nullptr) {
  std::printf("width %d\n%-17s %-12s %5s %9s %-9s %9s %5s %6s %6s %6s %6s   %5s %9s\n", width,
              "target", "goal", "feeds", "meseta", "form", "reference", "ratio", "wall s", "cpu s",
              "peakMB", "Mfed", "first", "meseta");
  int failures = 0;
  const std::string widthText = std::to_string(width);
  for (const BenchTarget& bench : kTargets) {
    for (const GoalName& goal : kGoals) {
      if (goals != nullptr && std::strstr(goals, goal.name) == nullptr) continue;
      std::fflush(stdout);
      char* args[] = {const_cast<char*>(self), const_cast<char*>(bench.name),
                      const_cast<char*>(goal.name), const_cast<char*>(widthText.c_str()), nullptr};
      if (!ostrel::bench::runChild(args)) ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}

// Every target with `goals` on one thread and then on two, while as many processes as there are
// cores spin beside them (started here and ended before returning).
int runUnderLoad(const char* self, const char* goals) {
  const unsigned cores = std::max(1U, std::thread::hardware_concurrency());
  std::vector<pid_t> spinners;
  for (unsigned i = 0; i < cores; ++i) {
    const pid_t child = fork();
    if (child == 0) {
      // A loop with no side effect may be assumed to end: the atomic keeps it spinning.
      std::atomic<unsigned long> spin{0};
      for (;;) spin.fetch_add(1, std::memory_order_relaxed);
    }
    if (child > 0) spinners.push_back(child);
  }
  std::printf("under load: %zu spinning processes\n", spinners.size());
  int failures = 0;
  const std::string widthText = std::to_string(ostrel::GoalOptions{}.beamWidth);
  for (const BenchTarget& bench : kTargets) {
    for (const GoalName& goal : kGoals) {
      if (std::strstr(goals, goal.name) == nullptr) continue;
      for (const char* threads : {"1", "2"}) {
        std::printf("threads %s  ", threads);
        std::fflush(stdout);
        char* args[] = {const_cast<char*>(self),           const_cast<char*>(bench.name),
                        const_cast<char*>(goal.name),      const_cast<char*>(widthText.c_str()),
                        const_cast<char*>(threads), nullptr};
        if (!ostrel::bench::runChild(args)) ++failures;
      }
    }
  }
  for (const pid_t spinner : spinners) {
    kill(spinner, SIGKILL);
    waitpid(spinner, nullptr, 0);
  }
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  constexpr int kDefaultWidth = ostrel::GoalOptions{}.beamWidth;
  if (argc == 1) return runAll(argv[0], kDefaultWidth);
  if (argc == 2 && std::strcmp(argv[1], "smoke") == 0) return runAll(argv[0], kSmokeWidth);
  if (argc == 2 && std::strcmp(argv[1], "wide") == 0) {
    const int narrower = runAll(argv[0], 2000, "cheapest fewest");
    const int wider = runAll(argv[0], 5000, "cheapest fewest");
    return narrower == 0 && wider == 0 ? 0 : 1;
  }
  if (argc >= 2 && std::strcmp(argv[1], "load") == 0) {
    return runUnderLoad(argv[0], argc > 2 ? argv[2] : "cheapest fewest tradeoffs");
  }
  if (argc >= 3) {
    const int width = argc > 3 ? std::atoi(argv[3]) : kDefaultWidth;
    const int threads = argc > 4 ? std::atoi(argv[4]) : 2;
    for (const BenchTarget& bench : kTargets) {
      for (const GoalName& goal : kGoals) {
        if (std::strcmp(argv[1], bench.name) == 0 && std::strcmp(argv[2], goal.name) == 0 &&
            width > 0 && threads > 0) {
          return runCase(bench, goal, width, threads);
        }
      }
    }
  }
  std::fprintf(stderr, "usage: ostrel_goal_bench [smoke | wide | load [GOALS] | TARGET GOAL [WIDTH [THREADS]]]\n");
  return 2;
}

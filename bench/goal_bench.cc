// Benchmark of the plans with a goal on the reference targets (goal_targets.h): for every target
// and goal, the plan's feedings, meseta and final form, wall and cpu time and peak memory, beside
// the first-found plan's feedings and meseta; "forms" is the listing of the forms (the cheapest
// plan of every form the search reaches), "forms-fewest" the listing by feedings (the shortest plan
// of every form), "tradeoffs" the trade-off between feedings and meseta (its shortest plan's
// feedings, its cheapest plan's meseta, and how many plans lie between). Each case runs in a
// process of its own, so that its times and peak memory are those of one whole plan. Beside each
// result stands the reference it is measured against and their ratio: for the shortest plan the
// fewest feedings found at any width, for the others the least meseta; and for the cheapest plan at
// the widths 500, 2000 and 5000, its ratio to the release of 2026-12-07's plan at that width
// ("rel"). A ratio above 1 is a plan worse than that. "bound" is the plan's ratio to the least
// that any plan can spend (or take, for the shortest): 1.000 proves it the best. The shortest plan
// is also told within 1% of its reference or not ("1%"), and each table ends with how many are.
// "Mfed" counts the feedings the beams simulated, in millions: the work, as the times are, but the
// same on every machine and run.
//
//   ostrel_goal_bench                        the eight targets, every goal, as a table
//   ostrel_goal_bench smoke                  the same with a narrow beam, quickly (for CI)
//   ostrel_goal_bench wide                   the cheapest and shortest plans at the widths
//                                            2000 and 5000, for comparison (minutes)
//   ostrel_goal_bench load [GOALS [ROUNDS]]  the eight targets (or those GOALS names beside the
//                                            goals) with the goals named (default: the
//                                            cheapest, the fewest and the trade-off) on one
//                                            thread, asked for two (as ostrel asks: on one where
//                                            the cores are busy) and made to run two (the
//                                            control), back to back, beside a spinning process
//                                            per core: a player's machine busy with the game;
//                                            ROUNDS times (default 9), then the median of each
//                                            case's ratios and their spread
//   ostrel_goal_bench random [WIDTH]         the cheapest and shortest plans of the eight
//                                            targets, then of the random set (minutes)
//   ostrel_goal_bench references eight|random fewest|cheapest [FROM]
//                                            the goal's plans at the widths 500 to 5000 and
//                                            their best, in this process (an hour)
//   ostrel_goal_bench draw NEW GROWN SEED    rows of random targets for goal_targets.h
//   ostrel_goal_bench TARGET GOAL [WIDTH [THREADS]]   one case in this process (THREADS 2f:
//                                            two threads made to run, even on a busy machine)

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench/bench_process.h"
#include "bench/goal_cases.h"
#include "bench/goal_targets.h"
#include "bench/random_targets.h"
#include "bench/under_load.h"
#include "model/tables.h"
#include "plan/goal/goal.h"
#include "plan/tradeoff/tradeoffs.h"

namespace {

using ostrel::bench::BenchTarget;
using ostrel::bench::caseRan;
using ostrel::bench::GoalName;
using ostrel::bench::kCaseFound;
using ostrel::bench::kCaseFoundBeyond;
using ostrel::bench::kCaseNotFound;
using ostrel::bench::kGoals;
using ostrel::bench::namedIn;
using ostrel::bench::Run;

constexpr int kSmokeWidth = 16;

// Whether the shortest plan of `goal` for `bench` is measured against a reference.
bool shortestWithReference(const BenchTarget& bench, const GoalName& goal) {
  return goal.goal == ostrel::Goal::kFewest && goal.run == Run::kPlan &&
         bench.referenceFeedings > 0;
}

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

// The release of 2026-12-07's cheapest plan for `bench` at `width` (0: none, or not measured).
int releaseMesetaAt(const BenchTarget& bench, int width) {
  for (int i = 0; i < 3; ++i) {
    if (ostrel::bench::kReleaseWidths[i] == width) return bench.releaseMeseta[i];
  }
  return 0;
}

// Runs one case here and prints its line of the table.
// `madeToRun`: two threads run whatever the machine (the load mode's control).
int runCase(const BenchTarget& bench, const GoalName& goal, int width, int threads,
            bool madeToRun) {
  const ostrel::PlayerRequest request{{bench.sectionId, bench.charClass}, bench.target};
  ostrel::GoalOptions options;
  options.goal = goal.goal;
  options.beamWidth = width;
  options.threads = threads;
  // As the program runs its searches: asked for two threads, on one where the cores are busy.
  options.oneThreadWhenBusy = !madeToRun;
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
  char release[16] = "";
  const bool fewest = goal.goal == ostrel::Goal::kFewest;
  const double referenceValue = fewest ? bench.referenceFeedings : bench.referenceMeseta;
  if (result.outcome == ostrel::GoalOutcome::kFound && referenceValue > 0) {
    const double value = fewest ? result.plan.feedCount() : result.plan.cost;
    std::snprintf(reference, sizeof reference, "%9.0f %5.3f", referenceValue,
                  value / referenceValue);
    const int released = releaseMesetaAt(bench, width);
    if (goal.goal == ostrel::Goal::kCheapest && goal.run == Run::kPlan && released > 0) {
      std::snprintf(release, sizeof release, "%5.3f", result.plan.cost / released);
    }
  }
  // Within 1%: at most a hundredth more feedings than the fewest that any width found.
  const bool found = result.outcome == ostrel::GoalOutcome::kFound;
  const bool beyond = found && shortestWithReference(bench, goal) &&
                      result.plan.feedCount() * 100 > bench.referenceFeedings * 101;
  const char* within = "";
  if (shortestWithReference(bench, goal)) within = found && !beyond ? "yes" : "no";
  // The plan against the least that any plan can spend (or take): 1.000 is proven the best.
  char aboveBound[16] = "";
  if (found && goal.run == Run::kPlan && result.bound && result.bound->reachable) {
    const double least = fewest ? static_cast<double>(result.bound->feedings)
                                : static_cast<double>(result.bound->meseta);
    const double value = fewest ? result.plan.feedCount() : result.plan.cost;
    if (least > 0) std::snprintf(aboveBound, sizeof aboveBound, "%5.3f", value / least);
  }
  char first[64] = "none";
  if (result.first) {
    std::snprintf(first, sizeof first, "%5d %9.0f", result.first->feedCount(), result.first->cost);
  }
  std::printf("%-23s %-12s %-25s %-15s %-3s %-5s %-5s %6.2f %6.2f %6.1f %6.1f   %s\n", bench.name,
              goal.name, plan, reference, within, release, aboveBound, wall, cpu,
              static_cast<double>(usage.ru_maxrss) / 1024.0,
              static_cast<double>(result.feedingsTried) / 1e6, first);
  if (!found) return kCaseNotFound;
  return beyond ? kCaseFoundBeyond : kCaseFound;
}

// What one table's run counts: the cases without a plan (or that failed to run), and the shortest
// plans measured against a reference and how many of them lie within 1% of it.
struct TableCount {
  int failures = 0;
  int shortest = 0;
  int within = 0;
};

// The count line of `count`, when the table had shortest plans with a reference.
void printWithin(const char* label, const TableCount& count) {
  if (count.shortest == 0) return;
  std::printf("%swithin 1%% of the best-of-widths: %d of %d\n", label, count.within,
              count.shortest);
}

// The targets `targets` with the goals `goals` (all of them when null) at `width`, one process a
// case, ended by the count of shortest plans within 1% of their reference.
TableCount runTable(const char* self, std::span<const BenchTarget> targets, int width,
                    const char* goals = nullptr) {
  std::printf(
      "width %d\n%-23s %-12s %5s %9s %-9s %9s %5s %-3s %-5s %-5s %6s %6s %6s %6s   %5s %9s\n",
      width, "target", "goal", "feeds", "meseta", "form", "reference", "ratio", "1%", "rel",
      "bound", "wall s", "cpu s", "peakMB", "Mfed", "first", "meseta");
  TableCount count;
  const std::string widthText = std::to_string(width);
  for (const BenchTarget& bench : targets) {
    for (const GoalName& goal : kGoals) {
      if (goals != nullptr && !namedIn(goals, goal.name)) continue;
      std::fflush(stdout);
      char* args[] = {const_cast<char*>(self), const_cast<char*>(bench.name),
                      const_cast<char*>(goal.name), const_cast<char*>(widthText.c_str()), nullptr};
      const int status = ostrel::bench::childExitStatus(args);
      if (!caseRan(status)) ++count.failures;
      if (shortestWithReference(bench, goal)) {
        ++count.shortest;
        if (status == kCaseFound) ++count.within;
      }
    }
  }
  printWithin("", count);
  return count;
}

// One table, as the program's exit status: 1 when a case found no plan.
int runAll(const char* self, std::span<const BenchTarget> targets, int width,
           const char* goals = nullptr) {
  return runTable(self, targets, width, goals).failures == 0 ? 0 : 1;
}

// The cheapest and shortest plans of the eight targets and then of the random set at `width`,
// with the count of shortest plans within 1% of their reference over both.
int runBothSets(const char* self, int width) {
  const TableCount eight = runTable(self, ostrel::bench::kTargets, width, "cheapest fewest");
  const TableCount drawn = runTable(self, ostrel::bench::kRandomTargets, width, "cheapest fewest");
  const TableCount both{eight.failures + drawn.failures, eight.shortest + drawn.shortest,
                        eight.within + drawn.within};
  printWithin("both sets: ", both);
  return both.failures == 0 ? 0 : 1;
}

// The widths the references are the best of.
constexpr int kReferenceWidths[] = {500, 1000, 2000, 5000};

// The plan of `goal` at `width` for `bench`, in this process; none when not found.
std::optional<ostrel::Plan> planAt(const BenchTarget& bench, ostrel::Goal goal, int width) {
  const ostrel::PlayerRequest request{{bench.sectionId, bench.charClass}, bench.target};
  ostrel::GoalOptions options;
  options.goal = goal;
  options.beamWidth = width;
  ostrel::GoalResult result = ostrel::planForGoal(request, bench.start, options);
  if (result.outcome != ostrel::GoalOutcome::kFound) return std::nullopt;
  return std::move(result.plan);
}

// For every target, the plans of `goal` at the reference widths and the best of them (the
// shortest plan's feedings or the cheapest plan's meseta; 0: none found), the stored reference
// beside them.
int printReferences(std::span<const BenchTarget> targets, ostrel::Goal goal) {
  if (targets.empty()) return 2;
  const bool fewest = goal == ostrel::Goal::kFewest;
  std::printf("%-24s %s at the widths 500, 1000, 2000, 5000; the best; the reference\n", "target",
              fewest ? "feedings" : "meseta");
  for (const BenchTarget& bench : targets) {
    int best = 0;
    std::printf("%-24s", bench.name);
    for (const int width : kReferenceWidths) {
      const std::optional<ostrel::Plan> plan = planAt(bench, goal, width);
      const int value = !plan ? 0 : fewest ? plan->feedCount() : static_cast<int>(plan->cost);
      if (value > 0 && (best == 0 || value < best)) best = value;
      std::printf(" %7d", value);
      std::fflush(stdout);
    }
    std::printf("  %7d  %7d\n", best, fewest ? bench.referenceFeedings : bench.referenceMeseta);
  }
  return 0;
}

// Rows for goal_targets.h: `count` targets for a new mag, then `grown` for a grown mag, drawn
// with `seed`; a target that neither goal reaches at the default width is drawn again. The
// references are left 0, for `references` to fill in.
int printDrawn(int count, int grown, unsigned seed) {
  std::mt19937 rng(seed);
  for (int i = 0; i < count + grown;) {
    const ostrel::bench::DrawnTarget drawn =
        i < count ? ostrel::bench::randomTarget(rng) : ostrel::bench::randomGrownTarget(rng);
    char number[16];
    std::snprintf(number, sizeof number, "r%02d-", i + 1);
    std::string name = std::string(number) + ostrel::kSectionIdNames[drawn.player.sectionId] + "-" +
                       ostrel::kCharClassNames[drawn.player.charClass];
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    const BenchTarget bench{name.c_str(),
                            drawn.player.sectionId,
                            drawn.player.charClass,
                            drawn.start,
                            drawn.target,
                            0,
                            0,
                            {}};
    if (!planAt(bench, ostrel::Goal::kFewest, ostrel::GoalOptions{}.beamWidth) &&
        !planAt(bench, ostrel::Goal::kCheapest, ostrel::GoalOptions{}.beamWidth)) {
      continue;
    }
    const ostrel::MagState& s = drawn.start;
    char start[64] = "kBabyMag";
    if (!(s == ostrel::kBabyMag)) {
      std::snprintf(start, sizeof start, "{%d, %d, %d, %d, %d, %d, %d, %d, %d, %d}", s.type, s.def,
                    s.pow, s.dex, s.mind, s.defBar, s.powBar, s.dexBar, s.mindBar, s.level);
    }
    const ostrel::Target& t = drawn.target;
    std::printf("    {\"%s\", %d, %d, %s, {%d, %d, %d, %d, %d}, 0, 0, {0, 0, 0}},\n", name.c_str(),
                drawn.player.sectionId, drawn.player.charClass, start, t.def, t.pow, t.dex, t.mind,
                t.level);
    std::fflush(stdout);
    ++i;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  using ostrel::bench::kRandomTargets;
  using ostrel::bench::kTargets;
  constexpr int kDefaultWidth = ostrel::GoalOptions{}.beamWidth;
  if (argc == 1) return runAll(argv[0], kTargets, kDefaultWidth);
  if (argc == 2 && std::strcmp(argv[1], "smoke") == 0) {
    return runAll(argv[0], kTargets, kSmokeWidth);
  }
  if (argc == 2 && std::strcmp(argv[1], "wide") == 0) {
    const int narrower = runAll(argv[0], kTargets, 2000, "cheapest fewest");
    const int wider = runAll(argv[0], kTargets, 5000, "cheapest fewest");
    return narrower == 0 && wider == 0 ? 0 : 1;
  }
  if (argc <= 3 && std::strcmp(argv[1], "random") == 0) {
    const int width = argc > 2 ? std::atoi(argv[2]) : kDefaultWidth;
    if (width > 0) return runBothSets(argv[0], width);
  }
  if ((argc == 4 || argc == 5) && std::strcmp(argv[1], "references") == 0) {
    const bool random = std::strcmp(argv[2], "random") == 0;
    if (!random && std::strcmp(argv[2], "eight") != 0) return 2;
    std::span<const BenchTarget> targets =
        random ? std::span<const BenchTarget>(kRandomTargets) : kTargets;
    // From the target named, for a run split in parts.
    while (argc == 5 && !targets.empty() && std::strcmp(targets.front().name, argv[4]) != 0) {
      targets = targets.subspan(1);
    }
    if (std::strcmp(argv[3], "fewest") == 0) return printReferences(targets, ostrel::Goal::kFewest);
    if (std::strcmp(argv[3], "cheapest") == 0) {
      return printReferences(targets, ostrel::Goal::kCheapest);
    }
  }
  if (argc == 5 && std::strcmp(argv[1], "draw") == 0) {
    return printDrawn(std::atoi(argv[2]), std::atoi(argv[3]),
                      static_cast<unsigned>(std::atoi(argv[4])));
  }
  if (argc >= 2 && std::strcmp(argv[1], "load") == 0) {
    const int rounds = argc > 3 ? std::atoi(argv[3]) : ostrel::bench::kDefaultLoadRounds;
    if (rounds < 1) {
      std::fprintf(stderr, "ostrel_goal_bench load: ROUNDS '%s': not a whole number of 1 or more\n",
                   argv[3]);
      return 2;
    }
    return ostrel::bench::runUnderLoad(argv[0], argc > 2 ? argv[2] : "cheapest fewest tradeoffs", rounds);
  }
  if (argc >= 3) {
    const int width = argc > 3 ? std::atoi(argv[3]) : kDefaultWidth;
    const int threads = argc > 4 ? std::atoi(argv[4]) : 2;
    // "2f": two threads made to run, even where the cores are busy.
    const bool madeToRun = argc > 4 && std::strcmp(argv[4], "2f") == 0;
    for (const std::span<const BenchTarget> targets :
         {std::span<const BenchTarget>(kTargets), std::span<const BenchTarget>(kRandomTargets)}) {
      for (const BenchTarget& bench : targets) {
        for (const GoalName& goal : kGoals) {
          if (std::strcmp(argv[1], bench.name) == 0 && std::strcmp(argv[2], goal.name) == 0 &&
              width > 0 && threads > 0) {
            return runCase(bench, goal, width, threads, madeToRun);
          }
        }
      }
    }
  }
  std::fprintf(stderr,
               "usage: ostrel_goal_bench [smoke | wide | load [GOALS [ROUNDS]] | random [WIDTH] | "
               "references eight|random fewest|cheapest [FROM] | "
               "draw NEW GROWN SEED | TARGET GOAL [WIDTH [THREADS]]]\n");
  return 2;
}

// Benchmark of the lower bound (plan/bound/lower_bound.h) against the plans the goal searches
// find: for the eight reference targets of ostrel_goal_bench and for seeded random ones (a new
// mag, random section ID and class, target levels 20..200), the bound on meseta and on feedings,
// the cheapest plan's meseta and the shortest plan's feedings (planForGoal at the default width),
// each plan's ratio to its bound (1.000: the plan is proven the best possible), the time both
// bounds took (planBounds) and the time the bounds of every form of a listing took (formBounds),
// each the median of several runs (cpu time per target; the summary gives wall time too). A summary
// gives the median and worst ratios of each set and how many plans are within 10% of their bound.
//
// Soundness: every plan the two goals return (the goal's plan, the first plan found, and the best
// plan of every form) must cost at least the bound, and at least the bound of the form it ends in;
// a target the bound calls unreachable must have no plan. A breach is printed and the benchmark
// exits with status 1.
//
//   ostrel_bound_bench              the reference targets and 40 random ones
//   ostrel_bound_bench N            the reference targets and N random ones
//   ostrel_bound_bench N bounds     the bounds and their times alone, without the plans (fast)

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include "model/tables.h"
#include "plan/bound/lower_bound.h"
#include "plan/goal/goal.h"

namespace {

constexpr int kDefaultRandomCount = 40;
constexpr int kTimedRuns = 5;

struct BenchTarget {
  std::string name;
  ostrel::Player player;
  ostrel::MagState start;
  ostrel::Target target;
};

constexpr ostrel::MagState kGrownVaruna{2, 8, 12, 3, 2, 40, 70, 10, 0, 25};

ostrel::Target targetOf(std::int32_t def, std::int32_t pow, std::int32_t dex, std::int32_t mind) {
  return {def, pow, dex, mind, def + pow + dex + mind};
}

// The targets of ostrel_goal_bench.
std::vector<BenchTarget> referenceTargets() {
  return {
      {"purplenum-humar", {0, 0}, ostrel::kBabyMag, targetOf(30, 70, 70, 30)},
      {"viridia-hucast", {3, 1}, ostrel::kBabyMag, targetOf(5, 145, 50, 0)},
      {"greenill-racast", {6, 5}, ostrel::kBabyMag, targetOf(15, 0, 35, 150)},
      {"pinkal-fomar", {8, 8}, ostrel::kBabyMag, targetOf(60, 60, 40, 40)},
      {"redria-hunewearl", {1, 2}, ostrel::kBabyMag, targetOf(5, 100, 95, 0)},
      {"bluefull-ramarl", {5, 6}, ostrel::kBabyMag, targetOf(20, 20, 20, 20)},
      {"oran-fonewm", {7, 9}, ostrel::kBabyMag, targetOf(45, 40, 15, 100)},
      {"skyly-racaseal", {2, 7}, kGrownVaruna, targetOf(20, 110, 50, 20)},
  };
}

// Seeded random targets for a new mag: a level of 20..200 shared out at random over the four
// stats (def at least its 5), with a random section ID and class. The draws use the generator's
// raw numbers, so they are the same with every standard library.
std::vector<BenchTarget> randomTargets(int count) {
  std::mt19937 rng(20270101);
  const auto below = [&rng](std::uint32_t n) { return static_cast<std::int32_t>(rng() % n); };
  std::vector<BenchTarget> targets;
  for (int i = 0; i < count; ++i) {
    const std::int32_t level = 20 + below(181);
    // Three cuts of the levels above def's 5 give the four shares.
    std::int32_t cuts[3] = {below(level - 4), below(level - 4), below(level - 4)};
    std::sort(cuts, cuts + 3);
    const ostrel::SectionId section = below(ostrel::kSectionIdCount);
    const ostrel::CharClass charClass = below(ostrel::kCharClassCount);
    targets.push_back(
        {"random-" + std::to_string(i + 1),
         {section, charClass},
         ostrel::kBabyMag,
         targetOf(5 + cuts[0], cuts[1] - cuts[0], cuts[2] - cuts[1], level - 5 - cuts[2])});
  }
  return targets;
}

// The cpu time this thread has used: the bound's own time, whatever else runs on the machine.
double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

struct Timing {
  double wall = 0;
  double cpu = 0;
};

// The medians of the wall and cpu times of `runs` calls of `work`, in seconds.
template <typename Work>
Timing medianTiming(int runs, Work work) {
  std::vector<double> wall;
  std::vector<double> cpu;
  for (int run = 0; run < runs; ++run) {
    const auto begin = std::chrono::steady_clock::now();
    const double cpuBegin = threadCpuSeconds();
    work();
    cpu.push_back(threadCpuSeconds() - cpuBegin);
    wall.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

// A plan's value over its bound, or 0 when there is no plan or no bound.
double ratio(double plan, double bound) { return plan > 0 && bound > 0 ? plan / bound : 0; }

struct Summary {
  std::vector<double> meseta;
  std::vector<double> feedings;
  std::vector<double> boundWall;
  std::vector<double> boundCpu;
  std::vector<double> listingWall;
  std::vector<double> listingCpu;
  int unreachable = 0;
};

// Every plan a goal returned: the goal's, the first found, the best of each form.
std::vector<const ostrel::Plan*> plansOf(const ostrel::GoalResult& result) {
  std::vector<const ostrel::Plan*> plans;
  if (result.outcome == ostrel::GoalOutcome::kFound) plans.push_back(&result.plan);
  if (result.first) plans.push_back(&*result.first);
  for (const ostrel::FormResult& form : result.forms) {
    if (form.best) plans.push_back(&*form.best);
  }
  return plans;
}

// Checks `plan` against the bound of any form and of the form it ends in; prints each breach.
int breaches(const BenchTarget& bench, const ostrel::Plan& plan, const ostrel::PlanBound& any,
             const std::array<ostrel::PlanBound, ostrel::kMagTypeCount>& forms) {
  int found = 0;
  const ostrel::MagType form = plan.reached.type;
  for (const ostrel::PlanBound* bound : {&any, &forms[form]}) {
    const bool below = bound->reachable && bound->meseta <= static_cast<std::int64_t>(plan.cost) &&
                       bound->feedings <= plan.feedCount();
    if (below) continue;
    ++found;
    std::printf(
        "UNSOUND: %s, a plan of %.0f meseta and %d feedings ending as %s: bound %s%lld "
        "meseta, %lld feedings\n",
        bench.name.c_str(), plan.cost, plan.feedCount(), ostrel::kMagTypeNames[form],
        bound->reachable ? "" : "unreachable, ", static_cast<long long>(bound->meseta),
        static_cast<long long>(bound->feedings));
  }
  return found;
}

void printSummary(const char* set, Summary& summary) {
  for (std::vector<double>* values :
       {&summary.meseta, &summary.feedings, &summary.boundWall, &summary.boundCpu,
        &summary.listingWall, &summary.listingCpu}) {
    values->erase(std::remove(values->begin(), values->end(), 0.0), values->end());
    std::sort(values->begin(), values->end());
  }
  const auto median = [](const std::vector<double>& v) { return v.empty() ? 0 : v[v.size() / 2]; };
  const auto worst = [](const std::vector<double>& v) { return v.empty() ? 0 : v.back(); };
  const auto within = [](const std::vector<double>& v) {
    return static_cast<int>(std::count_if(v.begin(), v.end(), [](double r) { return r <= 1.1; }));
  };
  std::printf(
      "%-10s meseta: median %5.3f worst %5.3f, %d of %zu within 10%%;  feedings: median %5.3f "
      "worst %5.3f, %d of %zu within 10%%;  proven unreachable %d\n",
      set, median(summary.meseta), worst(summary.meseta), within(summary.meseta),
      summary.meseta.size(), median(summary.feedings), worst(summary.feedings),
      within(summary.feedings), summary.feedings.size(), summary.unreachable);
  std::printf(
      "%-10s both bounds, ms wall (cpu): median %.1f (%.1f), slowest %.1f (%.1f);  every form of a "
      "listing: median %.1f (%.1f), slowest %.1f (%.1f)\n",
      set, median(summary.boundWall) * 1e3, median(summary.boundCpu) * 1e3,
      worst(summary.boundWall) * 1e3, worst(summary.boundCpu) * 1e3,
      median(summary.listingWall) * 1e3, median(summary.listingCpu) * 1e3,
      worst(summary.listingWall) * 1e3, worst(summary.listingCpu) * 1e3);
}

// Runs one set of targets; returns the number of soundness breaches.
int runSet(const char* set, const std::vector<BenchTarget>& targets, bool withPlans) {
  Summary summary;
  int breached = 0;
  for (const BenchTarget& bench : targets) {
    const ostrel::PlayerRequest request{bench.player, bench.target};
    ostrel::PlanBounds bounds;
    std::array<ostrel::PlanBound, ostrel::kMagTypeCount> forms;
    const Timing boundTime =
        medianTiming(kTimedRuns, [&] { bounds = ostrel::planBounds(request, bench.start); });
    const Timing listingTime =
        medianTiming(kTimedRuns, [&] { forms = ostrel::formBounds(request, bench.start); });
    summary.boundWall.push_back(boundTime.wall);
    summary.boundCpu.push_back(boundTime.cpu);
    summary.listingWall.push_back(listingTime.wall);
    summary.listingCpu.push_back(listingTime.cpu);
    const ostrel::PlanBound& b = bounds.any;
    if (!b.reachable) ++summary.unreachable;
    double cheapest = 0;
    double fewest = 0;
    if (withPlans) {
      for (const ostrel::Goal goal : {ostrel::Goal::kCheapest, ostrel::Goal::kFewest}) {
        ostrel::GoalOptions options;
        options.goal = goal;
        const ostrel::GoalResult result = ostrel::planForGoal(request, bench.start, options);
        if (result.outcome == ostrel::GoalOutcome::kFound) {
          (goal == ostrel::Goal::kCheapest ? cheapest : fewest) =
              goal == ostrel::Goal::kCheapest ? result.plan.cost : result.plan.feedCount();
        }
        for (const ostrel::Plan* plan : plansOf(result)) {
          // cppcheck-suppress useStlAlgorithm ; each breach is printed as it is found
          breached += breaches(bench, *plan, b, forms);
        }
      }
    }
    const double mesetaRatio = ratio(cheapest, static_cast<double>(b.meseta));
    const double feedingsRatio = ratio(fewest, static_cast<double>(b.feedings));
    summary.meseta.push_back(mesetaRatio);
    summary.feedings.push_back(feedingsRatio);
    char who[40];
    std::snprintf(who, sizeof who, "%s %s", ostrel::kSectionIdNames[bench.player.sectionId],
                  ostrel::kCharClassNames[bench.player.charClass]);
    std::printf("%-17s %-19s %3d/%3d/%3d/%3d %s %7lld %7.0f %6.3f %5lld %5.0f %6.3f %6.1f %6.1f\n",
                bench.name.c_str(), who, bench.target.def, bench.target.pow, bench.target.dex,
                bench.target.mind, b.reachable ? "  " : "no", static_cast<long long>(b.meseta),
                cheapest, mesetaRatio, static_cast<long long>(b.feedings), fewest, feedingsRatio,
                boundTime.cpu * 1e3, listingTime.cpu * 1e3);
    std::fflush(stdout);
  }
  printSummary(set, summary);
  return breached;
}

}  // namespace

int main(int argc, char** argv) {
  const int randomCount = argc > 1 ? std::atoi(argv[1]) : kDefaultRandomCount;
  const bool withPlans = !(argc > 2 && std::strcmp(argv[2], "bounds") == 0);
  if (randomCount < 0 || (argc > 2 && withPlans) || argc > 3) {
    std::fprintf(stderr, "usage: ostrel_bound_bench [N [bounds]]\n");
    return 2;
  }
  std::printf("%-17s %-19s %-15s %2s %7s %7s %6s %5s %5s %6s %6s %6s\n", "target", "player",
              "stats", "", "bound", "meseta", "ratio", "bound", "feeds", "ratio", "bound", "list");
  std::printf("%105s\n", "(ms cpu)");
  int breached = runSet("reference", referenceTargets(), withPlans);
  breached += runSet("random", randomTargets(randomCount), withPlans);
  if (breached > 0) {
    std::printf("%d plans cost less than their bound\n", breached);
    return 1;
  }
  return 0;
}

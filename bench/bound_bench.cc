// Benchmark of the lower bound (plan/bound/lower_bound.h) against the plans the goal searches
// find: for the eight reference targets of ostrel_goal_bench and for seeded random ones (a new
// mag, random section ID and class, target levels 20..200), the bound on meseta and on feedings,
// the cheapest plan's meseta and the shortest plan's feedings (planForGoal at the default width),
// each plan's ratio to its bound (1.000: the plan is proven the best possible), and the time the
// two bounds took together. A summary gives the median and worst ratios of each set.
//
//   ostrel_bound_bench              the reference targets and 30 random ones
//   ostrel_bound_bench N            the reference targets and N random ones
//   ostrel_bound_bench N bounds     the bounds and their times alone, without the plans (fast)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "model/tables.h"
#include "plan/bound/lower_bound.h"
#include "plan/goal/goal.h"

namespace {

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
    targets.push_back({"random-" + std::to_string(i + 1),
                       {section, charClass},
                       ostrel::kBabyMag,
                       targetOf(5 + cuts[0], cuts[1] - cuts[0], cuts[2] - cuts[1],
                                level - 5 - cuts[2])});
  }
  return targets;
}

// A plan's value over its bound, or 0 when there is no plan or no bound.
double ratio(double plan, double bound) { return plan > 0 && bound > 0 ? plan / bound : 0; }

struct Ratios {
  std::vector<double> meseta;
  std::vector<double> feedings;
  double slowest = 0;
};

void printSummary(const char* set, Ratios& ratios) {
  for (std::vector<double>* values : {&ratios.meseta, &ratios.feedings}) {
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
      "worst %5.3f, %d of %zu within 10%%;  slowest bound %.3f s\n",
      set, median(ratios.meseta), worst(ratios.meseta), within(ratios.meseta),
      ratios.meseta.size(), median(ratios.feedings), worst(ratios.feedings),
      within(ratios.feedings), ratios.feedings.size(), ratios.slowest);
}

void runSet(const char* set, const std::vector<BenchTarget>& targets, bool withPlans) {
  Ratios ratios;
  for (const BenchTarget& bench : targets) {
    const ostrel::PlayerRequest request{bench.player, bench.target};
    const auto begin = std::chrono::steady_clock::now();
    const ostrel::PlanBounds bounds = ostrel::planBounds(request, bench.start);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    ratios.slowest = std::max(ratios.slowest, seconds);
    double cheapest = 0;
    double fewest = 0;
    if (withPlans) {
      ostrel::GoalOptions options;
      options.goal = ostrel::Goal::kCheapest;
      const ostrel::GoalResult cheap = ostrel::planForGoal(request, bench.start, options);
      if (cheap.outcome == ostrel::GoalOutcome::kFound) cheapest = cheap.plan.cost;
      options.goal = ostrel::Goal::kFewest;
      const ostrel::GoalResult shortest = ostrel::planForGoal(request, bench.start, options);
      if (shortest.outcome == ostrel::GoalOutcome::kFound) fewest = shortest.plan.feedCount();
    }
    const ostrel::PlanBound& b = bounds.any;
    const double mesetaRatio = ratio(cheapest, static_cast<double>(b.meseta));
    const double feedingsRatio = ratio(fewest, static_cast<double>(b.feedings));
    ratios.meseta.push_back(mesetaRatio);
    ratios.feedings.push_back(feedingsRatio);
    char who[40];
    std::snprintf(who, sizeof who, "%s %s", ostrel::kSectionIdNames[bench.player.sectionId],
                  ostrel::kCharClassNames[bench.player.charClass]);
    std::printf("%-17s %-19s %3d/%3d/%3d/%3d %s %7lld %7.0f %6.3f %5lld %5.0f %6.3f %6.3f\n",
                bench.name.c_str(), who, bench.target.def, bench.target.pow, bench.target.dex,
                bench.target.mind, b.reachable ? "  " : "no", static_cast<long long>(b.meseta),
                cheapest, mesetaRatio, static_cast<long long>(b.feedings), fewest, feedingsRatio,
                seconds);
    std::fflush(stdout);
  }
  printSummary(set, ratios);
}

}  // namespace

int main(int argc, char** argv) {
  const int randomCount = argc > 1 ? std::atoi(argv[1]) : 30;
  const bool withPlans = !(argc > 2 && std::strcmp(argv[2], "bounds") == 0);
  if (randomCount < 0 || (argc > 2 && withPlans)) {
    std::fprintf(stderr, "usage: ostrel_bound_bench [N [bounds]]\n");
    return 2;
  }
  std::printf("%-17s %-19s %-15s %2s %7s %7s %6s %5s %5s %6s %6s\n", "target", "player",
              "stats", "", "bound", "meseta", "ratio", "bound", "feeds", "ratio", "bound s");
  runSet("reference", referenceTargets(), withPlans);
  runSet("random", randomTargets(randomCount), withPlans);
  return 0;
}

// Census of the final forms over seeded random targets: for each target (a new mag, a random
// section ID and class, stats whose largest is at least 20), the listing of the forms by meseta,
// as `ostrel forms` makes it, sorted into the forms reached, the forms the rules exclude (by
// reason) and the forms "not found"; and the targets where no plan of any form was found. The
// totals are what the listing still leaves open: a form not found is either out of reach, with no
// reason told yet, or a plan the searches missed.
//
//   ostrel_forms_census [COUNT [SEED [WIDTH]]]   one line per target and the totals
//   ostrel_forms_census list [COUNT [SEED [WIDTH]]]
//                                     besides, one line per form not found and per target without
//                                     a plan, as `ostrel plan` arguments (for directed searches)

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "model/form_rules.h"
#include "model/tables.h"
#include "plan/goal/goal.h"

namespace {

constexpr int kDefaultCount = 120;
constexpr unsigned kDefaultSeed = 38;

struct CensusTarget {
  ostrel::Player player;
  ostrel::Target target;
};

// A number in low..high from the generator's raw output, the same with every standard library
// (the standard's distributions are not).
int draw(std::mt19937& rng, int low, int high) {
  return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1));
}

// A target of level 20..200 for a new mag: three cuts split the levels above the new mag's def of
// 5 among the four stats; drawn again until the largest stat is at least 20.
CensusTarget randomTarget(std::mt19937& rng) {
  for (;;) {
    CensusTarget made;
    made.player.sectionId = draw(rng, 0, ostrel::kSectionIdCount - 1);
    made.player.charClass = draw(rng, 0, ostrel::kCharClassCount - 1);
    const int level = draw(rng, 20, ostrel::kMaxLevel);
    int cuts[3] = {draw(rng, 0, level - 5), draw(rng, 0, level - 5), draw(rng, 0, level - 5)};
    std::sort(std::begin(cuts), std::end(cuts));
    ostrel::Target& t = made.target;
    t = {5 + cuts[0], cuts[1] - cuts[0], cuts[2] - cuts[1], level - 5 - cuts[2], level};
    if (std::max({t.def, t.pow, t.dex, t.mind}) >= 20) return made;
  }
}

// Short names of the reasons, for the totals.
const char* kindName(ostrel::ExclusionKind kind) {
  using ostrel::ExclusionKind;
  switch (kind) {
    case ExclusionKind::kNone:
      return "none";
    case ExclusionKind::kFinalFormKept:
      return "final form kept";
    case ExclusionKind::kOtherPlayers:
      return "other players' form";
    case ExclusionKind::kDecidedAtTarget:
      return "decided at the target";
    case ExclusionKind::kPairSumAtTarget:
      return "pair sums equal at the target";
    case ExclusionKind::kPairSumNever:
      return "pair sums never equal";
    case ExclusionKind::kTargetTooLow:
      return "target level too low";
    case ExclusionKind::kStagePassed:
      return "stage passed";
    case ExclusionKind::kDefTooHigh:
      return "def too high";
    case ExclusionKind::kDefTooLow:
      return "def too low";
    case ExclusionKind::kStartFormLeft:
      return "start form left";
    case ExclusionKind::kReplacedLater:
      return "replaced later";
    case ExclusionKind::kStatsLeadElsewhere:
      return "stats lead elsewhere";
  }
  return "?";
}

std::string targetText(const ostrel::Target& t) {
  char text[32];
  std::snprintf(text, sizeof text, "%d/%d/%d/%d", t.def, t.pow, t.dex, t.mind);
  return text;
}

// `ostrel plan` arguments for the target (the section ID and class by menu number).
std::string planArguments(const CensusTarget& census) {
  return "--section " + std::to_string(census.player.sectionId) + " --class " +
         std::to_string(census.player.charClass) + " --target " + targetText(census.target);
}

int runCensus(int count, unsigned seed, int width, bool list) {
  std::mt19937 rng(seed);
  std::printf("census of %d random targets, seed %u, listing by meseta at width %d\n", count, seed,
              width);
  std::printf("%3s %-9s %-9s %-15s %7s %8s %8s %6s  %s\n", "#", "section", "class", "target",
              "reached", "excluded", "notfound", "wall s", "not found");
  int reached = 0;
  int excluded = 0;
  int notFound = 0;
  int targetsNotFound = 0;
  int targetsWithoutPlan = 0;
  double wallTotal = 0;
  std::map<std::string, int> byReason;
  std::vector<std::string> listed;
  for (int i = 0; i < count; ++i) {
    const CensusTarget census = randomTarget(rng);
    const ostrel::PlayerRequest request{census.player, census.target};
    ostrel::GoalOptions options;
    options.goal = ostrel::Goal::kCheapest;
    options.everyForm = true;
    options.beamWidth = width;
    const auto begin = std::chrono::steady_clock::now();
    const ostrel::GoalResult result = ostrel::planForGoal(request, ostrel::kBabyMag, options);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    wallTotal += wall;
    int here[3] = {0, 0, 0};  // reached, excluded, not found
    std::string missed;
    for (ostrel::MagType type = 0; type < ostrel::kMagTypeCount; ++type) {
      const ostrel::FormResult& form = result.forms[type];
      if (form.best) {
        ++here[0];
      } else if (form.exclusion.kind != ostrel::ExclusionKind::kNone) {
        ++here[1];
        ++byReason[kindName(form.exclusion.kind)];
      } else {
        ++here[2];
        if (!missed.empty()) missed += ',';
        missed += ostrel::kMagTypeNames[type];
        std::string line = "form " + planArguments(census);
        line += " --form ";
        line += ostrel::kMagTypeNames[type];
        listed.push_back(line);
      }
    }
    const bool noPlan = here[0] == 0;
    if (noPlan) {
      ++targetsWithoutPlan;
      listed.push_back("target " + planArguments(census));
    }
    if (here[2] > 0) ++targetsNotFound;
    reached += here[0];
    excluded += here[1];
    notFound += here[2];
    std::printf("%3d %-9s %-9s %-15s %7d %8d %8d %6.2f  %s%s\n", i,
                ostrel::kSectionIdNames[census.player.sectionId],
                ostrel::kCharClassNames[census.player.charClass], targetText(census.target).c_str(),
                here[0], here[1], here[2], wall, noPlan ? "(no plan) " : "", missed.c_str());
    std::fflush(stdout);
  }
  std::printf("\nforms reached %d, excluded %d, not found %d (on %d targets); targets without a "
              "plan %d; wall %.1f s\n",
              reached, excluded, notFound, targetsNotFound, targetsWithoutPlan, wallTotal);
  std::printf("excluded by reason:\n");
  for (const auto& [reason, forms] : byReason) std::printf("  %-30s %5d\n", reason.c_str(), forms);
  if (list) {
    std::printf("\n");
    for (const std::string& line : listed) std::printf("%s\n", line.c_str());
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  const bool list = argc > 1 && std::strcmp(argv[1], "list") == 0;
  if (list) ++arg;
  const int count = argc > arg ? std::atoi(argv[arg]) : kDefaultCount;
  const unsigned seed = argc > arg + 1 ? static_cast<unsigned>(std::atoi(argv[arg + 1]))
                                       : kDefaultSeed;
  const int width = argc > arg + 2 ? std::atoi(argv[arg + 2]) : ostrel::GoalOptions{}.beamWidth;
  if (count <= 0 || width <= 0 || width > 5000 || argc > arg + 3) {
    std::fprintf(stderr, "usage: ostrel_forms_census [list] [COUNT [SEED [WIDTH]]]\n");
    return 2;
  }
  return runCensus(count, seed, width, list);
}

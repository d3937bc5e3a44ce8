// Census of the final forms over seeded random targets: for each target (a new mag, a random
// section ID and class, stats whose largest is at least 20), the listing of the forms by meseta,
// as `ostrel forms` makes it, twice: before, by the searches alone, and after, with the forms
// settled (the proof from the feeding tables rules forms and whole targets out before any search,
// each form the listing still misses gets a search of its own, the closer proof in whole stats
// rules out what it can of those still missed, the rest get the widest searches, and those still
// missed a search leg by leg through the stats an open route pins). Each is
// sorted into the forms reached, excluded by the evolution rules, proven out, and "not found"; and
// the targets planned, proven impossible, or left without a plan. A form not found is either out
// of reach with no reason told, or a plan the searches missed. Fails when a form or target that a
// plan reached is ruled out, by the listing or by the closer proof asked of every form reached.
//
//   ostrel_forms_census [COUNT [SEED [WIDTH]]]   one line per target and the totals
//   ostrel_forms_census proof [COUNT [SEED]]   the proof alone (form_proof.h) on every form the
//                                     rules leave open, timed
//   ostrel_forms_census list [COUNT [SEED [WIDTH]]]
//                                     besides, one line per form left not found and per target
//                                     without a plan, as `ostrel plan` arguments

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "bench/random_targets.h"
#include "model/form_proof.h"
#include "model/form_rules.h"
#include "model/tables.h"
#include "plan/goal/goal.h"

namespace {

constexpr int kDefaultCount = 120;
constexpr unsigned kDefaultSeed = 38;

using CensusTarget = ostrel::bench::DrawnTarget;
using ostrel::bench::randomTarget;

// The cpu time this thread has used: the proof's own time, whatever else runs on the machine.
double threadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
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
    case ExclusionKind::kLeadNeverAt35:
      return "proof: lead at 35";
    case ExclusionKind::kHighDefNeverAt:
      return "proof: def 45 to keep";
    case ExclusionKind::kOrderNeverAt:
      return "proof: order from 50";
    case ExclusionKind::kHighDefLeadNeverAt:
      return "proof: def 45 and lead";
    case ExclusionKind::kPairSumNeverMet:
      return "proof: pair sums";
    case ExclusionKind::kPairSumForcedAt:
      return "proof: pair sums forced";
    case ExclusionKind::kTargetNeverWithin:
      return "proof: target, a level";
    case ExclusionKind::kTargetNeverReached:
      return "proof: target stats";
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

// The proof alone on the census's targets, for timing: every form the rules leave open.
int runProofOnly(int count, unsigned seed) {
  std::mt19937 rng(seed);
  double total = 0;
  double longest = 0;
  int provenForms = 0;
  int provenTargets = 0;
  for (int i = 0; i < count; ++i) {
    const CensusTarget census = randomTarget(rng);
    const ostrel::PlayerRequest request{census.player, census.target};
    const auto rules = ostrel::excludedForms(request, ostrel::kBabyMag);
    ostrel::FormSet open = 0;
    for (ostrel::MagType type = 0; type < ostrel::kMagTypeCount; ++type) {
      if (rules[type].kind == ostrel::ExclusionKind::kNone) open |= ostrel::formBit(type);
    }
    const double begin = threadCpuSeconds();
    const auto proven = ostrel::formsProvenOut(request, ostrel::kBabyMag, open);
    const bool targetOut =
        ostrel::targetProvenOut(request, ostrel::kBabyMag).kind != ostrel::ExclusionKind::kNone;
    const double wall = threadCpuSeconds() - begin;
    total += wall;
    longest = std::max(longest, wall);
    provenTargets += targetOut ? 1 : 0;
    const auto here =
        static_cast<int>(std::count_if(proven.begin(), proven.end(), [](const auto& e) {
          return e.kind != ostrel::ExclusionKind::kNone;
        }));
    provenForms += here;
    std::printf("%3d %-9s %-9s %-15s open %2d proven %2d%s %6.1f ms\n", i,
                ostrel::kSectionIdNames[census.player.sectionId],
                ostrel::kCharClassNames[census.player.charClass], targetText(census.target).c_str(),
                std::popcount(open), here, targetOut ? " (target)" : "", wall * 1e3);
  }
  std::printf(
      "proof alone: %d forms and %d targets ruled out; %.1f ms cpu a target on average, %.1f "
      "ms at most\n",
      provenForms, provenTargets, total * 1e3 / count, longest * 1e3);
  return 0;
}

// Whether the feeding tables' proof (form_proof.h) gave the reason, not the evolution rules.
bool provenByTables(ostrel::ExclusionKind kind) {
  using ostrel::ExclusionKind;
  switch (kind) {
    case ExclusionKind::kLeadNeverAt35:
    case ExclusionKind::kHighDefNeverAt:
    case ExclusionKind::kOrderNeverAt:
    case ExclusionKind::kHighDefLeadNeverAt:
    case ExclusionKind::kPairSumNeverMet:
    case ExclusionKind::kPairSumForcedAt:
    case ExclusionKind::kTargetNeverWithin:
    case ExclusionKind::kTargetNeverReached:
      return true;
    default:
      return false;
  }
}

// What one listing made of the forms, and how long it took.
struct Tally {
  int reached = 0;
  int excluded = 0;  // by the evolution rules
  int proven = 0;    // by the proof
  int notFound = 0;
  int targetsWithoutPlan = 0;
  int targetsProven = 0;
  int targetsNotFound = 0;  // targets with a form not found
  double wall = 0;
  double cpu = 0;  // of the whole process, every thread's
};

// The listing by meseta, as `ostrel forms` makes it, with the forms settled (ruled out by the
// proof before the searches, and searched for once more where the listing missed them) or not.
ostrel::GoalResult listing(const ostrel::PlayerRequest& request, int width, bool settle,
                           double& wall, double& cpu) {
  ostrel::GoalOptions options;
  options.goal = ostrel::Goal::kCheapest;
  options.everyForm = true;
  options.beamWidth = width;
  options.settleForms = settle;
  const auto begin = std::chrono::steady_clock::now();
  const std::clock_t cpuBegin = std::clock();
  ostrel::GoalResult result = ostrel::planForGoal(request, ostrel::kBabyMag, options);
  wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  cpu = static_cast<double>(std::clock() - cpuBegin) / CLOCKS_PER_SEC;
  return result;
}

// Counts `result` into `tally`; the forms not found, as names.
std::string countInto(const ostrel::GoalResult& result, double wall, double cpu, Tally& tally,
                      std::map<std::string, int>& byReason) {
  std::string missed;
  int here[3] = {0, 0, 0};  // reached, ruled out, not found
  for (ostrel::MagType type = 0; type < ostrel::kMagTypeCount; ++type) {
    const ostrel::FormResult& form = result.forms[type];
    if (form.best) {
      ++here[0];
    } else if (form.exclusion.kind != ostrel::ExclusionKind::kNone) {
      ++here[1];
      ++(provenByTables(form.exclusion.kind) ? tally.proven : tally.excluded);
      ++byReason[kindName(form.exclusion.kind)];
    } else {
      ++here[2];
      if (!missed.empty()) missed += ',';
      missed += ostrel::kMagTypeNames[type];
    }
  }
  tally.reached += here[0];
  tally.notFound += here[2];
  tally.targetsNotFound += here[2] > 0 ? 1 : 0;
  tally.targetsWithoutPlan += here[0] == 0 ? 1 : 0;
  tally.targetsProven += result.outcome == ostrel::GoalOutcome::kImpossible ? 1 : 0;
  tally.wall += wall;
  tally.cpu += cpu;
  return missed;
}

int runCensus(int count, unsigned seed, int width, bool list) {
  std::mt19937 rng(seed);
  std::printf(
      "census of %d random targets, seed %u, listing by meseta at width %d: before (the "
      "searches alone), after (the forms settled: the proof, then a search for each form "
      "still missed, the closer proof in whole stats of those still missed, the widest "
      "searches for those it leaves open, and a search leg by leg for those still missed)\n",
      count, seed, width);
  std::printf("%3s %-9s %-9s %-15s %-10s %-13s %-13s  %s\n", "#", "section", "class", "target",
              "reached", "not found", "wall s", "left not found after");
  Tally before;
  Tally after;
  int directed = 0;  // forms reached after, not before
  int unsound = 0;
  std::map<std::string, int> byReasonBefore;
  std::map<std::string, int> byReason;
  std::vector<std::string> listed;
  for (int i = 0; i < count; ++i) {
    const CensusTarget census = randomTarget(rng);
    const ostrel::PlayerRequest request{census.player, census.target};
    double wallBefore = 0;
    double wallAfter = 0;
    double cpuBefore = 0;
    double cpuAfter = 0;
    const ostrel::GoalResult old = listing(request, width, false, wallBefore, cpuBefore);
    const ostrel::GoalResult now = listing(request, width, true, wallAfter, cpuAfter);
    const int reachedBefore = before.reached;
    const int notFoundBefore = before.notFound;
    const int reachedAfter = after.reached;
    const int notFoundAfter = after.notFound;
    countInto(old, wallBefore, cpuBefore, before, byReasonBefore);
    const std::string missed = countInto(now, wallAfter, cpuAfter, after, byReason);
    // The closer proof runs only on the forms no search reached: asked of those reached, it must
    // rule none out either.
    ostrel::FormSet reached = 0;
    for (ostrel::MagType type = 0; type < ostrel::kMagTypeCount; ++type) {
      if (old.forms[type].best || now.forms[type].best) reached |= ostrel::formBit(type);
    }
    const auto whole = ostrel::formsProvenOutInWholeStats(request, ostrel::kBabyMag, reached);
    for (ostrel::MagType type = 0; type < ostrel::kMagTypeCount; ++type) {
      if (whole[type].kind == ostrel::ExclusionKind::kNone) continue;
      ++unsound;
      std::printf("UNSOUND: %s reached but ruled out in whole stats: %s\n",
                  ostrel::kMagTypeNames[type], ostrel::exclusionText(whole[type]).c_str());
    }
    for (ostrel::MagType type = 0; type < ostrel::kMagTypeCount; ++type) {
      const ostrel::FormExclusion& ruled = now.forms[type].exclusion;
      if (now.forms[type].best && !old.forms[type].best) ++directed;
      // A form a plan reached, before or after, is never ruled out.
      if ((old.forms[type].best || now.forms[type].best) &&
          ruled.kind != ostrel::ExclusionKind::kNone) {
        ++unsound;
        std::printf("UNSOUND: %s reached but ruled out: %s\n", ostrel::kMagTypeNames[type],
                    ostrel::exclusionText(ruled).c_str());
      }
      if (!now.forms[type].best && ruled.kind == ostrel::ExclusionKind::kNone) {
        listed.push_back("form " + planArguments(census) + " --form " +
                         ostrel::kMagTypeNames[type]);
      }
    }
    if (after.reached == reachedAfter) listed.push_back("target " + planArguments(census));
    std::printf("%3d %-9s %-9s %-15s %3d -> %-3d %4d -> %-4d %5.2f -> %-5.2f  %s%s\n", i,
                ostrel::kSectionIdNames[census.player.sectionId],
                ostrel::kCharClassNames[census.player.charClass], targetText(census.target).c_str(),
                before.reached - reachedBefore, after.reached - reachedAfter,
                before.notFound - notFoundBefore, after.notFound - notFoundAfter, wallBefore,
                wallAfter,
                now.outcome == ostrel::GoalOutcome::kImpossible ? "(target proven out) " : "",
                missed.c_str());
    std::fflush(stdout);
  }
  const auto totals = [count](const char* name, const Tally& tally) {
    std::printf(
        "%s: forms reached %d, excluded by the rules %d, proven out %d, not found %d (on %d "
        "targets); targets planned %d, proven impossible %d, without a plan %d; wall %.1f "
        "s, %.2f s a target; cpu %.1f s, %.2f s a target\n",
        name, tally.reached, tally.excluded, tally.proven, tally.notFound, tally.targetsNotFound,
        count - tally.targetsWithoutPlan, tally.targetsProven,
        tally.targetsWithoutPlan - tally.targetsProven, tally.wall, tally.wall / count, tally.cpu,
        tally.cpu / count);
  };
  std::printf("\n");
  totals("before", before);
  totals("after ", after);
  std::printf(
      "after: found by the search for a form missed (reached after, not before) %d; left "
      "not found %d of the %d before (%.1f%%); ruled out though reached: %d\n",
      directed, after.notFound, before.notFound,
      before.notFound > 0 ? 100.0 * after.notFound / before.notFound : 0.0, unsound);
  std::printf("ruled out after, by reason:\n");
  for (const auto& [reason, forms] : byReason) std::printf("  %-30s %5d\n", reason.c_str(), forms);
  if (list) {
    std::printf("\n");
    for (const std::string& line : listed) std::printf("%s\n", line.c_str());
  }
  return unsound == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  int arg = 1;
  const bool list = argc > 1 && std::strcmp(argv[1], "list") == 0;
  const bool proofOnly = argc > 1 && std::strcmp(argv[1], "proof") == 0;
  if (list || proofOnly) ++arg;
  const int count = argc > arg ? std::atoi(argv[arg]) : kDefaultCount;
  const unsigned seed =
      argc > arg + 1 ? static_cast<unsigned>(std::atoi(argv[arg + 1])) : kDefaultSeed;
  const int width = argc > arg + 2 ? std::atoi(argv[arg + 2]) : ostrel::GoalOptions{}.beamWidth;
  if (count <= 0 || width <= 0 || width > 5000 || argc > arg + 3) {
    std::fprintf(stderr, "usage: ostrel_forms_census [list | proof] [COUNT [SEED [WIDTH]]]\n");
    return 2;
  }
  return proofOnly ? runProofOnly(count, seed) : runCensus(count, seed, width, list);
}

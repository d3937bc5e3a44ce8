// The plan search, run on its own stack of frames instead of the call stack. It behaves exactly
// like the plain recursion in which every call stands for one state: same plan, same reports,
// same node count and progress lines.
#include "plan/first_found/search.h"

#include <array>
#include <cmath>
#include <limits>

#include "model/feeding.h"
#include "model/tables.h"
#include "plan/first_found/item_choice.h"
#include "plan/first_found/search_memory.h"
#include "plan/first_found/search_stack.h"
#include "plan/report/plan_report.h"
#include "plan/search_state.h"

namespace ostrel {
namespace {

// The candidate list of every preferred item: that item first, then the search order without it.
constexpr auto kCandidates = [] {
  std::array<std::array<Item, kFedItemCount>, kFedItemCount> lists{};
  for (Item preferred = 0; preferred < kFedItemCount; ++preferred) {
    int position = 0;
    lists[preferred][position++] = preferred;
    for (Item item : kSearchOrder) {
      if (item != preferred) lists[preferred][position++] = item;
    }
  }
  return lists;
}();

// A stat on its target is only drained when its bar is above half, so that the next feeding does
// not push it over.
constexpr std::int32_t kDrainAbove = 50;

// The preferred item depends only on the form and on where each stat stands against its target:
// def short or not, pow and dex 60 or more short, less short or on target, mind short or not.
// Within a plan each answer is worked out once, the first time a state of its kind comes up.
class PreferredItems {
 public:
  explicit PreferredItems(const Target& target) : target_(target) { items_.fill(kNotYetChosen); }

  // For a state whose stats are all at most their targets.
  std::uint8_t of(const MagState& mag) {
    const int def = mag.def < target_.def ? 0 : 1;
    const int pow = standing(mag.pow, target_.pow);
    const int dex = standing(mag.dex, target_.dex);
    const int mind = mag.mind < target_.mind ? 0 : 1;
    std::uint8_t& item = items_[(((mag.type * 2 + def) * 3 + pow) * 3 + dex) * 2 + mind];
    if (item == kNotYetChosen) item = static_cast<std::uint8_t>(preferredItem(target_, mag));
    return item;
  }

 private:
  static constexpr std::uint8_t kNotYetChosen = 0xFF;

  static int standing(std::int32_t stat, std::int32_t target) {
    if (stat == target) return 2;
    return target - stat < 60 ? 1 : 0;
  }

  Target target_;
  std::array<std::uint8_t, std::size_t{kMagTypeCount} * 2 * 3 * 3 * 2> items_{};
};

// The node budget of one plan: progress lines at every multiple of the interval that the count of
// the whole run reaches, and the give-up at the sixth line of the plan.
class NodeBudget {
 public:
  NodeBudget(SearchCounters& counters, const Console& console, double interval, bool quiet)
      : counters_(counters),
        console_(console),
        interval_(interval),
        quiet_(quiet),
        planStart_(counters.nodeCount),
        nextReport_((std::floor(counters.nodeCount / interval) + 1) * interval) {}

  // Counts one node; returns true when the search must give up.
  bool countOne() {
    counters_.nodeCount += 1;
    if (counters_.nodeCount != nextReport_) return false;
    return reportProgress();
  }

  // Counts `nodes` at once, as if they had been counted one by one, and stops exactly at the
  // give-up if it falls among them; returns true then. Infinite counts run the budget out.
  bool countMany(double nodes) {
    const double end = counters_.nodeCount + nodes;
    while (nextReport_ <= end) {
      counters_.nodeCount = nextReport_;
      if (reportProgress()) return true;
    }
    counters_.nodeCount = end;
    return false;
  }

  std::uint32_t countedInPlan() const {
    return static_cast<std::uint32_t>(counters_.nodeCount - planStart_);
  }

 private:
  bool reportProgress() {
    nextReport_ += interval_;
    ++counters_.hardCount;
    if (!quiet_) std::fprintf(console_.out, "Wow this is hard!   %d\n", counters_.hardCount);
    if (counters_.hardCount <= kProgressLinesBeforeGiveUp) return false;
    if (!quiet_) std::fprintf(console_.out, "Sorry, I cant figure a way! :(\n");
    return true;
  }

  SearchCounters& counters_;
  const Console& console_;
  double interval_;
  bool quiet_;
  double planStart_;
  double nextReport_;
};

template <bool kRemember>
int runSearch(const PlayerRequest& request, SearchCounters& counters, const MagState& start,
              const Console& console, const SearchOptions& options, SearchStats& stats,
              Plan& found) {
  const Player& player = request.player;
  const Target& target = request.target;
  if (aboveTarget(start, target)) return 0;
  if (onTarget(start, target)) {
    found = Plan{start, {}, start, 0};
    return 1;
  }

  PreferredItems preferredItems(target);
  NodeBudget budget(counters, console, options.progressInterval, options.quiet);
  FailedSubtrees failedSubtrees(kRemember);
  PathIndex path(kRemember);
  SearchStack stack;

  // The state of the frame on top, unpacked: the working copy its candidates are fed to.
  MagState current = start;
  current.level = current.def + current.pow + current.dex + current.mind;
  Standing standing = standingOf(current, target, kDrainAbove);

  const auto enter = [&](const MagState& mag) {
    SearchFrame& frame = stack.push();
    frame.mag = packMag(mag);
    frame.preferred = preferredItems.of(mag);
    frame.nextCandidate = 0;
    frame.nodesAtEntry = budget.countedInPlan();
    if constexpr (kRemember) path.add(stack, stack.size() - 1);
    ++stats.statesExpanded;
    if (stack.size() > stats.maxDepth) stats.maxDepth = stack.size();
    current = mag;
    standing = standingOf(current, target, kDrainAbove);
  };
  const auto candidateLeadingDown = [](const SearchFrame& frame) {
    return kCandidates[frame.preferred][frame.nextCandidate - 1];
  };

  enter(current);
  for (;;) {
    SearchFrame& frame = stack.top();
    if (frame.nextCandidate == kFedItemCount) {
      // Every candidate failed: this state fails, and its parent rolls its feeding back.
      if constexpr (kRemember) {
        failedSubtrees.remember(frame.mag, budget.countedInPlan() - frame.nodesAtEntry);
        path.remove(frame);
      }
      stack.pop();
      if (stack.empty()) return 0;
      current = unpackMag(stack.top().mag);
      standing = standingOf(current, target, kDrainAbove);
      continue;
    }

    const Item item = kCandidates[frame.preferred][frame.nextCandidate++];
    if (!isUseful(kDeltaSigns[current.type][item], standing)) continue;
    if (budget.countOne()) return 0;
    const StatDelta delta = deltaOf(item, current.type);
    // A feeding that takes a stat past its target is pruned: counted, but neither fed nor
    // descended into. A stat below its target rises by one at most, so only the stats on their
    // targets can overshoot, and the level can then not pass the target level either.
    if (overshoots(current, delta, standing)) continue;

    MagState fed = current;
    applyFeeding(player, fed, delta);
    if (onTarget(fed, target)) {
      // The plan is found: the path held on the stack, first feeding at the bottom.
      found.start = start;
      found.reached = fed;
      found.cost = 0;
      found.feedings.resize(stack.size());
      for (std::size_t depth = 0; depth < stack.size(); ++depth) {
        const SearchFrame& onPath = stack.at(depth);
        found.feedings[depth] = {candidateLeadingDown(onPath), unpackMag(onPath.mag)};
        found.cost += kItemPrice[found.feedings[depth].item];
      }
      return 1;
    }

    if constexpr (kRemember) {
      const PackedMag next = packMag(fed);
      if (path.contains(stack, next)) {
        // The plain search would go round this loop until the budget runs out.
        ++stats.loopsFound;
        budget.countMany(std::numeric_limits<double>::infinity());
        return 0;
      }
      if (const auto nodes = failedSubtrees.nodesBelow(next)) {
        ++stats.countsReused;
        if (budget.countMany(*nodes)) return 0;
        continue;
      }
    }
    enter(fed);
  }
}

}  // namespace

bool findFirstPlan(const PlayerRequest& request, SearchCounters& counters, const MagState& start,
                   const Console& console, Plan& found, const SearchOptions& options,
                   SearchStats* stats) {
  SearchStats ignored;
  SearchStats& counted = stats != nullptr ? *stats : ignored;
  counters.hardCount = 0;
  const int result =
      options.remember
          ? runSearch<true>(request, counters, start, console, options, counted, found)
          : runSearch<false>(request, counters, start, console, options, counted, found);
  return result == 1;
}

int searchPlan(const PlayerRequest& request, SearchCounters& counters, PlanFiles& files,
               const MagState& start, const Console& console, const SearchOptions& options,
               SearchStats* stats) {
  Plan found;
  if (!findFirstPlan(request, counters, start, console, found, options, stats)) return 0;
  reportPlan(request.player, found, files, console);
  return 1;
}

}  // namespace ostrel

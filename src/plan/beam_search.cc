// The beam search: one layer of states per number of feedings, grown from the layer before.
#include "plan/beam_search.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <limits>
#include <thread>
#include <vector>

#include "model/feeding.h"
#include "plan/beam_layer.h"
#include "plan/cost_bound.h"
#include "plan/form_rules.h"

namespace ostrel {
namespace {

// What the forms a mag can still take depend on: which of the evolutions at 10, 35 and 50..95
// still lie ahead. Each bracket is named by its lowest level.
constexpr int kBracketCount = 4;
constexpr std::int32_t kBracketLevel[kBracketCount] = {0, 10, 35, 95};

int bracketOf(std::int32_t level) {
  if (level < 10) return 0;
  if (level < 35) return 1;
  return level < 95 ? 2 : 3;
}

constexpr std::int64_t kNoLimit = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kDropAll = std::numeric_limits<std::int64_t>::min();

// The best plan that reached the target in one form: its last feeding, found from a state of
// layer depth - 1.
struct Hit {
  std::uint64_t score = GoalProgress::kNoPlan;
  std::int32_t depth = 0;
  std::uint32_t parent = 0;
  Item item = 0;
};

// Which stats an item's bar changes raise and lower, per form: four bits each, def to mind.
struct DeltaSigns {
  std::uint8_t raises;
  std::uint8_t drains;
};

constexpr auto kDeltaSigns = [] {
  std::array<std::array<DeltaSigns, kFedItemCount>, kMagTypeCount> signs{};
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    for (Item item = 0; item < kFedItemCount; ++item) {
      const StatDelta& d = kDeltaByType[type][item];
      const std::int32_t changes[4] = {d.def, d.pow, d.dex, d.mind};
      for (int stat = 0; stat < 4; ++stat) {
        if (changes[stat] > 0) signs[type][item].raises |= 1U << stat;
        if (changes[stat] < 0) signs[type][item].drains |= 1U << stat;
      }
    }
  }
  return signs;
}();

class BeamRun {
 public:
  BeamRun(const PlannerState& player, const MagState& start, const BeamOptions& options)
      : planner_(player),
        start_(start),
        options_(options),
        target_(player.target),
        parts_{LayerPart(player), LayerPart(player)} {
    start_.level = start_.def + start_.pow + start_.dex + start_.mind;
    cheapest_ = options.goal == Goal::kCheapest;
    for (Item item = 0; item < kFedItemCount; ++item) {
      costs_[item] = cheapest_ ? kItemPrice[item] : 1.0;
    }
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      for (int bracket = 0; bracket < kBracketCount; ++bracket) {
        const FormSet forms = reachableForms(player, type, kBracketLevel[bracket], target_.level);
        reach_[type][bracket] = forms;
        TableSet reachable = 0;
        for (MagType form = 0; form < kMagTypeCount; ++form) {
          if ((forms & formBit(form)) != 0) {
            reachable |= static_cast<TableSet>(1U << feedTableOf(form));
          }
        }
        trueTables_[type][bracket] = reachable;
        tables_[type][bracket] = options.ranking == Ranking::kCurrentTable
                                     ? static_cast<TableSet>(1U << feedTableOf(type))
                                     : reachable;
        boundIndex_[type][bracket] = -1;
        trueBoundIndex_[type][bracket] = -1;
      }
    }
    formLimit_.fill(kNoLimit);
    if (options.known != nullptr) {
      const Plan& known = *options.known;
      formLimit_[known.reached.type] = limitOf(known.feedCount(), known.cost);
    }
    updateLimits();
  }

  BeamResult run() {
    BeamResult result;
    current_.push_back(BeamNode{packStatsAndBars(start_), 0, 0, 0, start_.type});
    layerStart_.push_back(0);
    backs_.push_back(0);
    for (std::int32_t depth = 1; depth <= options_.maxFeedings && !current_.empty(); ++depth) {
      growLayer(depth);
      const std::uint64_t tried = parts_[0].tried;
      dropHopeless(depth);
      result.feedingsTried += tried;
      result.layers = depth;
      keepBest();
      if (options_.progress != nullptr) report(tried);
    }
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (hits_[type].score != GoalProgress::kNoPlan) result.bestByForm[type] = planOf(hits_[type]);
    }
    return result;
  }

 private:
  // The bound for a state of this form and bracket: the ranking's, or the true one over every
  // table ahead. Each is worked out the first time a state of its kind comes up (a search meets
  // few of them), and shared by the kinds with the same tables.
  const CostBound& boundOf(MagType type, int bracket, bool trueBound) {
    std::int32_t& index = trueBound ? trueBoundIndex_[type][bracket] : boundIndex_[type][bracket];
    if (index < 0) {
      const TableSet tables = trueBound ? trueTables_[type][bracket] : tables_[type][bracket];
      index = 0;
      while (index < static_cast<std::int32_t>(boundTables_.size()) &&
             boundTables_[index] != tables) {
        ++index;
      }
      if (index == static_cast<std::int32_t>(boundTables_.size())) {
        boundTables_.push_back(tables);
        bounds_.push_back(makeCostBound(tables, costs_));
      }
    }
    return bounds_[index];
  }

  // A plan of `feedings` and `cost` leaves room only for states whose optimistic value (meseta
  // for the cheapest, feedings for the shortest) stays below this.
  std::int64_t limitOf(std::int64_t feedings, double cost) const {
    return cheapest_ ? static_cast<std::int64_t>(cost) : feedings + 1;
  }

  // The limit for a state of each form and bracket, from the best plans of the forms it may end
  // in and that are wanted.
  void updateLimits() {
    std::int64_t anyForm = kNoLimit;
    for (std::int64_t limit : formLimit_) anyForm = std::min(anyForm, limit);
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      for (int bracket = 0; bracket < kBracketCount; ++bracket) {
        const FormSet forms = reach_[type][bracket];
        std::int64_t limit = anyForm;
        if (options_.form) {
          limit = (forms & formBit(*options_.form)) != 0 ? formLimit_[*options_.form] : kDropAll;
        } else if (options_.everyForm) {
          limit = kDropAll;
          for (MagType form = 0; form < kMagTypeCount; ++form) {
            if ((forms & formBit(form)) != 0) limit = std::max(limit, formLimit_[form]);
          }
        }
        limit_[type][bracket] = limit;
      }
    }
  }

  void recordHit(const LayerHit& reached, std::int32_t depth) {
    Hit& hit = hits_[reached.form];
    const std::uint64_t score = packScore(options_.goal, depth, reached.cost);
    if (score >= hit.score) return;
    hit = Hit{score, depth, reached.parent, reached.item};
    const std::int64_t limit = limitOf(depth, reached.cost);
    if (limit < formLimit_[reached.form]) {
      formLimit_[reached.form] = limit;
      updateLimits();
    }
  }

  // Feeds every useful item to every state of the current layer, in two parts (side by side
  // when there are two threads), and merges the second part into the first, which then holds
  // the new layer. The hits are recorded in the order the parts made them, so the layer and the
  // limits that follow from it do not depend on the threads.
  void growLayer(std::int32_t depth) {
    prepareBounds();
    const std::size_t count = current_.size();
    const std::size_t middle = count / 2;
    parts_[0].begin(count * kFedItemCount);
    parts_[1].begin((count - middle) * kFedItemCount);
    constexpr std::size_t kWorthAThread = 256;
    if (options_.threads >= 2 && count >= kWorthAThread) {
      std::thread second([&] { growPart(parts_[1], middle, count); });
      growPart(parts_[0], 0, middle);
      second.join();
    } else {
      growPart(parts_[0], 0, middle);
      growPart(parts_[1], middle, count);
    }
    parts_[0].absorb(parts_[1]);
    for (const LayerHit& hit : parts_[0].hits) recordHit(hit, depth);
  }

  // The bounds that the states of the next layer may need, made before the parts grow it (the
  // parts only read them). A feeding raises the level by four at most, so a state's bracket is
  // its parent's or the next.
  void prepareBounds() {
    FormSet forms[kBracketCount] = {};
    for (const BeamNode& parent : current_) {
      const MagState mag = unpackNode(parent);
      const int bracket = bracketOf(mag.level);
      forms[bracket] |= reach_[mag.type][bracket];
      if (bracket + 1 < kBracketCount) forms[bracket + 1] |= reach_[mag.type][bracket];
    }
    for (int bracket = 0; bracket < kBracketCount; ++bracket) {
      for (FormSet left = forms[bracket]; left != 0; left &= left - 1) {
        const auto type = static_cast<MagType>(std::countr_zero(left));
        boundOf(type, bracket, false);
        boundOf(type, bracket, true);
      }
    }
  }

  // Grows the states current_[first, last) into `part`.
  void growPart(LayerPart& part, std::size_t first, std::size_t last) const {
    struct Pending {
      BeamNode node;
      std::uint64_t hash;
    };
    Pending pending[kFedItemCount];
    int pendingCount = 0;
    for (std::size_t p = first; p < last; ++p) {
      const BeamNode parent = current_[p];
      const MagState mag = unpackNode(parent);
      const std::int32_t stats[4] = {mag.def, mag.pow, mag.dex, mag.mind};
      const std::int32_t bars[4] = {mag.defBar, mag.powBar, mag.dexBar, mag.mindBar};
      const std::int32_t targets[4] = {target_.def, target_.pow, target_.dex, target_.mind};
      std::uint8_t shortOf = 0;
      std::uint8_t drainable = 0;
      for (int stat = 0; stat < 4; ++stat) {
        if (stats[stat] < targets[stat]) shortOf |= 1U << stat;
        if (stats[stat] == targets[stat] && bars[stat] > 0) drainable |= 1U << stat;
      }
      for (Item item = 0; item < kFedItemCount; ++item) {
        // A feeding that raises no stat short of its target and lowers no bar of a stat on its
        // target moves nothing the plan needs (it raises no level, so cannot evolve).
        const DeltaSigns signs = kDeltaSigns[mag.type][item];
        if (((signs.raises & shortOf) | (signs.drains & drainable)) == 0) continue;
        const StatDelta delta = deltaOf(item, mag.type);
        if (overshoots(mag, delta, stats, targets)) continue;
        MagState child = mag;
        applyFeeding(part.planner, child, delta);
        ++part.tried;
        const std::int32_t cost = parent.cost + kItemPrice[item];
        const auto back = static_cast<std::uint32_t>(p << 4 | static_cast<std::size_t>(item));
        if (child.def == target_.def && child.pow == target_.pow && child.dex == target_.dex &&
            child.mind == target_.mind) {
          part.hits.push_back({child.type, cost, static_cast<std::uint32_t>(p), item});
          continue;
        }
        const int bracket = bracketOf(child.level);
        if (limit_[child.type][bracket] == kDropAll) continue;
        const double remaining =
            bounds_[boundIndex_[child.type][bracket]].of(barPointsNeeded(child, target_));
        if (remaining >= CostBound::kUnreachable) continue;
        // The merge table is far bigger than the caches: ask for each child's slot now, and
        // merge the children once all of this state's are made.
        Pending& next = pending[pendingCount++];
        next.node = BeamNode{packStatsAndBars(child), remaining, cost, back, child.type};
        next.hash = hashNode(next.node);
        __builtin_prefetch(part.slotOf(next.hash));
      }
      for (int i = 0; i < pendingCount; ++i) part.insert(pending[i].node, pending[i].hash);
      pendingCount = 0;
    }
  }

  // A bound in whole meseta or feedings, rounded up less a hair for the rounding of the bound.
  static std::int64_t wholeUnits(double bound) {
    const double less = bound - 1e-6;
    auto whole = static_cast<std::int64_t>(less);
    if (static_cast<double>(whole) < less) ++whole;
    return whole;
  }

  // Drops the states that cannot beat the best plans already found. A plan found in this layer
  // may have lowered the limits after its states were made.
  void dropHopeless(std::int32_t depth) {
    std::size_t kept = 0;
    for (const BeamNode& node : children_) {
      const MagState mag = unpackNode(node);
      const int bracket = bracketOf(mag.level);
      const std::int64_t limit = limit_[mag.type][bracket];
      if (cheapest_ ? node.cost + wholeUnits(node.remaining) >= limit : depth + 1 >= limit) {
        // Only a true bound may drop a state: the current form's table may overstate the cost.
        if (!cheapest_ || options_.ranking == Ranking::kReachableTables) continue;
        const double atLeast = boundOf(mag.type, bracket, true).of(barPointsNeeded(mag, target_));
        if (atLeast >= CostBound::kUnreachable || node.cost + wholeUnits(atLeast) >= limit) {
          continue;
        }
      }
      children_[kept++] = node;
    }
    children_.resize(kept);
  }

  // Whether the feeding levels up a stat already on its target (the bars in turn, while the mag
  // is below level 200).
  static bool overshoots(const MagState& mag, const StatDelta& delta, const std::int32_t* stats,
                         const std::int32_t* targets) {
    const std::int32_t bars[4] = {mag.defBar + delta.def, mag.powBar + delta.pow,
                                  mag.dexBar + delta.dex, mag.mindBar + delta.mind};
    std::int32_t level = mag.level;
    for (int stat = 0; stat < 4; ++stat) {
      if (bars[stat] >= kBarCapacity && level < kMaxLevel) {
        if (stats[stat] == targets[stat]) return true;
        ++level;
      }
    }
    return false;
  }

  // The best `width` children of every form become the next layer.
  void keepBest() {
    std::array<std::uint32_t, kMagTypeCount + 1> start{};
    for (const BeamNode& node : children_) ++start[node.type + 1];
    for (int type = 0; type < kMagTypeCount; ++type) start[type + 1] += start[type];
    sorted_.resize(children_.size());
    std::array<std::uint32_t, kMagTypeCount> next{};
    std::copy_n(start.begin(), kMagTypeCount, next.begin());
    for (const BeamNode& node : children_) sorted_[next[node.type]++] = node;

    const bool cheapest = cheapest_;
    const auto better = [cheapest](const BeamNode& a, const BeamNode& b) {
      const double rankA = a.remaining + (cheapest ? a.cost : 0);
      const double rankB = b.remaining + (cheapest ? b.cost : 0);
      if (rankA != rankB) return rankA < rankB;
      if (a.cost != b.cost) return a.cost < b.cost;
      return a.statsAndBars < b.statsAndBars;
    };
    current_.clear();
    layerStart_.push_back(static_cast<std::uint32_t>(backs_.size()));
    const std::ptrdiff_t width = options_.width;
    for (int type = 0; type < kMagTypeCount; ++type) {
      auto first = sorted_.begin() + start[type];
      auto last = sorted_.begin() + start[type + 1];
      if (last - first > width) {
        std::nth_element(first, first + width, last, better);
        last = first + width;
      }
      // In order, not as nth_element leaves them: the order of a layer decides which of two
      // equally good routes is kept, and nth_element's differs from one standard library to
      // another (the web page's from the console program's).
      std::sort(first, last, better);
      for (auto node = first; node != last; ++node) {
        current_.push_back(*node);
        backs_.push_back(node->back);
      }
    }
  }

  void report(std::uint64_t tried) {
    GoalProgress& progress = *options_.progress;
    progress.feedingsTried.fetch_add(tried, std::memory_order_relaxed);
    std::uint64_t best = GoalProgress::kNoPlan;
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (!options_.form || *options_.form == type) best = std::min(best, hits_[type].score);
    }
    std::uint64_t shown = progress.best.load(std::memory_order_relaxed);
    while (best < shown && !progress.best.compare_exchange_weak(shown, best)) {
    }
    if (progress.onUpdate != nullptr) progress.onUpdate(progress, progress.context);
  }

  // The plan of a hit: its items read back through the layers, then fed again from the start.
  Plan planOf(const Hit& hit) {
    std::vector<Item> items(static_cast<std::size_t>(hit.depth));
    items[hit.depth - 1] = hit.item;
    std::uint32_t index = hit.parent;
    for (std::int32_t depth = hit.depth - 1; depth >= 1; --depth) {
      const std::uint32_t back = backs_[layerStart_[depth] + index];
      items[depth - 1] = static_cast<Item>(back & 15U);
      index = back >> 4;
    }
    Plan plan;
    plan.start = start_;
    MagState mag = start_;
    for (Item item : items) {
      plan.feedings.push_back({item, mag});
      applyFeeding(planner_, mag, deltaOf(item, mag.type));
      plan.cost += kItemPrice[item];
    }
    plan.reached = mag;
    return plan;
  }

  PlannerState planner_;  // this search's own copy: feeding writes lastDelta
  MagState start_;
  BeamOptions options_;
  Target target_;
  bool cheapest_ = false;

  FormSet reach_[kMagTypeCount][kBracketCount]{};
  ItemCosts costs_{};
  TableSet tables_[kMagTypeCount][kBracketCount]{};          // the ranking's tables
  TableSet trueTables_[kMagTypeCount][kBracketCount]{};      // every table ahead
  std::int32_t boundIndex_[kMagTypeCount][kBracketCount]{};  // into bounds_; -1: not yet made
  std::int32_t trueBoundIndex_[kMagTypeCount][kBracketCount]{};
  std::int64_t limit_[kMagTypeCount][kBracketCount]{};
  std::vector<TableSet> boundTables_;
  std::vector<CostBound> bounds_;
  std::array<std::int64_t, kMagTypeCount> formLimit_{};
  std::array<Hit, kMagTypeCount> hits_{};

  std::vector<BeamNode> current_;
  LayerPart parts_[2];
  std::vector<BeamNode>& children_ = parts_[0].children;  // the layer just grown
  std::vector<BeamNode> sorted_;
  // Every kept state's back link, layer after layer; layerStart_[depth] is where layer depth
  // begins.
  std::vector<std::uint32_t> backs_;
  std::vector<std::uint32_t> layerStart_;
};

}  // namespace

BeamResult beamSearch(const PlannerState& player, const MagState& start,
                      const BeamOptions& options) {
  BeamRun run(player, start, options);
  return run.run();
}

}  // namespace ostrel

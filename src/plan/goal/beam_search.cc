// The beam search: one layer of states per number of feedings, grown from the layer before.
#include "plan/goal/beam_search.h"

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <limits>
#include <mutex>
#include <numeric>
#include <optional>
#include <thread>
#include <vector>

#include "model/feeding.h"
#include "model/form_rules.h"
#include "plan/delta_signs.h"
#include "plan/goal/beam_layer.h"
#include "plan/goal/cost_bound.h"

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

// A second thread that runs the second part of a phase of the layer when asked to, while the
// calling thread runs the first.
class Helper {
 public:
  explicit Helper(std::function<void(int)> work)
      : work_(std::move(work)), thread_([this] { serve(); }) {}
  Helper(const Helper&) = delete;
  Helper& operator=(const Helper&) = delete;
  ~Helper() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }

  void start(int phase) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      phase_ = phase;
      busy_ = true;
    }
    changed_.notify_all();
  }

  // Waits until the part started is done.
  void finish() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !busy_; });
  }

 private:
  void serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return busy_ || quit_; });
      if (quit_) return;
      const int phase = phase_;
      lock.unlock();
      work_(phase);
      lock.lock();
      busy_ = false;
      changed_.notify_all();
    }
  }

  std::function<void(int)> work_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int phase_ = 0;
  bool busy_ = false;
  bool quit_ = false;
  std::thread thread_;  // last: it starts serving once everything else is made
};

// A plan that reached the target while a layer grew: its last feeding, from state `parent` of
// the layer before.
struct LayerHit {
  MagType form;
  std::int32_t cost;
  std::uint32_t parent;
  Item item;
};

// The best plan that reached the target in one form: its last feeding, found from a state of
// layer depth - 1.
struct Hit {
  std::uint64_t score = GoalProgress::kNoPlan;
  std::int32_t depth = 0;
  std::uint32_t parent = 0;
  Item item = 0;
};

class BeamRun {
 public:
  BeamRun(const PlayerRequest& request, const MagState& start, const BeamOptions& options)
      : player_(request.player), start_(start), options_(options), target_(request.target) {
    start_.level = start_.def + start_.pow + start_.dex + start_.mind;
    cheapest_ = options.goal == Goal::kCheapest;
    for (Item item = 0; item < kFedItemCount; ++item) {
      costs_[item] = cheapest_ ? kItemPrice[item] : 1.0;
    }
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      for (int bracket = 0; bracket < kBracketCount; ++bracket) {
        const FormSet forms = reachableForms(player_, type, kBracketLevel[bracket], target_.level);
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
    current_.push_back(BeamNode{packStatsAndBars(start_), 0, 0, 0, start_.type});
    backs_.emplace_back(1, 0);
    startLayer();
    std::optional<Helper> helper;
    if (options_.threads >= 2) helper.emplace([this](int phase) { runPhase(phase, 1); });
    while (!done_) {
      for (int phase = 0; phase < kPhases; ++phase) {
        // Handing a part over costs more than a small layer takes.
        constexpr std::size_t kWorthAThread = 256;
        if (helper && current_.size() >= kWorthAThread) {
          helper->start(phase);
          runPhase(phase, 0);
          helper->finish();
        } else {
          runPhase(phase, 0);
          runPhase(phase, 1);
        }
        afterPhase(phase);
      }
    }
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (hits_[type].score != GoalProgress::kNoPlan) {
        result_.bestByForm[type] = planOf(hits_[type]);
      }
    }
    return result_;
  }

 private:
  // A layer is made in two phases, each split in two parts that run side by side when there
  // are two threads and the layer is big enough: growing (each part feeds half of the layer
  // before, and sorts the new states by form) and keeping (each part keeps the best states of
  // some of the forms). Between the phases the calling thread does what needs the whole layer.
  // Every part reads and writes the same things in the same order with one thread or two, so the
  // plans do not depend on the threads.
  static constexpr int kPhases = 2;

  void runPhase(int phase, int part) {
    if (phase == 0) {
      growPart(part);
    } else {
      keepPart(part);
    }
  }

  // What one thread does between the phases.
  void afterPhase(int phase) {
    if (phase == 0) {
      afterGrow();
    } else {
      afterKeep();
    }
  }

  // Gets the layer `depth_` ready to grow, or ends the search.
  void startLayer() {
    if (current_.empty() || depth_ > options_.maxFeedings) {
      done_ = true;
      return;
    }
    prepareBounds();
    middle_ = current_.size() / 2;
  }

  // The plans found while growing, in the order of the parts, and the limits they give; which
  // part keeps which forms' states.
  void afterGrow() {
    limitsLowered_ = false;
    std::uint64_t tried = 0;
    for (int part = 0; part < 2; ++part) {
      tried += tried_[part];
      for (const LayerHit& hit : hitsMade_[part]) recordHit(hit, depth_);
    }
    result_.feedingsTried += tried;
    result_.layers = depth_;
    layerTried_ = tried;
    // Each form goes to the part with less work so far, the work being the states to choose from.
    std::size_t load[2] = {0, 0};
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      const std::size_t count = made_[0][type].size() + made_[1][type].size();
      keeper_[type] = load[1] < load[0] ? 1 : 0;
      load[keeper_[type]] += count;
    }
  }

  // The kept states become the layer, and the next one is made ready.
  void afterKeep() {
    current_.clear();
    const std::size_t count = std::accumulate(
        kept_.begin(), kept_.end(), std::size_t{0},
        [](std::size_t sum, const std::vector<BeamNode>& kept) { return sum + kept.size(); });
    std::vector<std::uint32_t>& backs = backs_.emplace_back();
    backs.reserve(count);
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      for (const BeamNode& node : kept_[type]) {
        current_.push_back(node);
        backs.push_back(node.back);
      }
    }
    if (options_.progress != nullptr) report(layerTried_);
    ++depth_;
    startLayer();
  }

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
      limitsLowered_ = true;
    }
  }

  // The bounds that the states of the next layer may need, made before the parts grow it (the
  // parts only read them). A feeding raises the level by four at most, so a state's bracket is
  // its parent's or the next.
  void prepareBounds() {
    FormSet forms[kBracketCount] = {};
    for (const BeamNode& parent : current_) {
      const int bracket = bracketOf(levelOf(parent));
      forms[bracket] |= reach_[parent.type][bracket];
      if (bracket + 1 < kBracketCount) forms[bracket + 1] |= reach_[parent.type][bracket];
    }
    for (int bracket = 0; bracket < kBracketCount; ++bracket) {
      for (FormSet left = forms[bracket]; left != 0; left &= left - 1) {
        const auto type = static_cast<MagType>(std::countr_zero(left));
        boundOf(type, bracket, false);
        boundOf(type, bracket, true);
      }
    }
  }

  // A bound made by prepareBounds, for the parts to read.
  const CostBound& preparedBound(MagType type, int bracket, bool trueBound) const {
    return bounds_[trueBound ? trueBoundIndex_[type][bracket] : boundIndex_[type][bracket]];
  }

  // Feeds every useful item to the states of its half of the layer before, and sorts the new
  // states by form (the plans that reach the target are put aside). States that
  // cannot beat the plans found before this layer are dropped at once: they would be dropped
  // after the merge anyway.
  void growPart(int part) {
    const std::size_t first = part == 0 ? 0 : middle_;
    const std::size_t last = part == 0 ? middle_ : current_.size();
    std::array<std::vector<BeamNode>, kMagTypeCount>& made = made_[part];
    for (std::vector<BeamNode>& form : made) form.clear();
    std::vector<LayerHit>& hits = hitsMade_[part];
    hits.clear();
    std::uint64_t tried = 0;
    const std::int32_t targets[4] = {target_.def, target_.pow, target_.dex, target_.mind};
    for (std::size_t p = first; p < last; ++p) {
      const BeamNode parent = current_[p];
      const MagState mag = unpackNode(parent);
      const std::int32_t stats[4] = {mag.def, mag.pow, mag.dex, mag.mind};
      const std::int32_t bars[4] = {mag.defBar, mag.powBar, mag.dexBar, mag.mindBar};
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
        applyFeeding(player_, child, delta);
        ++tried;
        const std::int32_t cost = parent.cost + kItemPrice[item];
        if (child.def == target_.def && child.pow == target_.pow && child.dex == target_.dex &&
            child.mind == target_.mind) {
          hits.push_back({child.type, cost, static_cast<std::uint32_t>(p), item});
          continue;
        }
        const int bracket = bracketOf(child.level);
        if (limit_[child.type][bracket] == kDropAll) continue;
        const auto need = barPointsNeeded(child, target_);
        const double remaining = preparedBound(child.type, bracket, false).of(need);
        if (remaining >= CostBound::kUnreachable) continue;
        if (hopeless(child.type, bracket, cost, remaining, [&] { return need; })) continue;
        const BeamNode node{packStatsAndBars(child), cheapest_ ? remaining + cost : remaining, cost,
                            static_cast<std::uint32_t>(p << 4 | static_cast<std::size_t>(item)),
                            child.type};
        made[child.type].push_back(node);
      }
    }
    tried_[part] = tried;
  }

  // Keeps the best `width` distinct states of each form this part keeps, out of those that may
  // still beat the plans found (the plans found while this layer grew may have lowered the
  // limits).
  void keepPart(int part) {
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (keeper_[type] != part) continue;
      std::vector<BeamNode>& hopeful = hopeful_[part];
      hopeful.clear();
      for (const auto& madeByPart : made_) {
        const std::vector<BeamNode>& made = madeByPart[type];
        // The states made were checked against the limits as they were before the layer grew.
        if (!limitsLowered_) {
          hopeful.insert(hopeful.end(), made.begin(), made.end());
          continue;
        }
        for (const BeamNode& node : made) {
          const int bracket = bracketOf(levelOf(node));
          const double remaining = cheapest_ ? node.rank - node.cost : node.rank;
          const auto need = [&] { return barPointsNeeded(unpackNode(node), target_); };
          if (!hopeless(type, bracket, node.cost, remaining, need)) hopeful.push_back(node);
        }
      }
      best_[part].keep(hopeful, static_cast<std::size_t>(options_.width));
      kept_[type].assign(hopeful.begin(), hopeful.end());
    }
  }

  // A bound in whole meseta or feedings, rounded up less a hair for the rounding of the bound.
  static std::int64_t wholeUnits(double bound) {
    const double less = bound - 1e-6;
    auto whole = static_cast<std::int64_t>(less);
    if (static_cast<double>(whole) < less) ++whole;
    return whole;
  }

  // Whether a state of layer depth_ that cost `cost` and needs at least `remaining` more by the
  // ranking's bound cannot beat the best plans already found; `need` gives the bar points it
  // still needs, for the true bound.
  template <typename Need>
  bool hopeless(MagType type, int bracket, std::int32_t cost, double remaining, Need need) const {
    const std::int64_t limit = limit_[type][bracket];
    if (cheapest_) {
      // Most states are far below the limit: rounding the bound up adds less than one.
      if (static_cast<double>(cost) + remaining + 1 < static_cast<double>(limit)) return false;
      if (cost + wholeUnits(remaining) < limit) return false;
    } else if (depth_ + 1 < limit) {
      return false;
    }
    // Only a true bound may drop a state: the current form's table may overstate the cost.
    if (!cheapest_ || options_.ranking == Ranking::kReachableTables) return true;
    const double atLeast = preparedBound(type, bracket, true).of(need());
    return atLeast >= CostBound::kUnreachable || cost + wholeUnits(atLeast) >= limit;
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
      const std::uint32_t back = backs_[depth][index];
      items[depth - 1] = static_cast<Item>(back & 15U);
      index = back >> 4;
    }
    Plan plan;
    plan.start = start_;
    MagState mag = start_;
    for (Item item : items) {
      plan.feedings.push_back({item, mag});
      applyFeeding(player_, mag, deltaOf(item, mag.type));
      plan.cost += kItemPrice[item];
    }
    plan.reached = mag;
    return plan;
  }

  Player player_;  // read by both parts at once
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

  BeamResult result_;
  std::int32_t depth_ = 1;  // the layer being made: its states have had this many feedings
  bool done_ = false;
  std::vector<BeamNode> current_;  // the layer before, by form
  std::size_t middle_ = 0;         // where the second part's half of current_ begins
  // Per part: the states it made by form, the plans it found, the feedings it tried, the states
  // of one form it chooses from, and its chooser.
  std::array<std::vector<BeamNode>, kMagTypeCount> made_[2];
  std::vector<LayerHit> hitsMade_[2];
  std::uint64_t tried_[2] = {0, 0};
  std::uint64_t layerTried_ = 0;
  bool limitsLowered_ = false;  // by a plan found while this layer grew
  std::vector<BeamNode> hopeful_[2];
  BestStates best_[2];
  // Which part keeps each form's states, and the states kept.
  std::array<int, kMagTypeCount> keeper_{};
  std::array<std::vector<BeamNode>, kMagTypeCount> kept_;
  // Every kept state's back link, layer after layer (each layer in a block of its own: one block
  // for all would need twice its size while it grows).
  std::vector<std::vector<std::uint32_t>> backs_;
};

}  // namespace

BeamResult beamSearch(const PlayerRequest& request, const MagState& start,
                      const BeamOptions& options) {
  BeamRun run(request, start, options);
  return run.run();
}

}  // namespace ostrel

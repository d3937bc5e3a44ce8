// The beam search's loop: one layer of states per number of feedings, grown from the layer
// before, then cut down to the best states of each form. Its steps each have a file of their own:
// the estimates (estimate_table.h), the limits (pruning_limits.h), growing (layer_growth.h),
// keeping (best_states.h), the way back (back_links.h), the plans met (met_plans.h) and the
// second thread (two_threads.h).
#include "plan/goal/beam_search.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <functional>
#include <numeric>
#include <optional>
#include <span>
#include <vector>

#include "plan/goal/back_links.h"
#include "plan/goal/beam_feeding.h"
#include "plan/goal/best_states.h"
#include "plan/goal/ends_by_bracket.h"
#include "plan/goal/estimate_store.h"
#include "plan/goal/estimate_table.h"
#include "plan/goal/form_steering.h"
#include "plan/goal/goal_order.h"
#include "plan/goal/layer_growth.h"
#include "plan/goal/met_plans.h"
#include "plan/goal/pruning_limits.h"
#include "plan/goal/two_threads.h"

namespace ostrel {
namespace {

// What each item counts for in the ranking: its cost in the goal's unit, and for the cheapest
// plan the price put on every feeding besides (BeamSpec::feedingPrice).
ItemCosts itemCostsOf(double (*itemCost)(Item), double feedingPrice) {
  ItemCosts costs{};
  for (Item item = 0; item < kFedItemCount; ++item) costs[item] = itemCost(item) + feedingPrice;
  return costs;
}

// Whether a beam's lower bounds count the room left on the stats on target, and how.
RoomCount roomCountOf(const BeamSpec& beam, const Target& target) {
  if (!beam.countRoom) return RoomCount::kNot;
  return target.level == kMaxLevel ? RoomCount::kToMaxLevel : RoomCount::kBelowMaxLevel;
}

// Each layer is made in two steps, each in parts that two threads share when there are two and
// the layer is big enough: growing (each part feeds a slice of the layer before) and keeping (each
// part keeps the best states of one form). What a part makes depends on the part alone, and the
// parts are read back in their order, so the plans do not depend on the threads.
template <class Order>
class BeamRun {
 public:
  BeamRun(const PlayerRequest& request, const MagState& start, const BeamSpec& beam,
          const BeamRunning& running)
      : player_(request.player),
        start_(start),
        target_(request.target),
        beam_(beam),
        running_(running),
        ends_(endsByBracketOf(player_, target_.level)),
        estimates_(ends_, beam.ranking, itemCostsOf(&Order::itemCost, beam.feedingPrice),
                   beam.rankingWeight, CostEstimate::statsShort(barPointsNeeded(start, target_)),
                   roomCountOf(beam, target_), *running.estimates),
        // Only the search for every form's best plan looks at the forms a plan may end in.
        limits_(ends_, LimitRules::of(beam),
                beam.everyForm ? possibleEndsFrom(request, start) : ~FormSet{0}, beam.known,
                beam.knownByForm),
        threads_(running.threads >= 2 && running.twoThreads != nullptr
                     ? *running.twoThreads
                     : ownThreads_.emplace(running.threads >= 2)) {
    start_.level = start_.def + start_.pow + start_.dex + start_.mind;
    if (beam.steerTo != 0) steering_ = FormSteering{player_, target_, beam.steerTo};
  }

  BeamResult run() {
    startFrom(start_);
    for (frame_.depth = 1;
         !frame_.parents.empty() && frame_.depth <= beam_.maxFeedings &&
         (beam_.mostFeedingsTried == 0 || result_.feedingsTried < beam_.mostFeedingsTried);
         ++frame_.depth) {
      prepareEstimates();
      growLayer();
      takeHits();
      keepBest();
      takeKeptLayer();
      tellProgress();
    }
    return plansFound();
  }

 private:
  // The best plan that reached the target in one form: its order key (orderKey, in the beam's
  // goal), and its last feeding, found from a state of layer `depth` - 1.
  struct Hit {
    std::uint64_t key = GoalProgress::kNoPlan;
    std::int32_t depth = 0;
    BackLink last{};
  };

  // The slices a layer is grown in where two threads share it: a few times as many as threads, so
  // that the load evens out; and as many as the states of one form may be read back from.
  static constexpr std::size_t kGrowParts = MadeStates::kMostRuns;

  // What one layer holds while it is made: the layer before, what each share grew from it, and the
  // states each form keeps. One frame serves every layer in turn, so its buffers are allocated once
  // and grow to the largest layer; the layers before live on only as back links.
  struct LayerFrame {
    std::int32_t depth = 1;         // the states made have had this many feedings
    std::vector<BeamNode> parents;  // the layer before, by form
    // What each slice of the parents made, in the order of the slices.
    std::array<GrownShare, kGrowParts> grown{};
    std::size_t slices = 1;
    std::uint64_t tried = 0;                                // feedings simulated for this layer
    bool limitsLowered = false;                             // by a plan found while this layer grew
    std::array<std::vector<BeamNode>, kMagTypeCount> kept;  // the states kept, by form
  };

  // Layer 0: the start alone.
  void startFrom(const MagState& start) {
    frame_.parents.push_back(BeamNode{packStatsAndBars(start), 0, 0, BackLink{}, start.type});
    if (running_.metPlans != nullptr) running_.metPlans->startBeam(beam_.form);
  }

  // Sharing a layer's work with another thread costs more than a small layer takes.
  static constexpr std::size_t kWorthAThread = 128;
  bool worthAThread() const { return frame_.parents.size() >= kWorthAThread; }

  // The estimates that the states grown from this layer may need, made before it grows.
  void prepareEstimates() {
    estimates_.prepareFor(frame_.parents, [this](const std::function<void(int)>& work) {
      threads_.runBoth(work, true, running_.lentThread);
    });
  }

  // Every useful item fed to every state of the layer before, a slice at a time. Where another
  // thread may help, the layer is cut in several slices, so that whichever thread is free takes
  // the next: a thread that the machine does not run for a while holds up at most one slice.
  void growLayer() {
    const bool shared = worthAThread() && (threads_.count() == 2 || running_.lentThread != nullptr);
    frame_.slices = shared ? kGrowParts : 1;
    threads_.runParts(frame_.slices, growSlice_, shared, running_.lentThread);
  }

  void growSlice(std::size_t slice) {
    const std::size_t size = frame_.parents.size();
    const std::size_t first = size * slice / frame_.slices;
    const std::size_t last = size * (slice + 1) / frame_.slices;
    const GrowthRules<Order> rules{player_,
                                   target_,
                                   estimates_,
                                   limits_,
                                   beam_.feedingPrice == 0 ? Order::kLevelUpOnlyItems : ItemSet{0},
                                   steering_ ? &*steering_ : nullptr,
                                   beam_.ceiling.level != 0 ? &beam_.ceiling : nullptr};
    growShare(frame_.parents, first, last, frame_.depth, rules, frame_.grown[slice]);
  }

  // The plans found while the layer grew, in the order of the slices, and the limits they give.
  void takeHits() {
    frame_.limitsLowered = false;
    frame_.tried = 0;
    for (std::size_t slice = 0; slice < frame_.slices; ++slice) {
      const GrownShare& grown = frame_.grown[slice];
      frame_.tried += grown.tried;
      for (const LayerHit& hit : grown.hits) takeHit(hit);
    }
    result_.feedingsTried += frame_.tried;
  }

  void takeHit(const LayerHit& reached) {
    const std::int32_t depth = frame_.depth;
    if (running_.metPlans != nullptr) {
      running_.metPlans->meet(depth, reached.form, reached.cost, reached.last);
    }
    Hit& hit = hits_[reached.form];
    const PlanMeasure measure{depth, reached.cost};
    const std::uint64_t key = orderKey(Order::kGoal, measure);
    if (key >= hit.key) return;
    hit = Hit{key, depth, reached.last};
    if (limits_.lower(reached.form, measure)) frame_.limitsLowered = true;
  }

  // The best states of every form, a form at a time, whichever thread is free taking the next.
  void keepBest() {
    threads_.runParts(kMagTypeCount, keepForm_, worthAThread(), running_.lentThread);
  }

  // Keeps the best `width` distinct states of form `type`, out of those that may still beat the
  // plans found (the plans found while this layer grew may have lowered the limits); `worker`'s
  // buffers serve the choice.
  void keepForm(MagType type, int worker) {
    const auto width = static_cast<std::size_t>(beam_.width);
    const auto cap = static_cast<std::size_t>(beam_.sameStatsCap);
    const std::span<const GrownShare> grown(frame_.grown.data(), frame_.slices);
    // Most forms make no state in most layers: they keep none, with nothing to choose.
    if (std::all_of(grown.begin(), grown.end(),
                    [type](const GrownShare& slice) { return slice.made[type].empty(); })) {
      frame_.kept[type].clear();
      return;
    }
    // The states made were checked against the limits as they were before the layer grew.
    if (!frame_.limitsLowered) {
      MadeStates made;
      for (const GrownShare& slice : grown) {
        made.add(slice.made[type]);
        made.ranks.take(slice.ranks[type]);
      }
      best_[worker].keep(made, frame_.kept[type], width, cap);
      return;
    }
    std::vector<BeamNode>& hopeful = hopeful_[worker];
    hopeful.clear();
    for (const GrownShare& slice : grown) {
      for (const BeamNode& node : slice.made[type]) {
        const double remaining = Order::remainingOf(node.rank, node.cost);
        const auto boundOf = [&](const CostEstimate& bound) {
          return bound.of(barPointsNeeded(unpackNode(node), target_));
        };
        if (!limits_.hopeless(frame_.depth, type, bracketOf(levelOf(node)), node.cost, remaining,
                              boundOf, estimates_)) {
          hopeful.push_back(node);
        }
      }
    }
    best_[worker].keep(MadeStates{hopeful}, frame_.kept[type], width, cap);
  }

  // The kept states become the layer, and their back links are kept.
  void takeKeptLayer() {
    std::vector<BeamNode>& layer = frame_.parents;
    layer.clear();
    const std::size_t count = std::accumulate(
        frame_.kept.begin(), frame_.kept.end(), std::size_t{0},
        [](std::size_t sum, const std::vector<BeamNode>& kept) { return sum + kept.size(); });
    std::vector<BackLink>& links = backLinks_.addLayer(count);
    for (const std::vector<BeamNode>& kept : frame_.kept) {
      for (const BeamNode& node : kept) {
        layer.push_back(node);
        links.push_back(node.back);
      }
    }
  }

  // The feedings of this layer and the best plan of a wanted form so far, to the progress.
  void tellProgress() {
    if (running_.progress == nullptr) return;
    std::uint64_t best = GoalProgress::kNoPlan;
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (!beam_.form || *beam_.form == type) best = std::min(best, hits_[type].key);
    }
    std::optional<PlanMeasure> shown;
    if (best != GoalProgress::kNoPlan) shown = measureOfKey(Order::kGoal, best);
    ostrel::tellProgress(running_.progress, frame_.tried, shown);
  }

  // The best plan of every form, read back through the layers and fed again from the start; and
  // the plans met, to whoever hears of them.
  BeamResult plansFound() {
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      const Hit& hit = hits_[type];
      if (hit.key == GoalProgress::kNoPlan) continue;
      result_.bestByForm[type] =
          replayPlan(player_, start_, backLinks_.itemsTo(hit.depth, hit.last));
    }
    if (running_.metPlans != nullptr) running_.metPlans->endBeam(backLinks_, player_, start_);
    return result_;
  }

  Player player_;  // only read: both shares feed with it at once
  MagState start_;
  Target target_;
  const BeamSpec& beam_;
  const BeamRunning& running_;
  EndsByBracket ends_;
  EstimateTable estimates_;
  PruningLimits<Order> limits_;
  std::optional<FormSteering> steering_;  // with wanted forms
  std::optional<TwoThreads> ownThreads_;  // where the goal search handed down none
  TwoThreads& threads_;
  const PartWork growSlice_ = [this](std::size_t slice, int /*worker*/) { growSlice(slice); };
  const PartWork keepForm_ = [this](std::size_t type, int worker) {
    keepForm(static_cast<MagType>(type), worker);
  };

  LayerFrame frame_;
  std::vector<BeamNode> hopeful_[2];  // per worker: the states of one form to choose from
  BestStates best_[2];                // per worker: the chooser of the states kept
  BackLinks backLinks_;
  std::array<Hit, kMagTypeCount> hits_{};
  BeamResult result_;
};

}  // namespace

BeamResult runBeam(const PlayerRequest& request, const MagState& start, const BeamSpec& beam,
                   const BeamRunning& running) {
  if (running.estimates == nullptr) {
    EstimateStore own;
    BeamRunning withOwn = running;
    withOwn.estimates = &own;
    return runBeam(request, start, beam, withOwn);
  }
  if (beam.goal == Goal::kFewest) return BeamRun<FewestOrder>(request, start, beam, running).run();
  return BeamRun<CheapestOrder>(request, start, beam, running).run();
}

}  // namespace ostrel

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
#include <vector>

#include "plan/goal/back_links.h"
#include "plan/goal/beam_feeding.h"
#include "plan/goal/best_states.h"
#include "plan/goal/ends_by_bracket.h"
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
RoomCount roomCountOf(const BeamSpec& spec, const Target& target) {
  if (!spec.countRoom) return RoomCount::kNot;
  return target.level == kMaxLevel ? RoomCount::kToMaxLevel : RoomCount::kBelowMaxLevel;
}

// Each layer is made in two steps, each split in two shares that run side by side when there are
// two threads and the layer is big enough: growing (each share feeds half of the layer before)
// and keeping (each share keeps the best states of some of the forms). Every share reads and
// writes the same things in the same order with one thread or two, so the plans do not depend on
// the threads.
template <class Order>
class BeamRun {
 public:
  BeamRun(const PlayerRequest& request, const MagState& start, const BeamSpec& spec,
          const BeamRunning& running)
      : player_(request.player),
        start_(start),
        target_(request.target),
        spec_(spec),
        running_(running),
        ends_(endsByBracketOf(player_, target_.level)),
        estimates_(ends_, spec.ranking, itemCostsOf(&Order::itemCost, spec.feedingPrice),
                   spec.rankingWeight, CostEstimate::statsShort(barPointsNeeded(start, target_)),
                   roomCountOf(spec, target_)),
        // Only the search for every form's best plan looks at the forms a plan may end in.
        limits_(ends_, LimitRules::of(spec),
                spec.everyForm ? possibleEndsFrom(request, start) : ~FormSet{0}, spec.known,
                spec.knownByForm),
        threads_(running.threads >= 2) {
    start_.level = start_.def + start_.pow + start_.dex + start_.mind;
    if (spec.steerTo != 0) steering_ = FormSteering{player_, target_, spec.steerTo};
  }

  BeamResult run() {
    startFrom(start_);
    for (frame_.depth = 1; !frame_.parents.empty() && frame_.depth <= spec_.maxFeedings;
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

  // What one layer holds while it is made: the layer before, what each share grew from it, and the
  // states each form keeps. One frame serves every layer in turn, so its buffers are allocated once
  // and grow to the largest layer; the layers before live on only as back links.
  struct LayerFrame {
    std::int32_t depth = 1;         // the states made have had this many feedings
    std::vector<BeamNode> parents;  // the layer before, by form
    std::size_t middle = 0;         // where the second share's half of the parents begins
    std::array<GrownShare, 2> shares{};
    std::uint64_t tried = 0;                  // feedings simulated for this layer
    bool limitsLowered = false;               // by a plan found while this layer grew
    std::array<int, kMagTypeCount> keeper{};  // the share that keeps each form's states
    std::array<std::vector<BeamNode>, kMagTypeCount> kept;  // the states kept, by form
  };

  // Layer 0: the start alone.
  void startFrom(const MagState& start) {
    frame_.parents.push_back(BeamNode{packStatsAndBars(start), 0, 0, BackLink{}, start.type});
    if (running_.metPlans != nullptr) running_.metPlans->startBeam(spec_.form);
  }

  // Runs work(0) and work(1), side by side when worth a thread. Handing a share over costs more
  // than a small layer takes.
  void inTwoShares(const std::function<void(int)>& work, bool bigEnough) {
    threads_.runBoth(work, bigEnough, running_.lentThread);
  }
  static constexpr std::size_t kWorthAThread = 128;

  // The estimates that the states grown from this layer may need, made before it grows.
  void prepareEstimates() {
    estimates_.prepareFor(
        frame_.parents, [this](const std::function<void(int)>& work) { inTwoShares(work, true); });
  }

  // Every useful item fed to every state of the layer before, half of it in each share.
  void growLayer() {
    frame_.middle = frame_.parents.size() / 2;
    inTwoShares(growHalf_, frame_.parents.size() >= kWorthAThread);
  }

  void growHalf(int share) {
    const std::size_t first = share == 0 ? 0 : frame_.middle;
    const std::size_t last = share == 0 ? frame_.middle : frame_.parents.size();
    const GrowthRules<Order> rules{player_,
                                   target_,
                                   estimates_,
                                   limits_,
                                   spec_.feedingPrice == 0 ? Order::kLevelUpOnlyItems : ItemSet{0},
                                   steering_ ? &*steering_ : nullptr};
    growShare(frame_.parents, first, last, frame_.depth, rules, frame_.shares[share]);
  }

  // The plans found while the layer grew, in the order of the shares, and the limits they give.
  void takeHits() {
    frame_.limitsLowered = false;
    frame_.tried = 0;
    for (const GrownShare& share : frame_.shares) {
      frame_.tried += share.tried;
      for (const LayerHit& hit : share.hits) takeHit(hit);
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

  // Each form goes to the share that made most of its states, on whose core they lie in the
  // cache: chosen on the other core, they would first have to move across. The halves of a layer
  // are by form, so the work stays about evenly shared.
  void keepBest() {
    const std::array<GrownShare, 2>& shares = frame_.shares;
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      frame_.keeper[type] = shares[1].made[type].size() > shares[0].made[type].size() ? 1 : 0;
    }
    inTwoShares(keepForms_, frame_.parents.size() >= kWorthAThread);
  }

  // Keeps the best `width` distinct states of each form this share keeps, out of those that may
  // still beat the plans found (the plans found while this layer grew may have lowered the
  // limits).
  void keepForms(int share) {
    const std::array<GrownShare, 2>& shares = frame_.shares;
    std::vector<BeamNode>& hopeful = hopeful_[share];
    const auto width = static_cast<std::size_t>(spec_.width);
    const auto cap = static_cast<std::size_t>(spec_.sameStatsCap);
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (frame_.keeper[type] != share) continue;
      // The states made were checked against the limits as they were before the layer grew.
      if (!frame_.limitsLowered) {
        RankSpan ranks = shares[0].ranks[type];
        ranks.take(shares[1].ranks[type]);
        best_[share].keep(MadeStates{shares[0].made[type], shares[1].made[type], ranks},
                          frame_.kept[type], width, cap);
        continue;
      }
      hopeful.clear();
      for (const GrownShare& grown : shares) {
        for (const BeamNode& node : grown.made[type]) {
          const double remaining = Order::remainingOf(node.rank, node.cost);
          const auto need = [&] { return barPointsNeeded(unpackNode(node), target_); };
          if (!limits_.hopeless(frame_.depth, type, bracketOf(levelOf(node)), node.cost, remaining,
                                need, estimates_)) {
            hopeful.push_back(node);
          }
        }
      }
      best_[share].keep(MadeStates{hopeful}, frame_.kept[type], width, cap);
    }
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
      if (!spec_.form || *spec_.form == type) best = std::min(best, hits_[type].key);
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
  const BeamSpec& spec_;
  const BeamRunning& running_;
  EndsByBracket ends_;
  EstimateTable estimates_;
  PruningLimits<Order> limits_;
  std::optional<FormSteering> steering_;  // with wanted forms
  TwoThreads threads_;
  const std::function<void(int)> growHalf_ = [this](int share) { growHalf(share); };
  const std::function<void(int)> keepForms_ = [this](int share) { keepForms(share); };

  LayerFrame frame_;
  std::vector<BeamNode> hopeful_[2];  // per share: the states of one form to choose from
  BestStates best_[2];                // per share: the chooser of the states kept
  BackLinks backLinks_;
  std::array<Hit, kMagTypeCount> hits_{};
  BeamResult result_;
};

}  // namespace

BeamResult runBeam(const PlayerRequest& request, const MagState& start, const BeamSpec& spec,
                   const BeamRunning& running) {
  if (spec.goal == Goal::kFewest) return BeamRun<FewestOrder>(request, start, spec, running).run();
  return BeamRun<CheapestOrder>(request, start, spec, running).run();
}

}  // namespace ostrel

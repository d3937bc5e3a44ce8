// The beam search's loop: one layer of states per number of feedings, grown from the layer
// before, then cut down to the best states of each form. Its steps each have a file of their own:
// the bounds (bound_table.h), the limits (pruning_limits.h), growing (layer_growth.h), keeping
// (best_states.h), the way back (back_links.h) and the second thread (two_threads.h). The
// cheapest plan runs five such searches (kCheapestPasses).
#include "plan/goal/beam_search.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <iterator>
#include <numeric>
#include <optional>
#include <utility>
#include <vector>

#include "plan/goal/back_links.h"
#include "plan/goal/beam_feeding.h"
#include "plan/goal/best_states.h"
#include "plan/goal/bound_table.h"
#include "plan/goal/form_reach.h"
#include "plan/goal/form_steering.h"
#include "plan/goal/goal_order.h"
#include "plan/goal/layer_growth.h"
#include "plan/goal/pruning_limits.h"
#include "plan/goal/two_threads.h"

namespace ostrel {
namespace {

// The best plan that reached the target in one form: its last feeding, found from a state of
// layer `depth` - 1.
struct Hit {
  std::uint64_t score = GoalProgress::kNoPlan;
  std::int32_t depth = 0;
  BackLink last{};
};

// The plan of a hit: its items read back through the layers, then fed again from the start.
Plan planOf(const Hit& hit, const BackLinks& links, const Player& player, const MagState& start) {
  return replayPlan(player, start, links.itemsTo(hit.depth, hit.last));
}

// What each item counts for in the ranking's bound: its cost in the goal's unit, and for the
// cheapest plan the price put on every feeding besides (BeamOptions::feedingPrice).
ItemCosts itemCostsOf(double (*itemCost)(Item), double feedingPrice) {
  ItemCosts costs{};
  for (Item item = 0; item < kFedItemCount; ++item) costs[item] = itemCost(item) + feedingPrice;
  return costs;
}

// Each layer is made in two steps, each split in two shares that run side by side when there are
// two threads and the layer is big enough: growing (each share feeds half of the layer before)
// and keeping (each share keeps the best states of some of the forms). Every share reads and
// writes the same things in the same order with one thread or two, so the plans do not depend on
// the threads.
template <class Order>
class BeamRun {
 public:
  BeamRun(const PlayerRequest& request, const MagState& start, const BeamOptions& options)
      : player_(request.player),
        start_(start),
        options_(options),
        target_(request.target),
        reach_(formReachOf(player_, target_.level)),
        bounds_(reach_, options.ranking, itemCostsOf(&Order::itemCost, options.feedingPrice),
                options.rankingWeight, CostBound::statsShort(barPointsNeeded(start, target_)),
                !options.countRoom                  ? RoomCount::kNot
                : request.target.level == kMaxLevel ? RoomCount::kToMaxLevel
                                                    : RoomCount::kBelowMaxLevel),
        // Only the search for every form's best plan looks at the forms a plan may end in.
        limits_(reach_, options_, options.everyForm ? formsOpenFrom(request, start) : ~FormSet{0}),
        levelUpOnly_(options.feedingPrice == 0 ? Order::kLevelUpOnlyItems : ItemSet{0}),
        threads_(options.threads >= 2),
        shares_{} {
    start_.level = start_.def + start_.pow + start_.dex + start_.mind;
    if (options.steerTo != 0) steering_ = FormSteering{player_, target_, options.steerTo};
  }

  BeamResult run() {
    layer_.push_back(BeamNode{packStatsAndBars(start_), 0, 0, BackLink{}, start_.type});
    // Handing a share over costs more than a small layer takes.
    constexpr std::size_t kWorthAThread = 128;
    const std::function<void(int)> grow = [this](int share) { growHalf(share); };
    const std::function<void(int)> keep = [this](int share) { keepForms(share); };
    const RunBoth sideBySide = [this](const std::function<void(int)>& work) {
      threads_.runBoth(work, true, options_.lentThread);
    };
    for (depth_ = 1; !layer_.empty() && depth_ <= options_.maxFeedings; ++depth_) {
      bounds_.prepareFor(layer_, sideBySide);
      middle_ = layer_.size() / 2;
      const bool bigLayer = layer_.size() >= kWorthAThread;
      threads_.runBoth(grow, bigLayer, options_.lentThread);
      takeHits();
      shareOutForms();
      threads_.runBoth(keep, bigLayer, options_.lentThread);
      takeKeptLayer();
      if (options_.progress != nullptr) report();
    }
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (hits_[type].score != GoalProgress::kNoPlan) {
        result_.bestByForm[type] = planOf(hits_[type], backLinks_, player_, start_);
      }
    }
    if (options_.metPlans != nullptr) addMetPlans();
    return result_;
  }

 private:
  void growHalf(int share) {
    const std::size_t first = share == 0 ? 0 : middle_;
    const std::size_t last = share == 0 ? middle_ : layer_.size();
    growShare(layer_, first, last, depth_, player_, target_, bounds_, limits_, levelUpOnly_,
              steering_ ? &*steering_ : nullptr, shares_[share]);
  }

  // The plans found while the layer grew, in the order of the shares, and the limits they give.
  void takeHits() {
    limitsLowered_ = false;
    layerTried_ = 0;
    for (const GrownShare& share : shares_) {
      layerTried_ += share.tried;
      for (const LayerHit& hit : share.hits) recordHit(hit);
    }
    result_.feedingsTried += layerTried_;
    result_.layers = depth_;
  }

  void recordHit(const LayerHit& reached) {
    if (options_.metPlans != nullptr) meet(reached);
    Hit& hit = hits_[reached.form];
    const std::uint64_t score = packScore(Order::kGoal, depth_, reached.cost);
    if (score >= hit.score) return;
    hit = Hit{score, depth_, reached.last};
    if (limits_.lower(reached.form, depth_, reached.cost)) limitsLowered_ = true;
  }

  // Holds the cheapest plan of the wanted form met at this number of feedings; the first met of
  // equal ones, so the plans held depend only on the order of the hits.
  void meet(const LayerHit& reached) {
    if (options_.form && *options_.form != reached.form) return;
    if (met_.empty() || met_.back().depth != depth_) {
      met_.push_back(Hit{GoalProgress::kNoPlan, depth_, {}});
    }
    Hit& held = met_.back();
    const auto cost = static_cast<std::uint64_t>(reached.cost);
    if (cost < held.score) held = Hit{cost, depth_, reached.last};
  }

  // The plans met that are cheaper than every shorter one, read back through the layers.
  void addMetPlans() {
    std::uint64_t cheapest = GoalProgress::kNoPlan;
    for (const Hit& hit : met_) {
      if (hit.score >= cheapest) continue;
      cheapest = hit.score;
      options_.metPlans->push_back(planOf(hit, backLinks_, player_, start_));
    }
  }

  // Each form goes to the share that made most of its states, on whose core they lie in the
  // cache: chosen on the other core, they would first have to move across, which slowed both
  // threads by half. The halves of a layer are by form, so the work stays about evenly shared.
  void shareOutForms() {
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      keeper_[type] = shares_[1].made[type].size() > shares_[0].made[type].size() ? 1 : 0;
    }
  }

  // Keeps the best `width` distinct states of each form this share keeps, out of those that may
  // still beat the plans found (the plans found while this layer grew may have lowered the
  // limits).
  void keepForms(int share) {
    std::vector<BeamNode>& hopeful = hopeful_[share];
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (keeper_[type] != share) continue;
      // The states made were checked against the limits as they were before the layer grew.
      if (!limitsLowered_) {
        RankSpan ranks = shares_[0].ranks[type];
        ranks.take(shares_[1].ranks[type]);
        best_[share].keep(MadeStates{shares_[0].made[type], shares_[1].made[type], ranks},
                          kept_[type], static_cast<std::size_t>(options_.width),
                          static_cast<std::size_t>(options_.sameStatsCap));
        continue;
      }
      hopeful.clear();
      for (const GrownShare& grown : shares_) {
        for (const BeamNode& node : grown.made[type]) {
          const double remaining = Order::remainingOf(node.rank, node.cost);
          const auto need = [&] { return barPointsNeeded(unpackNode(node), target_); };
          if (!limits_.hopeless(depth_, type, bracketOf(levelOf(node)), node.cost, remaining, need,
                                bounds_)) {
            hopeful.push_back(node);
          }
        }
      }
      best_[share].keep(MadeStates{hopeful}, kept_[type], static_cast<std::size_t>(options_.width),
                        static_cast<std::size_t>(options_.sameStatsCap));
    }
  }

  // The kept states become the layer, and their back links are kept.
  void takeKeptLayer() {
    layer_.clear();
    const std::size_t count = std::accumulate(
        kept_.begin(), kept_.end(), std::size_t{0},
        [](std::size_t sum, const std::vector<BeamNode>& kept) { return sum + kept.size(); });
    std::vector<BackLink>& links = backLinks_.addLayer(count);
    for (const std::vector<BeamNode>& kept : kept_) {
      for (const BeamNode& node : kept) {
        layer_.push_back(node);
        links.push_back(node.back);
      }
    }
  }

  void report() {
    std::uint64_t best = GoalProgress::kNoPlan;
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (!options_.form || *options_.form == type) best = std::min(best, hits_[type].score);
    }
    tellProgress(options_.progress, layerTried_, best);
  }

  Player player_;  // only read: both shares feed with it at once
  MagState start_;
  const BeamOptions& options_;
  Target target_;
  FormReach reach_;
  BoundTable bounds_;
  PruningLimits<Order> limits_;
  ItemSet levelUpOnly_;                   // the items fed only where they raise the level
  std::optional<FormSteering> steering_;  // with wanted forms
  TwoThreads threads_;
  std::array<Hit, kMagTypeCount> hits_{};
  std::vector<Hit> met_;  // with metPlans: by number of feedings, its score the cost alone
  BeamResult result_;

  std::int32_t depth_ = 1;       // the layer being made: its states have had this many feedings
  std::vector<BeamNode> layer_;  // the layer before, by form
  std::size_t middle_ = 0;       // where the second share's half of layer_ begins
  std::array<GrownShare, 2> shares_;
  std::uint64_t layerTried_ = 0;
  bool limitsLowered_ = false;               // by a plan found while this layer grew
  std::array<int, kMagTypeCount> keeper_{};  // the share that keeps each form's states
  std::vector<BeamNode> hopeful_[2];         // per share: the states of one form to choose from
  BestStates best_[2];
  std::array<std::vector<BeamNode>, kMagTypeCount> kept_;
  BackLinks backLinks_;
};

// The cheapest plan's searches. Where a beam ends depends on which states it keeps as much as on
// how many: an eighth-width beam ranked by every table the mag can still reach and spread out; a
// quarter-width one ranked by what the items' losses cost too; a quarter-width one ranked by the
// better of the current and the coming form's table, kept as the widest; the half-width one,
// ranked by the current form's table, that spreads its states over more stats and favours those
// that spent less; and a quarter-width one ranked by the table of the form the stats head for and
// kept plainly. Together they find cheaper plans than one beam of the full width, in a little
// more than its time.
struct CheapestPass {
  Ranking ranking;
  double weight;              // BeamOptions::rankingWeight
  std::int32_t sameStatsCap;  // BeamOptions::sameStatsCap
  std::int32_t widthShare;    // the width is the option's divided by this
};
// In the order they run. Each after the first only looks for plans cheaper than the best of their
// form found before it, which cuts most of its states early; so the narrow ones run first, and
// the widest, most of the work, then drops early the states that cannot beat their plans. Run
// first, the widest simulated a fifth more feedings on the benchmark's targets (85 M against 67 M
// in all), for the same plans.
constexpr CheapestPass kCheapestPasses[] = {
    {Ranking::kReachableTables, 1.0, 2, 8},       // the true bound
    {Ranking::kReachableNet, 1.0, 8, 4},          // the items' losses counted
    {Ranking::kCurrentOrComingTable, 0.9, 4, 4},  // the evolution ahead hoped for
    {Ranking::kCurrentTable, 0.9, 4, 2},          // the widest
    {Ranking::kComingTable, 1.0, 0, 4},           // the evolution ahead counted on
};
constexpr std::size_t kWidestPass = 3;
static_assert(std::size(kCheapestPasses) <= 8, "BeamOptions::cheapestPasses has a bit per pass");
constexpr auto kWidestPassBit = static_cast<std::uint8_t>(1U << kWidestPass);

// The plans of `more` that beat those of `into`, form by form, taken into it.
void addBetter(const BeamResult& more, BeamResult& into) {
  into.feedingsTried += more.feedingsTried;
  into.layers = std::max(into.layers, more.layers);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (more.bestByForm[type]) {
      keepBetter(Goal::kCheapest, *more.bestByForm[type], into.bestByForm[type]);
    }
  }
}

// The cheapest plan's passes of options.cheapestPasses, one after the other, in their order.
BeamResult cheapestPasses(const PlayerRequest& request, const MagState& start,
                          const BeamOptions& options) {
  BeamResult result;
  for (std::size_t i = 0; i < std::size(kCheapestPasses); ++i) {
    if (((options.cheapestPasses >> i) & 1U) == 0) continue;
    const CheapestPass& pass = kCheapestPasses[i];
    BeamOptions search = options;
    search.ranking = pass.ranking;
    search.rankingWeight = pass.weight;
    search.sameStatsCap = pass.sameStatsCap;
    search.width = std::max(options.width / pass.widthShare, 1);
    search.knownByForm = &result.bestByForm;
    addBetter(BeamRun<CheapestOrder>(request, start, search).run(), result);
  }
  return result;
}

// Looking for every form's best plan, a pass's plans of some forms leave the others' states
// unlimited, so the passes before the widest cut little of it (the listing of Pinkal Fomar's
// forms: 30.6 M feedings either way); there the widest runs side by side with the others, which
// run one after the other as always, each on a thread of its own. The two runs are the same with
// one thread, one after the other.
BeamResult cheapestSearches(const PlayerRequest& request, const MagState& start,
                            const BeamOptions& options) {
  const bool widestAndOthers = (options.cheapestPasses & kWidestPassBit) != 0 &&
                               (options.cheapestPasses & ~kWidestPassBit) != 0;
  if (!options.everyForm || !widestAndOthers) return cheapestPasses(request, start, options);
  BeamOptions widest = options;
  widest.threads = 1;
  widest.cheapestPasses = kWidestPassBit;
  BeamOptions others = widest;
  others.cheapestPasses = options.cheapestPasses & ~kWidestPassBit;
  const std::vector<BeamResult> runs =
      beamSearches(request, start, {widest, others}, options.threads >= 2, options.metPlans);
  BeamResult result = runs[0];
  addBetter(runs[1], result);
  return result;
}

}  // namespace

BeamResult beamSearch(const PlayerRequest& request, const MagState& start,
                      const BeamOptions& options) {
  if (options.goal == Goal::kFewest) return BeamRun<FewestOrder>(request, start, options).run();
  return cheapestSearches(request, start, options);
}

std::vector<BeamOptions> eachCheapestPass(const BeamOptions& options) {
  std::vector<BeamOptions> passes;
  for (std::size_t i = 0; i < std::size(kCheapestPasses); ++i) {
    if (((options.cheapestPasses >> i) & 1U) == 0) continue;
    BeamOptions pass = options;
    pass.cheapestPasses = static_cast<std::uint8_t>(1U << i);
    passes.push_back(pass);
  }
  return passes;
}

std::vector<BeamResult> beamSearches(const PlayerRequest& request, const MagState& start,
                                     std::vector<BeamOptions> searches, bool twoThreads,
                                     std::vector<Plan>* metPlans) {
  std::vector<std::vector<Plan>> met(metPlans != nullptr ? searches.size() : 0);
  for (std::size_t i = 0; i < met.size(); ++i) searches[i].metPlans = &met[i];
  std::vector<BeamResult> beams(searches.size());
  // The thread that is done first lends itself to the search still running on the other.
  PartHandoff spare;
  const bool sideBySide = twoThreads && searches.size() > 1;
  if (sideBySide) {
    for (BeamOptions& search : searches) search.lentThread = &spare;
  }
  // Each thread takes the next search not yet taken: the searches differ in length, and which
  // thread runs one changes nothing in its plans.
  std::atomic<std::size_t> next{0};
  const std::function<void(int)> runShare = [&](int /*share*/) {
    for (std::size_t i = next++; i < searches.size(); i = next++) {
      beams[i] = beamSearch(request, start, searches[i]);
    }
  };
  if (sideBySide) {
    runLendingWhenDone(runShare, spare);
  } else {
    runShare(0);
  }
  if (metPlans != nullptr) {
    for (std::vector<Plan>& plans : met) {
      std::move(plans.begin(), plans.end(), std::back_inserter(*metPlans));
    }
  }
  return beams;
}

}  // namespace ostrel

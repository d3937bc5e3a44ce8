// Growing one layer of the beam search, or a share of it: every useful item is fed to every state
// of the layer before, and the new states are sorted by form. The plans that reach the target are
// put aside, and the states that cannot beat the plans found before this layer are dropped at
// once (they would be dropped after the merge anyway).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/feeding.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/goal/back_links.h"
#include "plan/goal/beam_feeding.h"
#include "plan/goal/best_states.h"
#include "plan/goal/cost_estimate.h"
#include "plan/goal/ends_by_bracket.h"
#include "plan/goal/estimate_table.h"
#include "plan/goal/form_steering.h"
#include "plan/goal/goal_order.h"
#include "plan/goal/pruning_limits.h"
#include "plan/goal/stats_ceiling.h"
#include "plan/search_state.h"

namespace ostrel {

// A plan that reached the target while a layer grew: its form and cost, and its last feeding.
struct LayerHit {
  MagType form;
  std::int32_t cost;
  BackLink last;
};

// What one share of a layer made.
struct GrownShare {
  std::array<std::vector<BeamNode>, kMagTypeCount> made;  // the new states, by form
  std::array<RankSpan, kMagTypeCount> ranks;              // and their ranks' span
  std::vector<LayerHit> hits;
  std::uint64_t tried = 0;  // feedings simulated
  SteeringMemo steering;    // used with wanted forms
};

// A mag that has gone more than this many feedings without a level-up is stuck: the stats it needs
// rise only with items that also fill the bar of a stat already on its target, so its bars go
// round while it keeps paying, for hundreds of feedings a level. Such states hold a form's width to
// the last layer without ever reaching the target. Every form's table has, for each stat, an item
// that gives it 5 bar points or more (a level in 20 feedings); the best plans of both goals came
// out the same with this limit as without it. A state made in several ways counts from the copy the
// layer keeps.
inline constexpr std::int32_t kMostFeedingsPerLevel = 100;

// A stat on its target is worth draining whatever its bar: the beam keeps every state apart.
inline constexpr std::int32_t kBeamDrainAbove = 0;

// What growing a layer goes by, the same for every layer of a beam and only read, so that both
// shares grow with it at once.
template <class Order>
struct GrowthRules {
  const Player& player;
  const Target& target;
  const EstimateTable& estimates;
  const PruningLimits<Order>& limits;
  ItemSet levelUpOnly;           // fed only where they raise the level
  const FormSteering* steering;  // the wanted forms, or null
  const StatsCeiling* ceiling;   // BeamSpec::ceiling, or null: none
};

// Grows the states first..last-1 of `layer` (which have had depth - 1 feedings) into `share`.
// The rules come by value: in the function's own frame the compiler knows that no store into the
// states made can change them, and keeps them at hand; by reference it read them again.
// The items of `rules.levelUpOnly` are fed only where they raise the level. With a steering,
// the states that can no longer end in a wanted form are dropped, and with a ceiling those that
// rise past it; only a level-up can change either, so the others need no look.
template <class Order>
void growShare(const std::vector<BeamNode>& layer, std::size_t first, std::size_t last,
               std::int32_t depth, const GrowthRules<Order> rules, GrownShare& share) {
  const Player& player = rules.player;
  const Target& target = rules.target;
  const EstimateTable& bounds = rules.estimates;
  const PruningLimits<Order>& limits = rules.limits;
  const ItemSet levelUpOnly = rules.levelUpOnly;
  const FormSteering* steering = rules.steering;
  const StatsCeiling* ceiling = rules.ceiling;
  for (std::vector<BeamNode>& form : share.made) form.clear();
  share.ranks.fill(RankSpan{});
  share.hits.clear();
  std::uint64_t tried = 0;
  for (std::size_t p = first; p < last; ++p) {
    const BeamNode parent = layer[p];
    const MagState mag = unpackNode(parent);
    const Standing standing = standingOf(mag, target, kBeamDrainAbove);
    const bool belowCeiling = ceiling != nullptr && mag.level < ceiling->level;
    for (Item item = 0; item < kFedItemCount; ++item) {
      if (!isUseful(kDeltaSigns[mag.type][item], standing)) continue;
      const StatDelta delta = deltaOf(item, mag.type);
      if (((levelUpOnly >> item) & 1U) != 0 && !raisesLevel(mag, delta)) continue;
      if (overshoots(mag, delta, standing)) continue;
      MagState child = mag;
      feedState(player, child, delta);
      ++tried;
      const std::int32_t cost = parent.cost + kItemPrice[item];
      if (onTarget(child, target)) {
        share.hits.push_back({child.type, cost, backLink(p, item)});
        continue;
      }
      const std::int32_t sinceLevelUp = child.level != mag.level ? 0 : parent.sinceLevelUp + 1;
      if (sinceLevelUp > kMostFeedingsPerLevel) continue;
      const int bracket = bracketOf(child.level);
      if (limits.dropsAll(child.type, bracket)) continue;
      if (steering != nullptr && child.level != mag.level &&
          !share.steering.mayEndAs(*steering, child)) {
        continue;
      }
      // Unlikely: nearly every beam has no ceiling, and without the hint the test of the stats
      // was made whether or not the mag is below one, 2.5% of this loop's instructions.
      if (belowCeiling) [[unlikely]] {
        if (child.level != mag.level && !underCeiling(*ceiling, child)) continue;
      }
      // The stats short are worked out once for every bound the state is measured by.
      const auto need = barPointsNeeded(child, target);
      const unsigned shortStats = CostEstimate::statsShort(need);
      const double remaining = bounds.stillNeeded(player, child, bracket, need, shortStats);
      if (remaining >= CostEstimate::kUnreachable) continue;
      const auto boundOf = [&](const CostEstimate& bound) { return bound.of(need, shortStats); };
      if (limits.hopeless(depth, child.type, bracket, cost, remaining, boundOf, bounds)) continue;
      const double rank = Order::rankOf(cost, remaining);
      share.made[child.type].push_back(BeamNode{packStatsAndBars(child), rank, cost,
                                                backLink(p, item), child.type, sinceLevelUp});
      share.ranks[child.type].take(rank);
    }
  }
  share.tried = tried;
}

}  // namespace ostrel

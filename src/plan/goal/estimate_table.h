// What a state of the beam search still costs, per form and level bracket, two ways: the ranking's
// guide (over the tables the ranking uses: a true bound for kReachableTables unweighted, else only
// a guide) and the lower bound (every table the mag can still reach), which alone may drop a
// state. Each is looked up the first time a state of its kind comes up, since a search meets few
// of them, and shared by the kinds that use the same tables; the store (estimate_store.h) makes
// each once for every beam that shares it.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "model/evolution.h"
#include "model/state.h"
#include "model/tables.h"
#include "plan/goal/beam_search.h"
#include "plan/goal/best_states.h"
#include "plan/goal/cost_estimate.h"
#include "plan/goal/ends_by_bracket.h"
#include "plan/goal/estimate_store.h"

namespace ostrel {

class EstimateTable {
 public:
  // `weight` scales the ranking's guide (BeamSpec::rankingWeight); `mayBeShort`: the stats
  // that the search's first mag still needs points in (CostEstimate::statsShort). The estimates
  // come from `store`, which must outlive the table.
  EstimateTable(const EndsByBracket& ends, Ranking ranking, const ItemCosts& costs, double weight,
                unsigned mayBeShort, RoomCount room, EstimateStore& store);

  // Makes the bounds that the states fed from `layer` may need, before the layer grows: the
  // parts that grow it only read them. A feeding raises the level by four at most, so a state's
  // bracket is its parent's or the next. The work of each bound is shared out by `runBoth`.
  void prepareFor(const std::vector<BeamNode>& layer, const RunBoth& runBoth);

  // The ranking's guide for a state of this form and bracket, made by prepareFor.
  const CostEstimate& guide(MagType type, int bracket) const { return *ranking_[type][bracket]; }
  // The true lower bound for a state of this form and bracket, made by prepareFor.
  const CostEstimate& lowerBound(MagType type, int bracket) const {
    return *trueBound_[type][bracket];
  }

  // What the ranking counts as still needed by `mag`, of bracket `bracket`, which needs the bar
  // points `need`, short in the stats `shortStats` (CostEstimate::statsShort): by its form's
  // guide, or its coming form's, or the lower of the two (every form's is made from the start for
  // the rankings by the coming form).
  double stillNeeded(const Player& player, const MagState& mag, int bracket,
                     const std::array<std::int32_t, 4>& need, unsigned shortStats) const {
    if (byComingForm_ == ComingForm::kNot) return guide(mag.type, bracket).of(need, shortStats);
    const MagType coming = comingForm(player, mag);
    const double byComing = guide(coming, bracket).of(need, shortStats);
    if (byComingForm_ == ComingForm::kOnly || coming == mag.type) return byComing;
    return std::min(byComing, guide(mag.type, bracket).of(need, shortStats));
  }

 private:
  void make(MagType type, int bracket, bool trueBound, const RunBoth& runBoth);

  EndsByBracket ends_;
  ItemCosts costs_;
  TableSet rankingTables_[kMagTypeCount][kBracketCount]{};
  TableSet trueTables_[kMagTypeCount][kBracketCount]{};
  const CostEstimate* ranking_[kMagTypeCount][kBracketCount]{};  // in the store; null: not yet
  const CostEstimate* trueBound_[kMagTypeCount][kBracketCount]{};
  // Whether the ranking goes by the coming form's table: not, only, or when lower than the own.
  enum class ComingForm { kNot, kOnly, kOrOwn };
  ComingForm byComingForm_;
  bool countLosses_;  // the ranking counts the bars the items lower
  double weight_;
  unsigned mayBeShort_;
  RoomCount room_;        // counted by the bounds (not the guides)
  bool ownGuide_;         // the ranking has a guide of its own, not a bound (makeRankingGuide)
  EstimateStore& store_;  // taken from under its lock once per form and bracket, read without it
};

}  // namespace ostrel

// The bounds on what a state of the beam search still costs, per form and level bracket: the
// ranking's bound (the tables it may use) and the true one (every table the mag can still reach).
// Each is worked out the first time a state of its kind comes up, since a search meets few of
// them, and shared by the kinds that use the same tables.
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
#include "plan/goal/cost_bound.h"
#include "plan/goal/form_reach.h"

namespace ostrel {

class BoundTable {
 public:
  // `weight` scales the ranking's bound (BeamOptions::rankingWeight); `mayBeShort`: the stats
  // that the search's first mag still needs points in (CostBound::statsShort).
  BoundTable(const FormReach& reach, Ranking ranking, const ItemCosts& costs, double weight,
             unsigned mayBeShort, RoomCount room);

  // Makes the bounds that the states fed from `layer` may need, before the layer grows: the
  // parts that grow it only read them. A feeding raises the level by four at most, so a state's
  // bracket is its parent's or the next. The work of each bound is shared out by `runBoth`.
  void prepareFor(const std::vector<BeamNode>& layer, const RunBoth& runBoth);

  // A bound made by prepareFor: the ranking's (a guide rather than a bound when it counts losses
  // or is weighted), or the true one.
  const CostBound& prepared(MagType type, int bracket, bool trueBound) const {
    return bounds_[trueBound ? trueIndex_[type][bracket] : rankingIndex_[type][bracket]];
  }

  // What the ranking counts as still needed by `mag`, of bracket `bracket`, which needs the bar
  // points `need`: by its form's bound, or its coming form's, or the lower of the two (every
  // form's is made from the start for the rankings by the coming form).
  double ranking(const Player& player, const MagState& mag, int bracket,
                 const std::array<std::int32_t, 4>& need) const {
    if (byComingForm_ == ComingForm::kNot) return prepared(mag.type, bracket, false).of(need);
    const MagType coming = comingForm(player, mag);
    const double byComing = prepared(coming, bracket, false).of(need);
    if (byComingForm_ == ComingForm::kOnly || coming == mag.type) return byComing;
    return std::min(byComing, prepared(mag.type, bracket, false).of(need));
  }

 private:
  void make(MagType type, int bracket, bool trueBound, const RunBoth& runBoth);

  FormReach reach_;
  ItemCosts costs_;
  TableSet rankingTables_[kMagTypeCount][kBracketCount]{};
  TableSet trueTables_[kMagTypeCount][kBracketCount]{};
  std::int32_t rankingIndex_[kMagTypeCount][kBracketCount]{};  // into bounds_; -1: not yet made
  std::int32_t trueIndex_[kMagTypeCount][kBracketCount]{};
  // Whether the ranking goes by the coming form's table: not, only, or when lower than the own.
  enum class ComingForm { kNot, kOnly, kOrOwn };
  ComingForm byComingForm_;
  bool countLosses_;  // the ranking counts the bars the items lower
  double weight_;
  unsigned mayBeShort_;
  RoomCount room_;  // counted by the bounds (not the guides)
  bool ownGuide_;   // the ranking has a guide of its own, not a bound (makeRankingGuide)
  std::vector<TableSet> boundTables_;
  std::vector<bool> isGuide_;  // per bound made: a ranking guide
  std::vector<CostBound> bounds_;
};

}  // namespace ostrel

// The bound table: which tables each kind of state's bounds use, and the bounds made on demand.
#include "plan/goal/estimate_table.h"

#include <bit>
#include <vector>

#include "model/feeding.h"

namespace ostrel {

EstimateTable::EstimateTable(const EndsByBracket& ends, Ranking ranking, const ItemCosts& costs,
                             double weight, unsigned mayBeShort, RoomCount room,
                             EstimateStore& store)
    : ends_(ends),
      costs_(costs),
      byComingForm_(ranking == Ranking::kComingTable            ? ComingForm::kOnly
                    : ranking == Ranking::kCurrentOrComingTable ? ComingForm::kOrOwn
                                                                : ComingForm::kNot),
      countLosses_(ranking == Ranking::kReachableNet),
      weight_(weight),
      mayBeShort_(mayBeShort),
      room_(room),
      ownGuide_(countLosses_ || weight != 1.0),
      store_(store) {
  const bool ownTable = ranking == Ranking::kCurrentTable || byComingForm_ != ComingForm::kNot;
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    for (int bracket = 0; bracket < kBracketCount; ++bracket) {
      TableSet reachable = 0;
      for (MagType form = 0; form < kMagTypeCount; ++form) {
        if ((ends.forms[type][bracket] & formBit(form)) != 0) {
          reachable |= static_cast<TableSet>(1U << feedTableOf(form));
        }
      }
      trueTables_[type][bracket] = reachable;
      rankingTables_[type][bracket] =
          ownTable ? static_cast<TableSet>(1U << feedTableOf(type)) : reachable;
    }
  }
  // A coming form need not be one the layer's forms can reach: the stats may head for a form
  // that a later evolution replaces, or that comes only beyond the target's level. The one-table
  // bounds are few.
  for (MagType type = 0; byComingForm_ != ComingForm::kNot && type < kMagTypeCount; ++type) {
    for (int bracket = 0; bracket < kBracketCount; ++bracket) make(type, bracket, false, runHere);
  }
}

void EstimateTable::prepareFor(const std::vector<BeamNode>& layer, const RunBoth& runBoth) {
  FormSet forms[kBracketCount] = {};
  for (const BeamNode& parent : layer) {
    const int bracket = bracketOf(levelOf(parent));
    forms[bracket] |= ends_.forms[parent.type][bracket];
    if (bracket + 1 < kBracketCount) forms[bracket + 1] |= ends_.forms[parent.type][bracket];
  }
  for (int bracket = 0; bracket < kBracketCount; ++bracket) {
    for (FormSet left = forms[bracket]; left != 0; left &= left - 1) {
      const auto type = static_cast<MagType>(std::countr_zero(left));
      make(type, bracket, false, runBoth);
      make(type, bracket, true, runBoth);
    }
  }
}

void EstimateTable::make(MagType type, int bracket, bool trueBound, const RunBoth& runBoth) {
  const CostEstimate*& made = trueBound ? trueBound_[type][bracket] : ranking_[type][bracket];
  if (made != nullptr) return;
  const TableSet tables = trueBound ? trueTables_[type][bracket] : rankingTables_[type][bracket];
  const bool asGuide = !trueBound && ownGuide_;
  made = asGuide ? &store_.rankingGuide(tables, costs_, countLosses_, weight_, mayBeShort_, runBoth)
                 : &store_.lowerBound(tables, costs_, room_, runBoth);
}

}  // namespace ostrel

// Which forms a plan can end in, worked out from the evolution rules alone: the forms a mag can
// still take from a given form and level (for the search's bounds and its pruning), and, for a
// whole plan, the final forms that the rules exclude with the reason why. Both only ever
// over-estimate what is possible: a form they keep may still be out of reach, but a form they
// exclude is out of reach on every route.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "model/state.h"
#include "model/tables.h"

namespace ostrel {

// A set of forms, bit `type` for form `type`.
using FormSet = std::uint64_t;

constexpr FormSet formBit(MagType type) { return FormSet{1} << type; }

// The forms a mag of form `type` at `level` can still take on the way to a target of level
// `targetLevel`, its own form included.
FormSet reachableForms(const Player& player, MagType type, std::int32_t level,
                       std::int32_t targetLevel);

enum class ExclusionKind {
  kNone,             // not excluded
  kFinalFormKept,    // the mag already has a final form, and keeps it
  kOtherPlayers,     // no rule gives this form to this class and section ID
  kDecidedAtTarget,  // the evolution at the target level is decided by the target stats
  kPairSumAtTarget,  // the pair-sum rule holds at the target: every route ends in one form
  kPairSumNever,     // the pair-sum rule can hold at no level on the way
  kTargetTooLow,     // the form comes at a level above the target level
  kStagePassed,      // the form comes at levels the mag is already past
  kDefTooHigh,       // the form needs def below 45, and def is already 45 or more
  kDefTooLow,        // the form needs def 45 or more, and the def target is below 45
  kStartFormLeft,    // the mag's own form, which an evolution on the way always replaces
  kReplacedLater,    // an evolution after the one that gives the form always replaces it
  // The evolutions ahead give the form to none of the stats between the mag's and the target's
  // (judged by the search's steering, form_steering.h, from the forms no rule above excludes).
  kStatsLeadElsewhere,
  // Proven by the feeding tables (form_proof.h): no mix of feedings brings the stats where the
  // form, or the target, needs them.
  kLeadNeverAt35,   // the dominant stats of `orders` at level 35
  kHighDefNeverAt,  // def 45 or more at `level`, which keeps the form
  kOrderNeverAt,    // def below 45 and one of `orders` at an evolution from `level` to `toLevel`
  kHighDefLeadNeverAt,  // def 45 or more and the dominant stats of `orders` at `level`
  kPairSumNeverMet,     // equal pair sums at a level from `level` to `toLevel`
  // The feedings that give the form make the pair sums equal at `level` (or at a level from
  // `level` to `toLevel`), where the mag takes the final form `forms`.
  kPairSumForcedAt,
  kTargetNeverWithin,   // level `level` with the stats within the target (`stat` at most `value`)
  kTargetNeverReached,  // exactly the target stats, the way there being open
};

// Why one form cannot be the form a plan ends in. `level` and `forms` complete the reason: the
// level it names, and the forms every route ends in where the rules decide that; the reasons the
// feeding tables prove may also name a last level, a stat and its most, and stat orders (bit
// `order` for statOrder's order: two bits a dominant stat).
struct FormExclusion {
  ExclusionKind kind = ExclusionKind::kNone;
  std::int32_t level = 0;
  FormSet forms = 0;
  std::int32_t toLevel = 0;
  std::int32_t stat = -1;  // 0 def .. 3 mind; -1 none
  std::int32_t value = 0;
  std::uint8_t orders = 0;
};

// For every form, whether the rules exclude it as the final form of a plan from `start` (stats at
// most their targets) to `request.target`.
std::array<FormExclusion, kMagTypeCount> excludedForms(const PlayerRequest& request,
                                                       const MagState& start);

// The reason as a line of text for the user, without a full stop.
std::string exclusionText(const FormExclusion& exclusion);

}  // namespace ostrel

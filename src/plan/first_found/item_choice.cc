// Which item the search tries first at a mag state.
#include "plan/first_found/item_choice.h"

#include <array>

#include "model/feeding.h"
#include "model/tables.h"

namespace ostrel {
namespace {

std::int32_t scoreTerm(std::int32_t stat, std::int32_t target, std::int32_t change) {
  const std::int32_t weight = change / 4 + 1;
  if (stat < target) {
    if (change > 0) return weight;
    if (change < 0) return -weight;
    return 0;
  }
  return change > 0 ? -weight : 0;
}

std::int32_t scoreOf(const Target& target, const MagState& mag, Item item) {
  StatDelta delta;
  feedDeltas(item, mag.type, delta);
  return feedScore(target, mag.def, mag.pow, mag.dex, mag.mind, delta);
}

// Trimate and Trifluid are passed over; Monomate is examined again and cannot replace itself.
constexpr std::array<Item, 8> kSingleStatExamined = {0, 1, 3, 4, 6, 7, 8, 9};

template <std::int32_t StatDelta::*Gain>
Item bestItemFor(const Target& target, const MagState& mag, std::int32_t slack) {
  Item best = 0;
  std::int32_t bestScore = scoreOf(target, mag, best);
  StatDelta delta;
  feedDeltas(best, mag.type, delta);
  std::int32_t bestGain = delta.*Gain;
  for (Item item : kSingleStatExamined) {
    feedDeltas(item, mag.type, delta);
    const std::int32_t gain = delta.*Gain;
    const std::int32_t score = scoreOf(target, mag, item);
    if (gain > bestGain + slack || (score > bestScore && gain > 0)) {
      best = item;
      bestScore = score;
      bestGain = gain;
    }
  }
  return best;
}

}  // namespace

std::int32_t feedScore(const Target& target, std::int32_t def, std::int32_t pow, std::int32_t dex,
                       std::int32_t mind, StatDelta delta) {
  return scoreTerm(def, target.def, delta.def) + scoreTerm(pow, target.pow, delta.pow) +
         scoreTerm(dex, target.dex, delta.dex) + scoreTerm(mind, target.mind, delta.mind);
}

// Def's chooser wants a def gain larger by 3 or more before gain alone decides.
Item bestItemForDef(const Target& target, const MagState& mag) {
  return bestItemFor<&StatDelta::def>(target, mag, 2);
}
Item bestItemForPow(const Target& target, const MagState& mag) {
  return bestItemFor<&StatDelta::pow>(target, mag, 0);
}
Item bestItemForDex(const Target& target, const MagState& mag) {
  return bestItemFor<&StatDelta::dex>(target, mag, 0);
}
Item bestItemForMind(const Target& target, const MagState& mag) {
  return bestItemFor<&StatDelta::mind>(target, mag, 0);
}

Item bestItemOverall(const Target& target, const MagState& mag) {
  Item best = 0;
  std::int32_t bestScore = scoreOf(target, mag, best);
  for (Item item = 0; item < kFedItemCount; ++item) {
    const std::int32_t score = scoreOf(target, mag, item);
    if (score > bestScore) {
      best = item;
      bestScore = score;
    }
  }
  return best;
}

Item preferredItem(const Target& target, const MagState& mag) {
  if (mag.def < target.def && target.pow - mag.pow < 60 && target.dex - mag.dex < 60) {
    return bestItemForDef(target, mag);
  }
  if (mag.pow < target.pow && mag.dex == target.dex && mag.mind == target.mind) {
    return bestItemForPow(target, mag);
  }
  if (mag.dex < target.dex && mag.pow == target.pow && mag.mind == target.mind) {
    return bestItemForDex(target, mag);
  }
  if (mag.mind < target.mind && mag.dex == target.dex && mag.pow == target.pow) {
    return bestItemForMind(target, mag);
  }
  return bestItemOverall(target, mag);
}

}  // namespace ostrel

// The plans that beams meet on their way, for the trade-off between feedings and meseta: a beam
// reaches the target at many numbers of feedings, and of each it keeps only the best plan of every
// form. Told of every plan a beam meets, this keeps the cheapest plan of the wanted form at each
// number of feedings, and at the beam's end adds those that are cheaper than every shorter one.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "model/state.h"
#include "plan/goal/back_links.h"
#include "plan/goal/beam_feeding.h"
#include "plan/plan.h"

namespace ostrel {

class MetPlans {
 public:
  // A beam starts, whose plans must end as `form` (any form when none).
  void startBeam(std::optional<MagType> form) {
    form_ = form;
    byFeedings_.clear();
  }

  // The beam met a plan of `feedings` feedings that ends as `form` for `meseta`, its last feeding
  // `last`. Of equal ones the first met is held, so the plans held depend only on the order of
  // the meetings.
  void meet(std::int32_t feedings, MagType form, std::int64_t meseta, BackLink last) {
    if (form_ && *form_ != form) return;
    if (byFeedings_.empty() || byFeedings_.back().feedings != feedings) {
      byFeedings_.push_back(Met{feedings, kNone, {}});
    }
    Met& held = byFeedings_.back();
    if (meseta < held.meseta) held = Met{feedings, meseta, last};
  }

  // The beam ended: the plans it met that are cheaper than every shorter one, read back through
  // its links and fed again from `start`, are added to plans(), shortest first.
  void endBeam(const BackLinks& links, const Player& player, const MagState& start) {
    std::int64_t cheapest = kNone;
    for (const Met& met : byFeedings_) {
      if (met.meseta >= cheapest) continue;
      cheapest = met.meseta;
      plans_.push_back(replayPlan(player, start, links.itemsTo(met.feedings, met.last)));
    }
  }

  // Every plan added, beam by beam in the order the beams ran.
  std::vector<Plan>& plans() { return plans_; }

 private:
  static constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();

  struct Met {
    std::int32_t feedings;
    std::int64_t meseta;
    BackLink last;
  };

  std::optional<MagType> form_;
  std::vector<Met> byFeedings_;  // by number of feedings, as the beam's layers came
  std::vector<Plan> plans_;
};

}  // namespace ostrel

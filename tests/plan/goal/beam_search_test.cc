// One beam of the goal searches: where it stops, and the ceiling it keeps under.
#include "plan/goal/beam_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "support/cases.h"
#include "support/replay.h"

namespace ostrel {
namespace {

// A new mag's small target, past the evolutions of levels 10, 35 and 50, and a narrow beam for
// its fewest feedings.
PlayerRequest smallRequest() {
  return testing::playerOf({9, 8, true, kBabyMag, testing::targetOf("27/6/7/19"), {}});
}
BeamSpec smallFewestBeam() {
  BeamSpec beam;
  beam.goal = Goal::kFewest;
  beam.ranking = Ranking::kCurrentTable;
  beam.width = 64;
  return beam;
}

// A beam given a most of feedings to simulate stops at the end of the layer that passes it: it
// simulates that many at least, fewer than the beam left to run, and the plans it found by then
// replay.
TEST(BeamSearchTest, StopsOnceItHasSimulatedItsMostFeedings) {
  const PlayerRequest request = smallRequest();
  BeamSpec beam = smallFewestBeam();
  const BeamResult whole = runBeam(request, kBabyMag, beam, {});
  beam.mostFeedingsTried = whole.feedingsTried / 2;
  const BeamResult stopped = runBeam(request, kBabyMag, beam, {});
  EXPECT_GE(stopped.feedingsTried, beam.mostFeedingsTried);
  EXPECT_LT(stopped.feedingsTried, whole.feedingsTried);
  for (const BeamResult* result : {&whole, &stopped}) {
    for (MagType type = 0; type < kMagTypeCount; ++type) {
      if (result->bestByForm[type]) {
        testing::expectPlanReplays(request, kBabyMag, *result->bestByForm[type], type);
      }
    }
  }
}

// The level of a mag: the sum of its stats.
std::int32_t levelOf(const MagState& mag) { return mag.def + mag.pow + mag.dex + mag.mind; }

// A ceiling a level under the stat that a free beam's plan has most of at level 35: the beam
// held under it still finds a plan, which replays, and no mag of it that rose from below level 35
// has more of any stat than the ceiling allows.
TEST(BeamSearchTest, KeepsUnderItsCeilingBelowItsLevel) {
  const PlayerRequest request = smallRequest();
  BeamSpec beam = smallFewestBeam();
  const auto anyPlan = [](const BeamResult& result) -> const Plan* {
    for (const std::optional<Plan>& plan : result.bestByForm) {
      if (plan) return &*plan;
    }
    return nullptr;
  };
  const BeamResult free = runBeam(request, kBabyMag, beam, {});
  const Plan* freePlan = anyPlan(free);
  ASSERT_NE(freePlan, nullptr);
  constexpr std::int32_t kLevel = 35;
  const auto at = std::find_if(freePlan->feedings.begin(), freePlan->feedings.end(),
                               [](const Feeding& f) { return levelOf(f.before) >= kLevel; });
  ASSERT_NE(at, freePlan->feedings.end());
  const std::array<std::int32_t, 4> stats{at->before.def, at->before.pow, at->before.dex,
                                          at->before.mind};
  const auto most = std::max_element(stats.begin(), stats.end());
  beam.ceiling.level = kLevel;
  beam.ceiling.most[static_cast<std::size_t>(most - stats.begin())] = *most - 1;
  const BeamResult held = runBeam(request, kBabyMag, beam, {});
  ASSERT_NE(anyPlan(held), nullptr);
  for (MagType type = 0; type < kMagTypeCount; ++type) {
    if (!held.bestByForm[type]) continue;
    const Plan& plan = *held.bestByForm[type];
    testing::expectPlanReplays(request, kBabyMag, plan, type);
    MagState before = plan.start;
    for (std::size_t i = 0; i <= plan.feedings.size(); ++i) {
      const MagState& after = i < plan.feedings.size() ? plan.feedings[i].before : plan.reached;
      if (i > 0 && levelOf(before) < kLevel) {
        const std::array<std::int32_t, 4> reached{after.def, after.pow, after.dex, after.mind};
        for (std::size_t k = 0; k < 4; ++k) {
          EXPECT_LE(reached[k], beam.ceiling.most[k]) << "feeding " << i << " of form " << type;
        }
      }
      before = after;
    }
  }
}

}  // namespace
}  // namespace ostrel

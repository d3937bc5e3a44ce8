// One beam of the goal searches: where it stops.
#include "plan/goal/beam_search.h"

#include <gtest/gtest.h>

#include "support/cases.h"
#include "support/replay.h"

namespace ostrel {
namespace {

// A beam given a most of feedings to simulate stops at the end of the layer that passes it: it
// simulates that many at least, fewer than the beam left to run, and the plans it found by then
// replay.
TEST(BeamSearchTest, StopsOnceItHasSimulatedItsMostFeedings) {
  const PlayerRequest request =
      testing::playerOf({9, 8, true, kBabyMag, testing::targetOf("27/6/7/19"), {}});
  BeamSpec beam;
  beam.goal = Goal::kFewest;
  beam.ranking = Ranking::kCurrentTable;
  beam.width = 64;
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

}  // namespace
}  // namespace ostrel

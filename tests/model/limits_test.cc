// The limits of a start and a target: the edge cases that the command line's refusals
// (tests/cases/bad_input.jsonl, dialogue_refusals.txt) do not already pin word for word.
#include "model/limits.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace ostrel {
namespace {

constexpr std::int32_t kHuge = 2'000'000'000;
using F = LimitField;
using R = LimitRule;

MagState grown(MagType type, std::int32_t def, std::int32_t pow, std::int32_t dex,
               std::int32_t mind, std::int32_t bar = 0) {
  return MagState{type, def, pow, dex, mind, bar, bar, bar, bar, def + pow + dex + mind};
}

TEST(LimitsTest, StartRangesAndFullyRaised) {
  EXPECT_TRUE(checkStart(kBabyMag).within());
  EXPECT_TRUE(checkStart(grown(0, 5, 0, 0, 0, 99)).within());
  EXPECT_TRUE(checkStart(grown(44, 100, 50, 49, 0)).within());  // level 199
  EXPECT_EQ(checkStart(grown(-1, 5, 0, 0, 0)), (LimitVerdict{F::kForm, R::kBelow, 0, -1}));
  EXPECT_EQ(checkStart(grown(45, 5, 0, 0, 0)), (LimitVerdict{F::kForm, R::kAbove, 44, 45}));

  // Fully raised is told even when a bar is out of range too, as the dialogue does.
  EXPECT_EQ(checkStart(grown(2, 100, 50, 50, 0, 120)),
            (LimitVerdict{F::kLevel, R::kFullyRaised, 200, 200}));
  // Huge stats do not wrap round to a small level; the level field is not trusted.
  MagState huge = grown(2, kHuge, kHuge, 0, 0);
  huge.level = 10;
  EXPECT_EQ(checkStart(huge).rule, R::kFullyRaised);
  EXPECT_EQ(checkStart(huge).value, std::int64_t{2} * kHuge);
}

TEST(LimitsTest, TargetMustRiseWithinLevel200) {
  EXPECT_TRUE(checkTarget(kBabyMag, Target{5, 0, 0, 1, 0}).within());
  EXPECT_TRUE(checkTarget(kBabyMag, Target{50, 50, 50, 50, 0}).within());
  const MagState varuna = grown(2, 8, 12, 3, 2);
  EXPECT_TRUE(checkTarget(varuna, Target{8, 12, 3, 3, 0}).within());
  EXPECT_EQ(checkTarget(varuna, Target{20, 11, 50, 20, 0}),
            (LimitVerdict{F::kPow, R::kBelowStart, 12, 11}));
  EXPECT_EQ(checkTarget(varuna, Target{7, 30, 30, 30, 0}),
            (LimitVerdict{F::kDef, R::kBelowStart, 8, 7}));
  // A huge negative answer does not wrap round to a possible target.
  EXPECT_EQ(checkTarget(kBabyMag, Target{5, kHuge, -kHuge, 10, 0}),
            (LimitVerdict{F::kDex, R::kBelowStart, 0, -kHuge}));
}

}  // namespace
}  // namespace ostrel

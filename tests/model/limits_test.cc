// The limits of a start and a target: the dialogue's own edge cases, which field and rule each
// refusal names, and sums that must not wrap.
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
  EXPECT_EQ(checkStart(grown(0, 4, 0, 0, 0)), (LimitVerdict{F::kDef, R::kBelow, 5, 4}));
  EXPECT_EQ(checkStart(grown(0, 5, -1, 0, 0)), (LimitVerdict{F::kPow, R::kBelow, 0, -1}));
  EXPECT_EQ(checkStart(grown(0, 5, 0, 0, 0, 100)), (LimitVerdict{F::kDefBar, R::kAbove, 99, 100}));
  EXPECT_EQ(checkStart(grown(0, 5, 0, 0, 0, -1)), (LimitVerdict{F::kDefBar, R::kBelow, 0, -1}));
  EXPECT_EQ(checkStart(grown(-1, 5, 0, 0, 0)), (LimitVerdict{F::kForm, R::kBelow, 0, -1}));
  EXPECT_EQ(checkStart(grown(45, 5, 0, 0, 0)), (LimitVerdict{F::kForm, R::kAbove, 44, 45}));
  MagState oneBar = kBabyMag;
  oneBar.mindBar = 100;
  EXPECT_EQ(checkStart(oneBar), (LimitVerdict{F::kMindBar, R::kAbove, 99, 100}));

  const LimitVerdict full{F::kLevel, R::kFullyRaised, 200, 200};
  EXPECT_EQ(checkStart(grown(2, 100, 50, 50, 0)), full);
  // Fully raised is told even when a bar or the def is out of range too, as the dialogue does.
  EXPECT_EQ(checkStart(grown(2, 100, 50, 50, 0, 120)), full);
  EXPECT_EQ(checkStart(grown(2, 4, 100, 100, 0)),
            (LimitVerdict{F::kLevel, R::kFullyRaised, 200, 204}));
  // Huge stats do not wrap round to a small level; the level field is not trusted.
  MagState huge = grown(2, kHuge, kHuge, 0, 0);
  huge.level = 10;
  EXPECT_EQ(checkStart(huge).rule, R::kFullyRaised);
  EXPECT_EQ(checkStart(huge).value, std::int64_t{2} * kHuge);
}

TEST(LimitsTest, TargetMustRiseWithinLevel200) {
  EXPECT_EQ(checkTarget(kBabyMag, Target{5, 0, 0, 0, 0}),
            (LimitVerdict{F::kLevel, R::kNotAboveStart, 5, 5}));
  EXPECT_TRUE(checkTarget(kBabyMag, Target{5, 0, 0, 1, 0}).within());
  EXPECT_TRUE(checkTarget(kBabyMag, Target{50, 50, 50, 50, 0}).within());
  EXPECT_EQ(checkTarget(kBabyMag, Target{51, 50, 50, 50, 0}),
            (LimitVerdict{F::kLevel, R::kAbove, 200, 201}));
  EXPECT_EQ(checkTarget(kBabyMag, Target{4, 10, 0, 0, 0}),
            (LimitVerdict{F::kDef, R::kBelow, 5, 4}));
  const MagState varuna = grown(2, 8, 12, 3, 2);
  EXPECT_TRUE(checkTarget(varuna, Target{8, 12, 3, 3, 0}).within());
  EXPECT_EQ(checkTarget(varuna, Target{20, 11, 50, 20, 0}),
            (LimitVerdict{F::kPow, R::kBelowStart, 12, 11}));
  EXPECT_EQ(checkTarget(varuna, Target{7, 30, 30, 30, 0}),
            (LimitVerdict{F::kDef, R::kBelowStart, 8, 7}));
  // Huge answers whose 32-bit sum would wrap to a small level are not possible.
  EXPECT_EQ(checkTarget(kBabyMag, Target{kHuge, kHuge, 100, 100, 0}).rule, R::kAbove);
  EXPECT_EQ(checkTarget(kBabyMag, Target{5, kHuge, -kHuge, 10, 0}),
            (LimitVerdict{F::kDex, R::kBelowStart, 0, -kHuge}));
}

}  // namespace
}  // namespace ostrel

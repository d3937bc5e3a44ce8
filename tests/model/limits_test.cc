// The limits of a start and a target: the dialogue's own edge cases, and sums that must not wrap.
#include "model/limits.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace ostrel {
namespace {

constexpr std::int32_t kHuge = 2'000'000'000;

MagState grown(MagType type, std::int32_t def, std::int32_t pow, std::int32_t dex,
               std::int32_t mind, std::int32_t bar = 0) {
  return MagState{type, def, pow, dex, mind, bar, bar, bar, bar, def + pow + dex + mind};
}

TEST(LimitsTest, StartRangesAndFullyRaised) {
  EXPECT_EQ(checkStart(kBabyMag), StartCheck::kValid);
  EXPECT_EQ(checkStart(grown(0, 5, 0, 0, 0, 99)), StartCheck::kValid);
  EXPECT_EQ(checkStart(grown(44, 100, 50, 49, 0)), StartCheck::kValid);  // level 199
  EXPECT_EQ(checkStart(grown(0, 4, 0, 0, 0)), StartCheck::kOutOfRange);
  EXPECT_EQ(checkStart(grown(0, 5, -1, 0, 0)), StartCheck::kOutOfRange);
  EXPECT_EQ(checkStart(grown(0, 5, 0, 0, 0, 100)), StartCheck::kOutOfRange);
  EXPECT_EQ(checkStart(grown(0, 5, 0, 0, 0, -1)), StartCheck::kOutOfRange);
  EXPECT_EQ(checkStart(grown(-1, 5, 0, 0, 0)), StartCheck::kOutOfRange);
  EXPECT_EQ(checkStart(grown(45, 5, 0, 0, 0)), StartCheck::kOutOfRange);
  MagState oneBar = kBabyMag;
  oneBar.mindBar = 100;
  EXPECT_EQ(checkStart(oneBar), StartCheck::kOutOfRange);

  EXPECT_EQ(checkStart(grown(2, 100, 50, 50, 0)), StartCheck::kFullyRaised);
  // Fully raised is told even when a bar is out of range too, as the dialogue does.
  EXPECT_EQ(checkStart(grown(2, 100, 50, 50, 0, 120)), StartCheck::kFullyRaised);
  // Huge stats do not wrap round to a small level; the level field is not trusted.
  MagState huge = grown(2, kHuge, kHuge, 0, 0);
  huge.level = 10;
  EXPECT_EQ(checkStart(huge), StartCheck::kFullyRaised);
}

TEST(LimitsTest, TargetMustRiseWithinLevel200) {
  EXPECT_FALSE(targetPossible(kBabyMag, Target{5, 0, 0, 0, 0}));  // equal to the start
  EXPECT_TRUE(targetPossible(kBabyMag, Target{5, 0, 0, 1, 0}));
  EXPECT_TRUE(targetPossible(kBabyMag, Target{50, 50, 50, 50, 0}));
  EXPECT_FALSE(targetPossible(kBabyMag, Target{51, 50, 50, 50, 0}));  // level 201
  EXPECT_FALSE(targetPossible(kBabyMag, Target{4, 10, 0, 0, 0}));     // def below 5
  const MagState varuna = grown(2, 8, 12, 3, 2);
  EXPECT_TRUE(targetPossible(varuna, Target{8, 12, 3, 3, 0}));
  EXPECT_FALSE(targetPossible(varuna, Target{20, 11, 50, 20, 0}));  // lowers pow
  EXPECT_FALSE(targetPossible(varuna, Target{7, 30, 30, 30, 0}));   // lowers def
  // Huge answers whose 32-bit sum would wrap to a small level are not possible.
  EXPECT_FALSE(targetPossible(kBabyMag, Target{kHuge, kHuge, 100, 100, 0}));
  EXPECT_FALSE(targetPossible(kBabyMag, Target{5, kHuge, -kHuge, 10, 0}));  // lowers dex
}

}  // namespace
}  // namespace ostrel

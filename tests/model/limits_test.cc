// The limits of a start, its form and a target: the edge cases (tests/cases/limits.txt) that the
// command line's refusals (tests/cases/bad_input.jsonl, dialogue_refusals.txt) do not already pin
// word for word.
#include "model/limits.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "model/names.h"
#include "support/cases.h"

namespace ostrel {
namespace {

TEST(LimitsTest, StartsAndTargetsAtTheirEdges) {
  for (const auto& row : testing::caseRows("limits.txt")) {
    const MagState start = testing::magOf(row.at(0));
    const bool alone = row.at(1) == "-" || row.at(1) == "form";
    const LimitVerdict verdict = row.at(1) == "form" ? checkStartForm(start)
                                 : alone             ? checkStart(start)
                                         : checkTarget(start, testing::targetOf(row.at(1)));
    const std::string text = alone ? startRefusalText(verdict) : targetRefusalText(verdict);
    EXPECT_EQ(verdict.within() ? "within" : text, row.at(2)) << row.at(0) << " | " << row.at(1);
  }
}

// What the table cannot write: forms out of range, and stats so huge that their sum would not fit
// a level; the level field is not trusted.
TEST(LimitsTest, FormsOutOfRangeAndHugeStats) {
  using F = LimitField;
  using R = LimitRule;
  MagState mag = testing::magOf("mag 5/0/0/0");
  mag.type = -1;
  EXPECT_EQ(checkStart(mag), (LimitVerdict{F::kForm, R::kBelow, 0, -1}));
  mag.type = 45;
  EXPECT_EQ(checkStart(mag), (LimitVerdict{F::kForm, R::kAbove, 44, 45}));
  constexpr std::int32_t kHuge = 2'000'000'000;
  mag = {2, kHuge, kHuge, 0, 0, 0, 0, 0, 0, 10};
  EXPECT_EQ(checkStart(mag),
            (LimitVerdict{F::kLevel, R::kFullyRaised, 200, std::int64_t{2} * kHuge}));
}

}  // namespace
}  // namespace ostrel

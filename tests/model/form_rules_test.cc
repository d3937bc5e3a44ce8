// The forms a plan can end in: every kind of exclusion the rules give and its reason as the user
// reads it (the table tests/cases/exclusions.txt), and the forms a mag can still take. That no
// excluded form is ever reached is checked against the searches in goal_search_test.cc.
#include "model/form_rules.h"

#include <gtest/gtest.h>

#include <bit>
#include <sstream>
#include <string>

#include "support/cases.h"

namespace ostrel {
namespace {

TEST(FormRulesTest, ExclusionsAndTheirReasons) {
  for (const auto& row : testing::caseRows("exclusions.txt")) {
    SCOPED_TRACE(row.at(0) + " | " + row.at(1) + " | " + row.at(2) + " | " + row.at(3));
    std::istringstream player(row.at(0));
    testing::PlanCase c;
    player >> c.charClass >> c.section;
    c.target = testing::targetOf(row.at(1));
    const auto excluded = excludedForms(testing::playerOf(c), testing::magOf(row.at(2)));
    if (row.at(3) == "open") {
      std::string open;
      for (MagType type = 0; type < kMagTypeCount; ++type) {
        if (excluded[type].kind != ExclusionKind::kNone) continue;
        open += (open.empty() ? "" : ", ") + std::string(kMagTypeNames[type]);
      }
      EXPECT_EQ(open, row.at(4));
    } else {
      const MagType form = testing::formNamed(row.at(3));
      ASSERT_GE(form, 0);
      const std::string reason = exclusionText(excluded[form]);
      EXPECT_EQ(reason.empty() ? "-" : reason, row.at(4));
    }
  }
}

TEST(FormRulesTest, FormsAMagCanStillTake) {
  const Player player =
      testing::playerOf({}).player;  // a Purplenum Humar: the target plays no part
  constexpr MagType kVaruna = 2, kVaraha = 28, kVayu = 29, kRudra = 34, kDeva = 36;
  // A new mag: itself, Varuna, the three level-35 forms, six level-50 forms and Deva.
  const FormSet all = reachableForms(player, 0, 5, 200);
  EXPECT_EQ(std::popcount(all), 12);
  EXPECT_NE(all & formBit(kVayu), 0U);
  EXPECT_EQ(all & formBit(1), 0U);  // kalki, another class group's
  EXPECT_EQ(reachableForms(player, 0, 5, 30), formBit(0) | formBit(kVaruna));
  EXPECT_EQ(reachableForms(player, 0, 5, 40),
            formBit(0) | formBit(kVaruna) | formBit(kVayu) | formBit(kRudra) | formBit(32));
  EXPECT_EQ(reachableForms(player, kVaraha, 95, 200), formBit(kVaraha) | formBit(kDeva));
  EXPECT_EQ(reachableForms(player, kDeva, 120, 200), formBit(kDeva));
}

}  // namespace
}  // namespace ostrel

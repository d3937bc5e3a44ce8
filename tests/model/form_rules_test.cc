// The forms a plan can end in: every kind of exclusion the rules give and its reason as the user
// reads it (the table tests/cases/exclusions.txt), and the forms a mag can still take. That no
// excluded form is ever reached is checked against the searches in goal_search_test.cc.
#include "model/form_rules.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "support/cases.h"

namespace ostrel {
namespace {

TEST(FormRulesTest, ExclusionsAndTheirReasons) {
  for (const auto& row : testing::caseRows("exclusions.txt")) {
    SCOPED_TRACE(row.at(0) + " | " + row.at(1) + " | " + row.at(2) + " | " + row.at(3));
    testing::PlanCase c;
    std::istringstream(row.at(0)) >> c.charClass >> c.section;
    c.target = testing::targetOf(row.at(1));
    const MagState start = testing::magOf(row.at(2));
    const auto excluded = excludedForms(testing::playerOf(c), start);
    const FormSet reachable =
        reachableForms(testing::playerOf(c).player, start.type, start.level, c.target.level);
    if (row.at(3) == "open" || row.at(3) == "reachable") {
      std::string forms;
      for (MagType type = 0; type < kMagTypeCount; ++type) {
        const bool listed = row.at(3) == "open" ? excluded[type].kind == ExclusionKind::kNone
                                                : (reachable & formBit(type)) != 0;
        if (listed) forms += (forms.empty() ? "" : ", ") + std::string(kMagTypeNames[type]);
      }
      EXPECT_EQ(forms, row.at(4));
    } else {
      const MagType form = testing::formNamed(row.at(3));
      ASSERT_GE(form, 0);
      const std::string reason = exclusionText(excluded[form]);
      EXPECT_EQ(reason.empty() ? "-" : reason, row.at(4));
    }
  }
}

}  // namespace
}  // namespace ostrel

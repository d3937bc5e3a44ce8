// Item choice: the score of an item against the target, the five choosers and the rule that picks
// which of them the search asks first (tests/cases/item_choice.txt).
#include "plan/first_found/item_choice.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "model/feeding.h"
#include "support/cases.h"

namespace ostrel {
namespace {

TEST(ItemChoiceTest, ScoresAndChoosers) {
  using Chooser = Item (*)(const Target&, const MagState&);
  const std::pair<const char*, Chooser> choosers[] = {
      {"def", bestItemForDef},   {"pow", bestItemForPow},      {"dex", bestItemForDex},
      {"mind", bestItemForMind}, {"overall", bestItemOverall}, {"preferred", preferredItem}};
  for (const auto& row : testing::caseRows("item_choice.txt")) {
    SCOPED_TRACE(row.at(0) + " | " + row.at(1) + " | " + row.at(2));
    const Target target = testing::targetOf(row.at(1));
    const MagState mag = testing::magOf(row.at(2));
    if (row.at(0).starts_with("score ")) {
      const std::string what = row.at(0).substr(6);
      const Item item = testing::itemNamed(what);
      const auto d = testing::fourNumbers(what);
      const StatDelta delta =
          item >= 0 ? deltaOf(item, mag.type) : StatDelta{d[0], d[1], d[2], d[3]};
      EXPECT_EQ(feedScore(target, mag.def, mag.pow, mag.dex, mag.mind, delta),
                std::stoi(row.at(3)));
      continue;
    }
    const auto chooser = std::find_if(std::begin(choosers), std::end(choosers),
                                      [&](const auto& named) { return row.at(0) == named.first; });
    ASSERT_NE(chooser, std::end(choosers));
    EXPECT_EQ(chooser->second(target, mag), testing::itemNamed(row.at(3)));
  }
}

}  // namespace
}  // namespace ostrel

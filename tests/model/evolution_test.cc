// Evolution: the rules of levels 10, 35, 50..95 and 100..200 (tests/cases/evolution.txt), and the
// stat ties decided by the deltas of the feeding in progress (tests/cases/stat_order.txt).
#include "model/evolution.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "model/tables.h"
#include "support/cases.h"

namespace ostrel {
namespace {

// The level handed in is wrong and the bars are not empty: the check recomputes the one and
// keeps the others.
TEST(EvolutionTest, FormAfterTheCheck) {
  for (const auto& row : testing::caseRows("evolution.txt")) {
    SCOPED_TRACE(row.at(0) + " | " + row.at(1) + " | " + row.at(2));
    Player player;
    std::istringstream(row.at(0)) >> player.charClass >> player.sectionId;
    const auto [def, pow, dex, mind] = testing::fourNumbers(row.at(2));
    const StatDelta feeding{def, pow, dex, mind};
    MagState mag = testing::magOf(row.at(1));
    MagState expected = mag;
    mag.level = -1;
    mag.defBar = expected.defBar = 1;
    mag.mindBar = expected.mindBar = 4;
    checkEvolution(player, feeding, mag);
    expected.type = testing::formNamed(row.at(3));
    EXPECT_EQ(mag, expected) << kMagTypeNames[mag.type];
  }
}

TEST(EvolutionTest, DominantStatAndStatOrder) {
  for (const auto& row : testing::caseRows("stat_order.txt")) {
    SCOPED_TRACE(row.at(0) + " | " + row.at(1));
    const auto s = testing::fourNumbers(row.at(0) + "/0");  // pow, dex, mind
    const auto d = testing::fourNumbers(row.at(1) + "/0");
    const StatDelta feeding{0, d[0], d[1], d[2]};
    EXPECT_EQ(dominantStat(feeding, s[0], s[1], s[2]), std::stoi(row.at(2)));
    EXPECT_EQ(statOrder(feeding, s[0], s[1], s[2]), std::stoi(row.at(3)));
  }
}

}  // namespace
}  // namespace ostrel

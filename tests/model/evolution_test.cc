// Evolution: the rules of levels 10, 35, 50..95 and 100..200 (tests/cases/evolution.txt), and the
// stat ties decided by the deltas of the feeding in progress (tests/cases/stat_order.txt).
#include "model/evolution.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// The coming form is the form the evolution gives once the level reaches the next event that the
// stats decide, the stats keeping their order: raising def alone up to that level (def staying
// on its side of 45) must bring the mag to it. Without such an event ahead, the mag's own form.
TEST(EvolutionTest, ComingFormIsTheNextEvolutionsForm) {
  constexpr std::int32_t kSmallStats[] = {0, 3, 7};
  for (CharClass charClass = 0; charClass < 12; ++charClass) {
    for (SectionId sectionId = 0; sectionId < 10; ++sectionId) {
      const Player player{sectionId, charClass};
      for (const MagType type : {level10Form(player), kLevel35Type[1][0], MagType{40}}) {
        for (const std::int32_t pow : kSmallStats) {
          for (const std::int32_t dex : kSmallStats) {
            for (const std::int32_t mind : kSmallStats) {
              for (std::int32_t level = 0; level <= 100; ++level) {
                MagState mag{.type = type,
                             .def = level - pow - dex - mind,
                             .pow = pow,
                             .dex = dex,
                             .mind = mind,
                             .level = level};
                if (mag.def < 0) continue;
                const auto where = [&] {
                  return ::testing::Message()
                         << charClass << ' ' << sectionId << ' ' << kMagTypeNames[type] << " level "
                         << level << " pow/dex/mind " << pow << '/' << dex << '/' << mind;
                };
                const bool final = type >= kFinalTypeStart;
                const std::int32_t event = level < 35 ? 35 : std::max(50, (level / 5 + 1) * 5);
                if (level < 10 || level >= 95 || (level >= 35 && final)) {
                  EXPECT_EQ(comingForm(player, mag), type) << where();
                  continue;
                }
                MagState at = mag;
                at.def += event - level;
                if (level >= 35 && (at.def >= kHighDefLimit) != (mag.def >= kHighDefLimit)) {
                  continue;
                }
                checkEvolution(player, StatDelta{}, at);
                EXPECT_EQ(comingForm(player, mag), at.type) << where();
              }
            }
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace ostrel

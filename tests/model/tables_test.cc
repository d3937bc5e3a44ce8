// The game's tables that are read directly: prices, the search order and the names of classes
// and section IDs. The feeding table is checked through its lookup in feeding_test.cc.
#include "model/tables.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

TEST(TablesTest, PricesSearchOrderAndPlayerNames) {
  EXPECT_EQ(kItemPrice,
            (std::array<std::int32_t, 11>{60, 300, 2000, 100, 500, 3600, 60, 60, 300, 500, 2500}));
  EXPECT_EQ(kSearchOrder, (std::array<Item, 10>{1, 4, 8, 9, 0, 3, 6, 7, 2, 5}));
  static_assert(sizeof kCharClassNames == 12 * 20 && sizeof kSectionIdNames == 10 * 20);
  std::string names;
  for (const auto& name : kCharClassNames) names += std::string(name) + ',';
  for (const auto& name : kSectionIdNames) names += std::string(name) + ',';
  EXPECT_EQ(names,
            "Humar,Hucast,Hunewearl,Hucaseal,Ramar,Racast,Ramarl,Racaseal,Fomar,Fonewm,Fomarl,"
            "Fonewearl,Purplenum,Redria,Skyly,Viridia,Yelloboze,Bluefull,Greenill,Oran,Pinkal,"
            "Whitill,");
}

}  // namespace
}  // namespace ostrel

// The game's tables that are read directly: prices, the search order, the names of classes,
// section IDs, items and forms. The feeding table is checked through its
// lookup in feeding_test.cc, the evolution tables through evolution in evolution_test.cc.
#include "model/tables.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

TEST(TablesTest, PricesSearchOrderAndNames) {
  EXPECT_EQ(kItemPrice,
            (std::array<std::int32_t, 11>{60, 300, 2000, 100, 500, 3600, 60, 60, 300, 500, 2500}));
  EXPECT_EQ(kSearchOrder, (std::array<Item, 10>{1, 4, 8, 9, 0, 3, 6, 7, 2, 5}));
  static_assert(sizeof kCharClassNames == 12 * 20 && sizeof kSectionIdNames == 10 * 20);
  std::string names;
  const auto add = [&](const char* name) { names += std::string(name) + ','; };
  for (const auto& name : kCharClassNames) add(name);
  for (const auto& name : kSectionIdNames) add(name);
  for (const auto& name : kItemNames) add(name);
  for (const auto& name : kMagTypeNames) add(name);
  EXPECT_EQ(names,
            "Humar,Hucast,Hunewearl,Hucaseal,Ramar,Racast,Ramarl,Racaseal,Fomar,Fonewm,Fomarl,"
            "Fonewearl,Purplenum,Redria,Skyly,Viridia,Yelloboze,Bluefull,Greenill,Oran,Pinkal,"
            "Whitill,Monomate,Dimate,Trimate,Monofluid,Difluid,Trifluid,Antidote,"
            "Antiparalysis,Sol Atomizer,Moon Atomizer,Star Atomizer,"
            "mag,kalki,Varuna,vritra,mitra,surya,tapas,durga,garuda,ila,nandin,ribhava,sita,soma,"
            "yaksa,andhaka,bana,kabanda,madhu,marica,naga,naraka,ravana,apsaras,bhirava,kaitabha,"
            "kama,kumara,varaha,vayu,ushasu,ashvinau,marutah,namuci,rudra,sumba,Deva,Rukimin,Sato,"
            "Bhima,Pushan,Rati,diwari,nidra,savitri,");
}

}  // namespace
}  // namespace ostrel

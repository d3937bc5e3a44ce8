// Item and form names: every name in the game's order, and out-of-range indexes that keep the
// name the buffer held.
#include "model/names.h"

#include <gtest/gtest.h>

#include <string>

namespace ostrel {
namespace {

// Looks up `first`..`last` into one buffer (each name over the one before, longer or shorter)
// and joins what the buffer holds after each lookup.
std::string namesOf(void (*lookup)(char*, std::int32_t), int first, int last) {
  char buffer[32] = "kept";
  std::string all;
  for (int index = first; index <= last; ++index) {
    lookup(buffer, index);
    all += std::string(buffer) + ',';
  }
  return all;
}

TEST(NamesTest, ItemsAndFormsInTheGamesOrder) {
  EXPECT_EQ(namesOf(itemName, -1, 11),
            "kept,Monomate,Dimate,Trimate,Monofluid,Difluid,Trifluid,Antidote,Antiparalysis,"
            "Sol Atomizer,Moon Atomizer,Star Atomizer,Star Atomizer,");
  EXPECT_EQ(namesOf(magTypeName, -1, 45),
            "kept,mag,kalki,Varuna,vritra,mitra,surya,tapas,durga,garuda,ila,nandin,ribhava,sita,"
            "soma,yaksa,andhaka,bana,kabanda,madhu,marica,naga,naraka,ravana,apsaras,bhirava,"
            "kaitabha,kama,kumara,varaha,vayu,ushasu,ashvinau,marutah,namuci,rudra,sumba,Deva,"
            "Rukimin,Sato,Bhima,Pushan,Rati,diwari,nidra,savitri,savitri,");
}

}  // namespace
}  // namespace ostrel

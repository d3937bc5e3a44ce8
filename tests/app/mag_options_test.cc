// Reading the player and the mag: names in any case or menu numbers, and numbers that fit 32 bits
// and nothing else. What is refused, and how, is tests/cases/bad_input.jsonl.
#include "app/mag_options.h"
#include "model/names.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace ostrel {
namespace {

TEST(MagOptionsTest, NamesInAnyCaseOrMenuNumbers) {
  Player player;
  EXPECT_EQ(readPlayer({"WHITILL", "fonewearl", "", "", ""}, player), "");
  EXPECT_EQ(player.sectionId, 9);
  EXPECT_EQ(player.charClass, 11);
  EXPECT_EQ(readPlayer({"0", "Hu Cast", "", "", ""}, player), "");
  EXPECT_EQ(player.sectionId, 0);
  EXPECT_EQ(player.charClass, 1);
  EXPECT_NE(readPlayer({"-0x1", "0", "", "", ""}, player), "");

  MagState mag;
  EXPECT_EQ(readStart({"0", "0", "45", "5/0/0/0", ""}, mag), "");
  EXPECT_EQ(mag.type, 44);  // the form menu counts from 1
  EXPECT_EQ(readStart({"0", "0", "VARUNA", "5/6/7/8", "99/0/1/2"}, mag), "");
  EXPECT_EQ(mag, (MagState{2, 5, 6, 7, 8, 99, 0, 1, 2, 26}));
  EXPECT_EQ(readStart({"0", "0", "", "", ""}, mag), "");
  EXPECT_EQ(mag, kBabyMag);
}

TEST(MagOptionsTest, ThirtyTwoBitNumbersOnly) {
  std::int32_t value = 7;
  EXPECT_TRUE(parseInt32("2147483647", value) && value == 2147483647);
  EXPECT_TRUE(parseInt32("-2147483648", value) && value == INT32_MIN);
  for (const char* refused :
       {"2147483648", "-2147483649", "4294967301", "+1", " 1", "1 ", "", "1x", "0x10"}) {
    value = 7;
    EXPECT_FALSE(parseInt32(refused, value)) << refused;
    EXPECT_EQ(value, 7) << refused;
  }
  EXPECT_EQ(foldName(" Sol  AtomiZER "), "solatomizer");
}

}  // namespace
}  // namespace ostrel

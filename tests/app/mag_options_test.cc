// Reading the player, the mag and the target: names in any case or menu numbers, numbers that
// fit 32 bits and nothing else, and the dialogue's limits at their edges.
#include "app/mag_options.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace ostrel {
namespace {

TEST(MagOptionsTest, NamesInAnyCaseOrMenuNumbers) {
  PlannerState planner;
  EXPECT_EQ(readPlayer({"WHITILL", "fonewearl", "", "", ""}, planner), "");
  EXPECT_EQ(planner.sectionId, 9);
  EXPECT_EQ(planner.charClass, 11);
  EXPECT_EQ(readPlayer({"0", "Hu Cast", "", "", ""}, planner), "");
  EXPECT_EQ(planner.sectionId, 0);
  EXPECT_EQ(planner.charClass, 1);
  EXPECT_NE(readPlayer({"-0x1", "0", "", "", ""}, planner), "");

  MagState mag;
  EXPECT_EQ(readStart({"0", "0", "45", "5/0/0/0", ""}, mag), "");
  EXPECT_EQ(mag.type, 44);  // the form menu counts from 1
  EXPECT_EQ(readStart({"0", "0", "VARUNA", "5/6/7/8", "99/0/1/2"}, mag), "");
  EXPECT_EQ(mag, (MagState{2, 5, 6, 7, 8, 99, 0, 1, 2, 26}));
  EXPECT_EQ(readStart({"0", "0", "", "", ""}, mag), "");
  EXPECT_EQ(mag, kBabyMag);
}

TEST(MagOptionsTest, TheDialoguesLimitsAtTheirEdges) {
  MagState mag;
  EXPECT_EQ(readStart({"0", "0", "mag", "100/50/49/0", "99/99/99/99"}, mag), "");  // level 199
  EXPECT_NE(readStart({"0", "0", "mag", "100/50/50/0", ""}, mag).find("fully raised"),
            std::string::npos);
  Target target;
  EXPECT_EQ(readTarget("100/50/49/1", mag, target), "");
  EXPECT_EQ(target.level, 200);
  EXPECT_NE(readTarget("100/50/48/2", mag, target).find("dex 48 is below the mag's 49"),
            std::string::npos);
  EXPECT_EQ(readTarget("5/0/0/1", kBabyMag, target), "");
  EXPECT_NE(readTarget("5/0/0/0", kBabyMag, target), "");
  EXPECT_NE(readTarget("5/0/0/-1", kBabyMag, target), "");
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

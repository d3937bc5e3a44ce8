// Numbers that fit 32 bits and nothing else, and names folded for comparing. Names and menu
// numbers are read end to end (e2e/plan_test.cc); what is refused, and how, is
// tests/cases/bad_input.jsonl.
#include "app/mag_options.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "model/names.h"

namespace ostrel {
namespace {

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

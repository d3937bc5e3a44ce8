// The game's tables that are read directly: prices and the search order. The names are pinned by
// the refusals that list them (tests/cases/bad_input.jsonl), the feeding table through its lookup
// in feeding_test.cc, the evolution tables through evolution in evolution_test.cc.
#include "model/tables.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(TablesTest, PricesAndSearchOrder) {
  EXPECT_EQ(kItemPrice,
            (std::array<std::int32_t, 11>{60, 300, 2000, 100, 500, 3600, 60, 60, 300, 500, 2500}));
  EXPECT_EQ(kSearchOrder, (std::array<Item, 10>{1, 4, 8, 9, 0, 3, 6, 7, 2, 5}));
}

}  // namespace
}  // namespace ostrel

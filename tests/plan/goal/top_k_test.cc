// The top-k on items small enough to check by hand: a key, a rank, and a group (the tens of the
// key). Of the copies of a key the best is kept, the best `width` keys come out in the strict
// order, and a group cap skips items of a full group, which then fill what the width leaves.
#include "plan/goal/top_k.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

namespace ostrel {
namespace {

struct Entry {
  std::uint64_t key;
  double rank;
};

struct EntryOrder {
  static double rank(const Entry& item) { return item.rank; }
  static bool before(const Entry& a, const Entry& b) {
    return a.rank != b.rank ? a.rank < b.rank : a.key < b.key;
  }
  static std::uint64_t key(const Entry& item) { return item.key; }
  static std::uint64_t keyHash(const Entry& item) { return item.key * 0x9E3779B97F4A7C15ULL; }
  static std::uint64_t group(const Entry& item) { return item.key / 10; }
  static std::uint64_t groupHash(const Entry& item) { return group(item) * 0x9E3779B97F4A7C15ULL; }
};

using Pairs = std::vector<std::pair<std::uint64_t, double>>;

Pairs kept(const std::vector<Entry>& made, std::size_t width, std::size_t cap = 0,
           std::size_t split = 0) {
  TopK<Entry, EntryOrder> topK;
  std::vector<Entry> out;
  const std::span<const Entry> all(made);
  topK.keep(MadeRuns<Entry>{all.first(split), all.subspan(split)}, out, width, cap);
  Pairs pairs;
  for (const Entry& item : out) pairs.emplace_back(item.key, item.rank);
  std::sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) {
    return a.second != b.second ? a.second < b.second : a.first < b.first;
  });
  return pairs;
}

TEST(TopKTest, KeepsTheBestCopyOfTheBestKeys) {
  // Key 1 at ranks 5 and 2, key 2 at 3 and 1, key 3 at 4: the best two keys are 2 (1) and 1 (2).
  const std::vector<Entry> made = {{1, 5}, {2, 3}, {1, 2}, {3, 4}, {2, 1}};
  EXPECT_EQ(kept(made, 2), (Pairs{{2, 1}, {1, 2}}));
  // The same from two runs split anywhere, and all three keys when the width holds them.
  EXPECT_EQ(kept(made, 2, 0, 3), (Pairs{{2, 1}, {1, 2}}));
  EXPECT_EQ(kept(made, 5), (Pairs{{2, 1}, {1, 2}, {3, 4}}));
  // Ties of rank go by the order's next rule (here the smaller key).
  EXPECT_EQ(kept({{7, 1}, {4, 1}, {9, 1}}, 2), (Pairs{{4, 1}, {7, 1}}));
  EXPECT_EQ(kept({}, 3), Pairs{});
}

TEST(TopKTest, AGroupCapSkipsThenFills) {
  // Keys 11 and 12 share group 1, 21 is group 2: with one a group, 11 and 21 come first.
  const std::vector<Entry> made = {{12, 2}, {21, 3}, {11, 1}};
  EXPECT_EQ(kept(made, 2, 1), (Pairs{{11, 1}, {21, 3}}));
  // With room for three, the skipped 12 fills the width.
  EXPECT_EQ(kept(made, 3, 1), (Pairs{{11, 1}, {12, 2}, {21, 3}}));
  // Without a cap, the two best.
  EXPECT_EQ(kept(made, 2), (Pairs{{11, 1}, {12, 2}}));
}

}  // namespace
}  // namespace ostrel

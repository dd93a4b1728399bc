#include <gtest/gtest.h>

#include "solver/solver_internal.h"
#include "test_support.h"

namespace hobwise::solver {
namespace {

using testing::stockOf;

TEST(GearSet, HoldsEveryToothCountInStockOnceAscending) {
  const auto set = gearSetFrom(stockOf({{40, 3}, {16, 1}, {169, 7}, {90, 0}}));
  EXPECT_EQ(set, (std::vector<std::uint32_t>{16, 40, 169}));
  EXPECT_TRUE(gearSetFrom(GearStock{}).empty());
  EXPECT_EQ(gearSetFrom(GearStock::defaultStock()).size(), 51u);
}

TEST(PairTable, SingleToothCountGivesOnePair) {
  const auto pairs = buildPairTable(gearSetFrom(stockOf({{40, 1}})));
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].larger, 40);
  EXPECT_EQ(pairs[0].smaller, 40);
  EXPECT_EQ(pairs[0].product, 1600u);
}

TEST(PairTable, TwoToothCountsGiveBothCopiesOfTheMixedPair) {
  const auto pairs = buildPairTable(gearSetFrom(stockOf({{20, 1}, {30, 1}})));
  ASSERT_EQ(pairs.size(), 4u);
  const std::uint16_t larger[] = {20, 30, 30, 30};
  const std::uint16_t smaller[] = {20, 20, 20, 30};
  const std::uint64_t product[] = {400, 600, 600, 900};
  for (std::size_t k = 0; k < 4; ++k) {
    EXPECT_EQ(pairs[k].larger, larger[k]) << k;
    EXPECT_EQ(pairs[k].smaller, smaller[k]) << k;
    EXPECT_EQ(pairs[k].product, product[k]) << k;
  }
}

TEST(PairTable, EqualProductsKeepTheOrderTheyWereMadeIn) {
  // 20 x 60 and 30 x 40 both make 1200. Made with i outer and j inner over
  // {20, 30, 40, 60}: (i=20, j=60) gives 60x20 first, then (30, 40) gives 40x30,
  // then (40, 30) 40x30 and (60, 20) 60x20.
  const auto pairs = buildPairTable(gearSetFrom(stockOf({{20, 1}, {30, 1}, {40, 1}, {60, 1}})));
  ASSERT_EQ(pairs.size(), 16u);
  std::vector<std::pair<int, int>> at1200;
  for (const auto& p : pairs)
    if (p.product == 1200) at1200.emplace_back(p.larger, p.smaller);
  EXPECT_EQ(at1200, (std::vector<std::pair<int, int>>{{60, 20}, {40, 30}, {40, 30}, {60, 20}}));
  for (std::size_t k = 1; k < pairs.size(); ++k) EXPECT_LE(pairs[k - 1].product, pairs[k].product);
}

TEST(PairTable, FullStockHasEveryPairTwice) {
  GearStock stock;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) stock.setCount(t, 2);
  const auto pairs = buildPairTable(gearSetFrom(stock));
  EXPECT_EQ(pairs.size(), 23716u);
  EXPECT_EQ(pairs.front().product, 256u);
  EXPECT_EQ(pairs.back().product, 169u * 169u);
}

TEST(StockCheck, ThreeOfAToothCountNeedThreeInStock) {
  const StockSnapshot two = StockSnapshot::of(stockOf({{40, 2}, {50, 1}}), false);
  const std::uint16_t threeForties[] = {40, 50, 40, 40};
  const std::uint16_t twoForties[] = {40, 50, 40, 60};
  EXPECT_FALSE(checkStockPlain(two, threeForties));
  EXPECT_FALSE(checkStock(two, threeForties));
  EXPECT_TRUE(checkStockPlain(two, twoForties));
  EXPECT_TRUE(checkStock(two, twoForties));

  const StockSnapshot bypass = StockSnapshot::of(stockOf({{40, 2}, {50, 1}}), true);
  EXPECT_TRUE(checkStockPlain(bypass, threeForties));
  EXPECT_TRUE(checkStock(bypass, threeForties));

  // A tooth count used once needs no check, even one that is out of stock.
  const StockSnapshot none = StockSnapshot::of(GearStock{}, false);
  const std::uint16_t allDifferent[] = {20, 30, 40, 50, 60, 70, 80, 90};
  EXPECT_TRUE(checkStock(none, allDifferent));
  EXPECT_TRUE(checkStockPlain(none, allDifferent));
}

TEST(StockCheck, BothFormsAgreeOnManyGearSets) {
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  for (int round = 0; round < 3000; ++round) {
    GearStock stock;
    for (int t = 20; t < 26; ++t) stock.setCount(t, static_cast<int>(next() % 5));
    const StockSnapshot snap = StockSnapshot::of(stock, false);
    std::uint16_t gears[8];
    for (auto& g : gears) g = static_cast<std::uint16_t>(20 + next() % 6);
    EXPECT_EQ(checkStock(snap, gears), checkStockPlain(snap, gears)) << round;
  }
}

}  // namespace
}  // namespace hobwise::solver

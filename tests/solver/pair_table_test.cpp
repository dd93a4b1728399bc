#include <gtest/gtest.h>

#include <random>

#include "solver/solver_internal.h"
#include "test_support.h"

namespace hobwise::solver {
namespace {

using testing::stockOf;

TEST(PairTable, PairsOfTheGearSetInProductOrder) {
  EXPECT_EQ(gearSetFrom(stockOf({{40, 3}, {16, 1}, {169, 7}, {90, 0}})), (std::vector<std::uint32_t>{16, 40, 169}));
  EXPECT_EQ(gearSetFrom(GearStock::defaultStock()).size(), 51u);
  // 20 x 60 and 30 x 40 both make 1200: equal products keep the order they were made in.
  const auto pairs = buildPairTable(gearSetFrom(stockOf({{20, 1}, {30, 1}, {40, 1}, {60, 1}})));
  ASSERT_EQ(pairs.size(), 16u);
  std::vector<std::pair<int, int>> at1200;
  for (const auto& p : pairs)
    if (p.product == 1200) at1200.emplace_back(p.larger, p.smaller);
  EXPECT_EQ(at1200, (std::vector<std::pair<int, int>>{{60, 20}, {40, 30}, {40, 30}, {60, 20}}));
  for (std::size_t k = 1; k < pairs.size(); ++k) EXPECT_LE(pairs[k - 1].product, pairs[k].product);
  EXPECT_EQ(pairs.front().product, 400u);
  EXPECT_EQ(pairs.back().product, 3600u);
  GearStock full;
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) full.setCount(t, 2);
  EXPECT_EQ(buildPairTable(gearSetFrom(full)).size(), 154u * 154u);
}

TEST(StockCheck, EachToothCountUsedMoreThanOnceMustBeInStock) {
  const GearStock stock = stockOf({{40, 2}, {50, 1}});
  const struct {
    const char* what;
    std::vector<std::uint16_t> gears;
    bool bypass, expected;
  } cases[] = {
      {"three 40s of two", {40, 50, 40, 40}, false, false},
      {"two 40s of two", {40, 50, 40, 60}, false, true},
      {"bypassed", {40, 50, 40, 40}, true, true},
      {"two 50s of one", {50, 50, 40, 60}, false, false},
      {"used once, out of stock", {20, 30, 40, 50, 60, 70, 80, 90}, false, true},
  };
  for (const auto& c : cases) {
    const StockSnapshot snap = StockSnapshot::of(stock, c.bypass);
    EXPECT_EQ(checkStockPlain(snap, c.gears), c.expected) << c.what;
    EXPECT_EQ(checkStock(snap, c.gears), c.expected) << c.what;
  }
  std::mt19937 rng(12345);
  for (int round = 0; round < 2000; ++round) {
    GearStock random;
    for (int t = 20; t < 26; ++t) random.setCount(t, static_cast<int>(rng() % 5));
    std::uint16_t gears[8];
    for (auto& g : gears) g = static_cast<std::uint16_t>(20 + rng() % 6);
    const StockSnapshot snap = StockSnapshot::of(random, false);
    EXPECT_EQ(checkStock(snap, gears), checkStockPlain(snap, gears)) << round;
  }
}

}  // namespace
}  // namespace hobwise::solver

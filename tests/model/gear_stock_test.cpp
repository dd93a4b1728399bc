#include <gtest/gtest.h>

#include "model/gear_stock.h"

namespace hobwise {
namespace {

TEST(GearStock, DefaultIsOneGearOfThirtyToEighty) {
  const std::string text = defaultGearStockText();
  EXPECT_EQ(text.size(), 155u);
  const GearStock stock = GearStock::defaultStock();
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) EXPECT_EQ(stock.count(t), (t >= 30 && t <= 80) ? 1 : 0) << t;
  EXPECT_EQ(stock.toText().size(), 154u);
  EXPECT_TRUE(GearStock::isValidText(stock.toText()));
}

TEST(GearStock, DamagedTextKeepsWhatIsUsable) {
  // Short text: missing counts are 0. Bad characters: 0. The rest is kept.
  const GearStock stock = GearStock::fromText("12x8 7");
  EXPECT_EQ(stock.count(16), 1);
  EXPECT_EQ(stock.count(17), 2);
  EXPECT_EQ(stock.count(18), 0);
  EXPECT_EQ(stock.count(19), 0);
  EXPECT_EQ(stock.count(20), 0);
  EXPECT_EQ(stock.count(21), 7);
  EXPECT_EQ(stock.count(22), 0);
  EXPECT_EQ(stock.count(169), 0);
  EXPECT_FALSE(GearStock::isValidText("12x8 7"));
  EXPECT_FALSE(GearStock::isValidText(std::string(154, '8')));
  EXPECT_FALSE(GearStock::isValidText(std::string(155, '1')));
}

TEST(GearStock, CountsStayWithinZeroToSeven) {
  GearStock stock;
  stock.setCount(40, 9);
  stock.setCount(41, -1);
  stock.setCount(170, 3);
  EXPECT_EQ(stock.count(40), 7);
  EXPECT_EQ(stock.count(41), 0);
  EXPECT_EQ(stock.count(170), 0);
  EXPECT_EQ(stock.count(15), 0);
}

}  // namespace
}  // namespace hobwise

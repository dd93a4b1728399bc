#include <gtest/gtest.h>

#include <clocale>
#include <cmath>

#include "model/decfloat.h"
#include "model/text_value.h"

namespace hobwise {
namespace {

TEST(TextValue, ReadsTheNumberInFrontLikeAtof) {
  EXPECT_DOUBLE_EQ(textToDouble(".025"), 0.025);
  EXPECT_DOUBLE_EQ(textToDouble("  12.5abc"), 12.5);
  EXPECT_DOUBLE_EQ(textToDouble("-3"), -3.0);
  EXPECT_DOUBLE_EQ(textToDouble("+4."), 4.0);
  EXPECT_EQ(textToDouble(""), 0.0);
  EXPECT_EQ(textToDouble("abc"), 0.0);
  EXPECT_EQ(textToDouble("."), 0.0);
  EXPECT_EQ(textToDouble("+-1"), 0.0);
  EXPECT_TRUE(std::isinf(textToDouble("1e999")));
  EXPECT_EQ(textToDouble("1e-999"), 0.0);
}

TEST(TextValue, IgnoresTheProcessLocale) {
  const char* old = std::setlocale(LC_NUMERIC, nullptr);
  std::string saved = old ? old : "C";
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr) std::setlocale(LC_NUMERIC, "C");
  EXPECT_DOUBLE_EQ(textToDouble("0.0625"), 0.0625);
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(TextValue, ReadsWholeNumbersLikeAtoi) {
  EXPECT_EQ(textToInt("24"), 24);
  EXPECT_EQ(textToInt(" 7x"), 7);
  EXPECT_EQ(textToInt("-12"), -12);
  EXPECT_EQ(textToInt(""), 0);
  EXPECT_EQ(textToInt("x1"), 0);
  EXPECT_EQ(textToInt("99999999999"), 2147483647);
  EXPECT_EQ(textToInt("-99999999999"), -2147483647 - 1);
}

TEST(DecFloatText, ParsesWholeTextsOnly) {
  EXPECT_TRUE(parseDecFloat(".025"));
  EXPECT_TRUE(parseDecFloat("30"));
  EXPECT_FALSE(parseDecFloat(""));
  EXPECT_FALSE(parseDecFloat("1.2.3"));
  EXPECT_FALSE(parseDecFloat(" 5"));
  EXPECT_EQ(*parseDecFloat("00.0100"), DecFloat("0.01"));
}

TEST(DecFloatText, FixedOutputRoundsHalfToEven) {
  EXPECT_EQ(formatFixed(DecFloat("0.0025"), 3), "0.002");
  EXPECT_EQ(formatFixed(DecFloat("0.0035"), 3), "0.004");
  EXPECT_EQ(formatFixed(DecFloat(0), 15), "0.000000000000000");
  EXPECT_EQ(formatFixed(DecFloat("-1.5"), 6), "-1.500000");
  EXPECT_EQ(formatFixed(DecFloat("1234567.25"), 0), "1234567");
}

}  // namespace
}  // namespace hobwise

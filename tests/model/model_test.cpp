#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <tuple>

#include "model/decfloat.h"
#include "model/gear_stock.h"
#include "model/job.h"
#include "model/text_value.h"

namespace hobwise {
namespace {

TEST(GearStock, DefaultDamagedAndOutOfRangeCounts) {
  EXPECT_EQ(defaultGearStockText().size(), 155u);
  const GearStock stock = GearStock::defaultStock();
  for (int t = kFirstToothCount; t <= kLastToothCount; ++t) EXPECT_EQ(stock.count(t), (t >= 30 && t <= 80) ? 1 : 0) << t;
  EXPECT_TRUE(GearStock::isValidText(stock.toText()));
  // (Damaged texts are read through the window's settings test.)
  for (const std::string& bad : {std::string("12x8 7"), std::string(154, '8'), std::string(155, '1')})
    EXPECT_FALSE(GearStock::isValidText(bad)) << bad;
  GearStock clamped;
  for (const auto& [teeth, count] : {std::pair{40, 9}, {41, -1}, {170, 3}}) clamped.setCount(teeth, count);
  EXPECT_EQ(std::tuple(clamped.count(40), clamped.count(41), clamped.count(170)), std::tuple(7, 0, 0));
}

TEST(TextValue, NumbersInFrontOfTheTextWhateverTheLocale) {
  const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // a comma locale, where installed
  for (const auto& [text, value] : {std::pair{".025", 0.025}, {"  12.5abc", 12.5}, {"-3", -3.0}, {"+4.", 4.0}, {"", 0.0},
                                    {"abc", 0.0}, {"+-1", 0.0}, {"1e-999", 0.0}, {"1e999", double(INFINITY)}})
    EXPECT_EQ(textToDouble(text), value) << text;
  std::setlocale(LC_NUMERIC, saved.c_str());
  for (const auto& [text, value] : {std::pair{" 7x", 7}, {"-12", -12}, {"x1", 0}, {"99999999999", 2147483647}})
    EXPECT_EQ(textToInt(text), value) << text;
  for (const char* bad : {"", "1.2.3", " 5"}) EXPECT_FALSE(parseDecFloat(bad)) << bad;
  EXPECT_EQ(*parseDecFloat("00.0100"), DecFloat("0.01"));
  // Fixed output rounds half to even.
  for (const auto& [value, decimals, text] : {std::tuple{"0.0025", 3, "0.002"}, {"0.0035", 3, "0.004"}, {"0", 15, "0.000000000000000"},
                                              {"-1.5", 6, "-1.500000"}, {"1234567.25", 0, "1234567"}})
    EXPECT_EQ(formatFixed(DecFloat(value), decimals), text) << value;
}

TEST(ReadJob, ToleranceBandFromTheLengthOfTheFeedRateText) {
  const struct { const char* feedRate; double tolerance; } cases[] = {
      {"0.02500000", 0.0001}, {"0.0250000", 0.0001}, {"0.025000", 0.00025}, {"0.02500", 0.0005},
      {"0.0250", 0.001},      {"0.025", 0.0015},     {".025", 0.003},       {".03", 0.005},
      {".3", 0.005},          {"1", 0}};
  JobInputs in = exampleJobInputs();
  for (const auto& c : cases) {
    in.feedRate = c.feedRate;
    const auto job = readJob(in);
    ASSERT_TRUE(job) << c.feedRate;
    EXPECT_EQ(job->hasTolerance, c.tolerance != 0) << c.feedRate;
    EXPECT_EQ(job->feedTolerance, DecFloat(c.tolerance)) << c.feedRate;
    // A larger feed asks for a smaller c: the band of C constants around the required one.
    EXPECT_EQ(job->cLow < job->requiredC && job->requiredC < job->cHigh, c.tolerance != 0) << c.feedRate;
  }
  in.feedRate = ".003";  // 4 characters, tolerance 0.003 = the feed rate: no upper end
  EXPECT_EQ(readJob(in)->cHigh, readJob(in)->requiredC);
  EXPECT_EQ(readJob(in)->requiredC, readJob(in)->normalPitch / (DecFloat(".003") * readJob(in)->sinHelix));
}

TEST(ReadJob, DerivedQuantitiesSignAndBadText) {
  JobInputs in = exampleJobInputs();
  const auto job = readJob(in);
  ASSERT_TRUE(job);
  EXPECT_NEAR(job->sinHelix.convert_to<double>(), std::sin(23.5 * M_PI / 180), 1e-14);
  EXPECT_NEAR(job->normalPitch.convert_to<double>(), M_PI / 8, 1e-14);
  EXPECT_EQ(job->hobThreads, 1);
  EXPECT_EQ(job->teeth, 30);
  // The feed factor is the reciprocal of a feed constant from 1 up.
  for (const char* cf : {"10", "1", "0.0625", "0.99"}) {
    in.feedConstant = cf;
    const double v = std::atof(cf);
    EXPECT_EQ(readJob(in)->feedFactor, v >= 1 ? DecFloat(1) / DecFloat(cf) : DecFloat(cf)) << cf;
  }
  for (int setup = -1; setup <= 8; ++setup) {
    const bool minus = setup == 0 || setup == 3 || setup == 4 || setup == 7;
    EXPECT_EQ(setupSign(setup), minus ? -1 : 1) << setup;
  }
  for (auto field : {&JobInputs::feedConstant, &JobInputs::feedRate, &JobInputs::helixAngle}) {
    for (const char* bad : {"", "1.2.3"}) {
      JobInputs broken = exampleJobInputs();
      broken.*field = bad;
      EXPECT_FALSE(readJob(broken)) << bad;
      EXPECT_EQ(bool(readJobWithoutFeedRate(broken)), field == &JobInputs::feedRate) << bad;
    }
  }
}

TEST(Formulas, IndexFeedAndTheCBisection) {
  JobParameters job;
  job.indexConstant = 30;
  job.hobThreads = 1;
  job.teeth = 40;
  job.normalPitch = 3;
  job.sinHelix = DecFloat("0.5");
  job.feedFactor = DecFloat("0.25");
  EXPECT_EQ(feedRatioFor(job, 4), 6);  // 3 / (4 x 0.25) / 0.5
  EXPECT_EQ(actualFeed(job, 6), DecFloat("1.5"));
  const DecFloat close(1e-95);
  for (int s : {1, -1}) {
    job.sign = s;
    // K T c / (c N + s): 150 / 201 or 150 / 199 for c = 5.
    EXPECT_LT(abs(indexRatioFor(job, 5) - DecFloat(150) / (200 + s)), close) << s;
    for (const char* c : {"5", "2", "37", "1234", "22.4"}) {
      const DecFloat ratio = indexRatioFor(job, DecFloat(c));
      EXPECT_LT(abs(solveCConstant(job, ratio) - DecFloat(c)), close) << s << " " << c;
    }
  }
  // The rising formula stays below K T / N = 0.75: a ratio above it ends at the cap.
  job.sign = 1;
  const DecFloat unreachable = solveCConstant(job, DecFloat("0.8"));
  EXPECT_TRUE(unreachable > 99999 && unreachable < 100000);
  EXPECT_EQ(solveCConstant(job, std::numeric_limits<DecFloat>::quiet_NaN()), DecFloat(50000) + DecFloat(1e-110));
}

}  // namespace
}  // namespace hobwise

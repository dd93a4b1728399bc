// The core below the solver: the gear stock, the texts of numbers, the job and its
// formulas; and above it, the evaluation of a result, its texts and the geometry readouts.
#include <gtest/gtest.h>

#include <boost/math/constants/constants.hpp>
#include <clocale>
#include <cmath>
#include <limits>
#include <random>
#include <tuple>
#include <vector>

#include "model/decfloat.h"
#include "model/gear_stock.h"
#include "model/job.h"
#include "model/text_value.h"
#include "results/results.h"
#include "solver/c_constant.h"
#include "solver/solver.h"

namespace hobwise {
namespace {

TEST(GearStock, DefaultStockValidTextsAndCountLimits) {
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

// Exact words carry every internal digit, guard digits too, and refuse what no value holds.
TEST(TextValue, ExactWordsReadBackToTheSameValue) {
  const DecFloat third = DecFloat(1) / 3;
  for (const DecFloat& x : {third, -third * DecFloat("1e-300"), third * DecFloat("1e300"),
                            boost::math::constants::pi<DecFloat>(), DecFloat(0), DecFloat(-7), DecFloat("0.025"),
                            std::numeric_limits<DecFloat>::infinity(), -std::numeric_limits<DecFloat>::infinity()}) {
    const std::optional<DecFloat> back = exactWordValue(exactWord(x));
    ASSERT_TRUE(back) << exactWord(x);
    EXPECT_EQ(*back, x) << exactWord(x);
    EXPECT_EQ(exactWord(*back), exactWord(x));
    EXPECT_EQ(*back * 3 - 1, x * 3 - 1) << exactWord(x);
  }
  EXPECT_TRUE(isNaN(exactWordValue(exactWord(std::numeric_limits<DecFloat>::quiet_NaN())).value_or(0)));
  for (const char* bad : {"", "1", "0:0:0:16:", "0:0:3:16:1", "0:0:0:16:100000000", "3:0:0:16:1", "0:2:0:16:1",
                          "0:0:0:0:1", "0:0:0:16:1:x", "0:0:0:16:1:1:1:1:1:1:1:1:1:1:1:1:1:1:1:1:1", "0:0:0:16: 1"})
    EXPECT_FALSE(exactWordValue(bad)) << bad;
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
      for (bool exact : {true, false})
        EXPECT_LT(abs(solveCConstant(job, ratio, exact) - DecFloat(c)), close) << s << " " << c << " " << exact;
    }
  }
  // The rising formula stays below K T / N = 0.75: a ratio above it ends at the cap.
  job.sign = 1;
  for (bool exact : {true, false}) {
    const DecFloat unreachable = solveCConstant(job, DecFloat("0.8"), exact);
    EXPECT_TRUE(unreachable > 99999 && unreachable < 100000) << exact;
    EXPECT_EQ(solveCConstant(job, std::numeric_limits<DecFloat>::quiet_NaN(), exact), DecFloat(50000) + DecFloat(1e-110));
  }
}

const DecFloat kPi = boost::math::constants::pi<DecFloat>();

// K = 30, T = 1, N = 40, feed constant 0.0625, helix 23.5, pitch 8.
JobInputs job40(int setup = 1) {
  JobInputs in = exampleJobInputs();
  in.teeth = "40";
  in.setupIndex = setup;
  return in;
}

FoundResult train(int i2, int i3, int i0, int i1, int f2 = 40, int f3 = 30, int f0 = 50, int f1 = 45) {
  const auto u = [](int teeth) { return static_cast<std::uint16_t>(teeth); };
  return FoundResult{u(f0), u(f1), u(f2), u(f3), u(i0), u(i1), u(i2), u(i3), 0, 0};
}

DecFloat absolute(const DecFloat& x) { return boost::multiprecision::abs(x); }

TEST(Results, IsWholeAllowsOnePartIn1e99AboveAWholeNumber) {
  const struct { DecFloat x; bool whole; } cases[] = {
      {-3, true}, {DecFloat(5) + DecFloat("1e-100"), true}, {DecFloat(5) + DecFloat("1e-98"), false},
      {DecFloat(5) - DecFloat("1e-95"), false}, {DecFloat(1) / 3, false}, {DecFloat(1) / 0, false}, {DecFloat(0) / 0, false}};
  for (const auto& c : cases) EXPECT_EQ(IsWhole(c.x), c.whole) << c.x;
}

TEST(Results, FirstFractionInWhichTheGearsAppear) {
  const struct {
    const char* what;
    int setup;
    FoundResult gears;
    const char* status;
  } cases[] = {
      // c = 5: q = 1 to 9 fail, q = 10 gives K T p = 1500 = 50 x 30, N p + q = 2010 = 67 x 30.
      {"not reduced", 1, train(50, 30, 67, 30), "C: 50/10"},
      {"whole", 1, train(15, 10, 67, 3), "C: 5/1"},
      // s = -1, c = 5: q = 2, p = 10: K T p = 300 = 60 x 5, N p - q = 398 = 199 x 2.
      {"minus sign", 0, train(60, 5, 199, 2), "C: 10/2"},
      // c = 901 / 11530: the denominator is too large for the search.
      {"none below 10000", 1, train(51, 53, 67, 71), ""},
      {"gears of no teeth", 1, FoundResult{}, ""},
  };
  for (const auto& c : cases) {
    for (bool exact : {false, true}) {
      const auto ev = EvaluateResult(job40(c.setup), c.gears, exact);
      ASSERT_TRUE(ev) << c.what;
      EXPECT_EQ(ev->hasFraction, *c.status != 0) << c.what;
      EXPECT_EQ(resultTexts(c.gears, *ev).status, c.status) << c.what;
    }
  }
  EXPECT_LT(absolute(EvaluateResult(job40(0), train(60, 5, 199, 2))->c - 5), DecFloat("1e-100"));
}

TEST(Results, FiguresFollowFromTheRatios) {
  const FoundResult r = train(50, 30, 67, 30, 40, 30, 50, 45);
  const auto ev = EvaluateResult(job40(1), r);
  ASSERT_TRUE(ev);
  const DecFloat feedRatio = DecFloat(40 * 30) / DecFloat(50 * 45);
  const DecFloat f("0.0625");
  const DecFloat beta = DecFloat("23.5") * kPi / 180;
  EXPECT_EQ(ev->feedRatio, feedRatio);
  EXPECT_LT(absolute(ev->actualFeed - feedRatio * f), DecFloat("1e-95"));
  EXPECT_LT(absolute(ev->feedError - (feedRatio - (kPi / 8) / (ev->c * f) / sin(beta))), DecFloat("1e-90"));
  EXPECT_LT(absolute(ev->feedAlongHelix - feedRatio * f / cos(beta)), DecFloat("1e-90"));
  EXPECT_LT(absolute(ev->theoreticalLead - kPi * 40 / (DecFloat(8) * sin(beta))), DecFloat("1e-80"));
  EXPECT_LT(absolute(ev->leadFromGearing - ev->c * feedRatio * f * 40), DecFloat("1e-90"));
  EXPECT_LT(absolute(ev->leadError - ev->c * 40 * f * ev->feedError), DecFloat("1e-85"));
  EXPECT_NE(ev->leadError, 0);

  // A feed constant and its reciprocal give the same texts.
  JobInputs sixteen = job40(1);
  sixteen.feedConstant = "16";
  const ResultTexts texts = resultTexts(r, *ev), other = resultTexts(r, *EvaluateResult(sixteen, r));
  EXPECT_EQ(std::tie(texts.feedError, texts.feedLine, texts.leadLine), std::tie(other.feedError, other.feedLine, other.leadLine));
  JobInputs one = job40(1);
  one.feedConstant = "1";
  EXPECT_EQ(EvaluateResult(one, r)->actualFeed, EvaluateResult(one, r)->feedRatio);
}

TEST(Results, TextThatIsNoNumberGivesNothing) {
  for (std::string JobInputs::*field : {&JobInputs::indexConstant, &JobInputs::feedConstant,
                                        &JobInputs::helixAngle, &JobInputs::normalPitch, &JobInputs::feedRate}) {
    for (const char* bad : {"", "1.2.3"}) {
      JobInputs in = job40(1);
      in.*field = bad;  // the feed rate takes no part
      EXPECT_EQ(bool(EvaluateResult(in, train(50, 30, 67, 30))), field == &JobInputs::feedRate) << bad;
    }
  }
}

TEST(Results, TextsOfTheResultLines) {
  // The smaller driving gear and the larger driven gear go left.
  const auto g = gearTexts(train(/*i2*/ 50, /*i3*/ 30, /*i0*/ 30, /*i1*/ 67, /*f2*/ 25, /*f3*/ 80, /*f0*/ 45, /*f1*/ 60));
  EXPECT_EQ(g, (std::array<std::string, 8>{"30", "50", "67", "30", "25", "80", "60", "45"}));
  EXPECT_EQ(kGearFieldIds[0], 3003);
  EXPECT_EQ(kGearFieldIds[7], 3027);

  ResultEvaluation ev;
  ev.c = 5;
  ev.hasFraction = true;
  ev.p = DecFloat("98765432109");
  ev.q = 9999;
  ev.feedError = DecFloat("-0.000012345678901234567");
  ev.actualFeed = DecFloat("0.0251245");
  ev.feedAlongHelix = DecFloat("0.0273");
  ev.theoreticalLead = DecFloat("16.5");
  ev.leadFromGearing = DecFloat("16.5000000015");
  ev.leadError = DecFloat("0.0000000015");
  const ResultTexts t = resultTexts(train(50, 30, 67, 30), ev);
  EXPECT_EQ(t.status, "C: 98765432109/9999");
  EXPECT_EQ(t.indexError, "Index Error: None");
  EXPECT_EQ(t.feedError, "Feed Error: -0.000012345678901");
  // Fixed decimals; an exact half goes to the even digit.
  EXPECT_EQ(t.feedLine, "Actual Feed Rate: 0.025124   \r\nFeed Rate along Helix Angle: 0.027300");
  EXPECT_EQ(t.leadLine, "Theoretical Lead: 16.500000000 Lead from Gearing: 16.500000002 (Error: 0.000000002)");
  ev.feedError = 0;
  EXPECT_EQ(resultTexts(train(50, 30, 67, 30), ev).feedError, "Feed Error: 0.000000000000000");
}

TEST(Results, GeometryReadoutsWithinTheirRanges) {
  const struct { const char *teeth, *pitch, *helix, *diameter, *outside; } cases[] = {
      {"30", "8", "30", "4.3301", "4.5801"}, {"20", "10", "", "2.0000", "2.2000"}, {"30", "8", "89.9", "2148.5928", "2148.8428"},
      {"30", "0.35", "10", "87.0366", "92.7509"}, {"30", "8", "89.91", nullptr, nullptr}, {"30", "0.349", "10", nullptr, nullptr},
      {"", "8", "30", nullptr, nullptr}, {"30", "8", "-1", nullptr, nullptr}, {"30", "abc", "30", nullptr, nullptr},
      {"30", "nan", "30", nullptr, nullptr}};
  for (const auto& c : cases) {
    const GeometryReadouts r = geometryReadouts(c.teeth, c.pitch, c.helix);
    const std::string what = std::string(c.teeth) + " " + c.pitch + " " + c.helix;
    EXPECT_EQ(r.pitchDiameter, c.diameter ? std::string("Transverse Pitch Dia.: ") + c.diameter : "") << what;
    EXPECT_EQ(r.outsideDiameter, c.outside ? std::string("Outside Dia.: ") + c.outside : "") << what;
  }
}

// The results the engine finds for jobs of whole and half index constants, both
// signs and several threads, and random trains (mostly without a fraction): the
// shortcut of the fraction search finds what the literal search finds.
TEST(Results, FastFractionSearchAgreesWithTheLiteralOne) {
  int withFraction = 0, aboveOne = 0, cases = 0;
  std::mt19937 random(12345);
  const auto gear = [&] { return 16 + static_cast<int>(random() % 154); };
  using Job = std::tuple<const char*, const char*, const char*, int>;  // K, N, T, set-up
  for (const auto& [k, teeth, threads, setup] : {Job{"30", "40", "1", 0}, Job{"24.5", "36", "2", 1}, Job{"60", "97", "3", 0}}) {
    JobInputs in = job40(setup);
    in.indexConstant = k, in.teeth = teeth, in.hobThreads = threads;
    auto results = solve(in, GearStock::defaultStock(), SolveOptions{}).results;
    results.resize(std::min<std::size_t>(results.size(), 25));
    for (int n = 0; n < 5; ++n) results.push_back(train(gear(), gear(), gear(), gear()));
    for (std::size_t n = 0; n < results.size(); ++n, ++cases) {
      const FoundResult& r = results[n];
      const auto fast = EvaluateResult(in, r, false);
      const auto exact = EvaluateResult(in, r, true);
      ASSERT_TRUE(fast && exact);
      EXPECT_EQ(std::tie(fast->hasFraction, fast->p, fast->q), std::tie(exact->hasFraction, exact->p, exact->q))
          << k << " " << teeth << " result " << n;
      withFraction += exact->hasFraction;
      aboveOne += exact->hasFraction && exact->q > 1;
    }
  }
  // The cases exercise both outcomes and denominators above 1.
  EXPECT_GT(withFraction, 10);
  EXPECT_GT(aboveOne, 5);
  EXPECT_LT(withFraction, cases);
}

// Many results at once (index trains shared, a job that cannot be judged) give the
// texts each gives alone.
TEST(Results, TextsOfManyResultsAreThoseOfEachAlone) {
  const auto fields = [](const ResultTexts& t) {
    return std::tie(t.gears, t.status, t.indexError, t.feedError, t.feedLine, t.leadLine);
  };
  JobInputs in = job40(1);
  std::vector<FoundResult> results = solve(in, GearStock::defaultStock(), SolveOptions{}).results;
  ASSERT_GT(results.size(), 50u);
  results.push_back(train(50, 30, 67, 30));
  for (const char* helix : {"23.5", "x"}) {
    in.helixAngle = helix;
    for (bool exact : {false, true}) {
      const std::vector<ResultTexts> all = resultTextsForJob(in, results, exact);
      ASSERT_EQ(all.size(), results.size());
      for (std::size_t n = 0; n < results.size(); n += exact ? 7 : 1)
        EXPECT_EQ(fields(all[n]), fields(resultTextsForJob(in, results[n], exact))) << helix << " " << n;
    }
  }
}

}  // namespace
}  // namespace hobwise

// Result evaluation, result texts and geometry readouts.
#include <gtest/gtest.h>

#include <boost/math/constants/constants.hpp>
#include <random>
#include <tuple>
#include <vector>

#include "model/job.h"
#include "results/results.h"
#include "solver/solver.h"

namespace hobwise {
namespace {

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
      {5, true}, {0, true}, {-3, true}, {DecFloat(5) + DecFloat("1e-100"), true},
      {DecFloat(-3) + DecFloat("1e-100"), true}, {DecFloat(5) + DecFloat("1e-98"), false},
      {DecFloat(5) - DecFloat("1e-95"), false}, {DecFloat("0.5"), false}, {DecFloat(1) / 3, false},
      {DecFloat(1) / 0, false}, {DecFloat(-1) / 0, false}, {DecFloat(0) / 0, false}};
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
  EXPECT_FALSE(exactFractionSearch());
  setExactFractionSearch(true);
  EXPECT_TRUE(exactFractionSearch());
  setExactFractionSearch(false);
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
      {"30", "8", "30", "4.3301", "4.5801"},  {"20", "10", "", "2.0000", "2.2000"},
      {"30", "8", "89.9", "2148.5928", "2148.8428"}, {"30", "0.35", "10", "87.0366", "92.7509"},
      {"30", "8", "89.91", nullptr, nullptr},  {"30", "0.349", "10", nullptr, nullptr},
      {"", "8", "30", nullptr, nullptr},       {"30", "8", "-1", nullptr, nullptr},
      {"30", "abc", "30", nullptr, nullptr},   {"30", "nan", "30", nullptr, nullptr}};
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

}  // namespace
}  // namespace hobwise

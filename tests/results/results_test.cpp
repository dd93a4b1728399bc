// Result evaluation, result texts and geometry readouts.
#include <gtest/gtest.h>

#include <boost/math/constants/constants.hpp>
#include <numeric>
#include <random>
#include <vector>

#include "model/job.h"
#include "results/results.h"

namespace hobwise {
namespace {

const DecFloat kPi = boost::math::constants::pi<DecFloat>();

// K = 30, T = 1, N = 40, feed constant 0.0625, helix 23.5, pitch 8.
JobInputs job40(int setup = 1) {
  JobInputs in;
  in.indexConstant = "30";
  in.feedConstant = "0.0625";
  in.helixAngle = "23.5";
  in.normalPitch = "8";
  in.feedRate = ".025";
  in.hobThreads = "1";
  in.teeth = "40";
  in.setupIndex = setup;
  return in;
}

FoundResult train(int i2, int i3, int i0, int i1, int f2 = 40, int f3 = 30, int f0 = 50, int f1 = 45) {
  FoundResult r;
  r.i2 = static_cast<std::uint16_t>(i2);
  r.i3 = static_cast<std::uint16_t>(i3);
  r.i0 = static_cast<std::uint16_t>(i0);
  r.i1 = static_cast<std::uint16_t>(i1);
  r.f2 = static_cast<std::uint16_t>(f2);
  r.f3 = static_cast<std::uint16_t>(f3);
  r.f0 = static_cast<std::uint16_t>(f0);
  r.f1 = static_cast<std::uint16_t>(f1);
  return r;
}

DecFloat absolute(const DecFloat& x) { return boost::multiprecision::abs(x); }

TEST(IsWholeTest, ToleranceOfOnePartIn1e99AboveAWholeNumber) {
  EXPECT_TRUE(IsWhole(DecFloat(5)));
  EXPECT_TRUE(IsWhole(DecFloat(0)));
  EXPECT_TRUE(IsWhole(DecFloat(-3)));
  EXPECT_TRUE(IsWhole(DecFloat(5) + DecFloat("1e-100")));
  EXPECT_TRUE(IsWhole(DecFloat(-3) + DecFloat("1e-100")));
  EXPECT_FALSE(IsWhole(DecFloat(5) + DecFloat("1e-98")));
  // Just below a whole number is not whole: the floor is one less.
  EXPECT_FALSE(IsWhole(DecFloat(5) - DecFloat("1e-95")));
  EXPECT_FALSE(IsWhole(DecFloat("0.5")));
  EXPECT_FALSE(IsWhole(DecFloat(1) / DecFloat(3)));
}

TEST(IsWholeTest, NonFiniteValuesAreNeverWhole) {
  EXPECT_FALSE(IsWhole(DecFloat(1) / DecFloat(0)));
  EXPECT_FALSE(IsWhole(DecFloat(-1) / DecFloat(0)));
  EXPECT_FALSE(IsWhole(DecFloat(0) / DecFloat(0)));
}

TEST(EvaluateResultTest, FirstFractionInWhichTheGearsAppearIsNotReduced) {
  // 50 x 30 over 67 x 30: index ratio 150/201, C constant 5. q = 1 to 9 fail, q = 10
  // gives K T p = 1500 = 50 x 30 and N p + q = 2010 = 67 x 30.
  const auto ev = EvaluateResult(job40(1), train(50, 30, 67, 30));
  ASSERT_TRUE(ev);
  EXPECT_LT(absolute(ev->c - 5), DecFloat("1e-100"));
  ASSERT_TRUE(ev->hasFraction);
  EXPECT_EQ(ev->p, DecFloat(50));
  EXPECT_EQ(ev->q, 10);
  EXPECT_EQ(statusText(*ev), "C: 50/10");
  EXPECT_EQ(resultTexts(train(50, 30, 67, 30), *ev).status, "C: 50/10");
}

TEST(EvaluateResultTest, WholeCConstantGivesDenominatorOneOnlyWhenTheGearsDivide) {
  // 150 = 15 x 10 divides K T c = 150 and 201 = 67 x 3 divides N c + s = 201.
  const auto whole = EvaluateResult(job40(1), train(15, 10, 67, 3));
  ASSERT_TRUE(whole && whole->hasFraction);
  EXPECT_EQ(whole->q, 1);
  EXPECT_EQ(whole->p, DecFloat(5));
  EXPECT_EQ(statusText(*whole), "C: 5/1");
}

TEST(EvaluateResultTest, MinusSignFormsTheDenominatorWithMinusQ) {
  // s = -1 (set-up item 0), c = 5: K T c / (c N - 1) = 150 / 199, 199 prime, so the
  // driven gears 199 x 1 are not gears of any stock but still show the arithmetic:
  // use 150/199 scaled by 2: 60 x 5 over 199 x 2.
  const auto ev = EvaluateResult(job40(0), train(60, 5, 199, 2));
  ASSERT_TRUE(ev);
  EXPECT_LT(absolute(ev->c - 5), DecFloat("1e-100"));
  ASSERT_TRUE(ev->hasFraction);
  // q = 1: 150 is not divisible by 60 x 5 = 300; q = 2: p = 10, K T p = 300 = 60 x 5,
  // N p - q = 398 = 199 x 2.
  EXPECT_EQ(ev->q, 2);
  EXPECT_EQ(ev->p, DecFloat(10));
}

TEST(EvaluateResultTest, NoFractionBelowTenThousand) {
  // 51 x 53 over 67 x 71: c = 2703 / 34590 = 901 / 11530, whose denominator is too
  // large for the search.
  const auto ev = EvaluateResult(job40(1), train(51, 53, 67, 71));
  ASSERT_TRUE(ev);
  EXPECT_FALSE(ev->hasFraction);
  const ResultTexts texts = resultTexts(train(51, 53, 67, 71), *ev);
  EXPECT_EQ(texts.status, "");
  EXPECT_EQ(texts.indexError, "Index Error: None");
  EXPECT_EQ(texts.feedError.rfind("Feed Error: ", 0), 0u);
  EXPECT_FALSE(texts.feedLine.empty());
  EXPECT_FALSE(texts.leadLine.empty());
}

TEST(EvaluateResultTest, TheoreticalLeadIsPiNOverPitchTimesSine) {
  const auto ev = EvaluateResult(job40(1), train(50, 30, 67, 30));
  ASSERT_TRUE(ev);
  const DecFloat expected = kPi * 40 / (DecFloat(8) * sin(DecFloat("23.5") * kPi / 180));
  EXPECT_LT(absolute(ev->theoreticalLead - expected), DecFloat("1e-80"));
}

TEST(EvaluateResultTest, FiguresFollowFromTheFeedRatio) {
  const FoundResult r = train(50, 30, 67, 30, 40, 30, 50, 45);
  const auto ev = EvaluateResult(job40(1), r);
  ASSERT_TRUE(ev);
  const DecFloat feedRatio = DecFloat(40 * 30) / DecFloat(50 * 45);
  EXPECT_EQ(ev->feedRatio, feedRatio);
  const DecFloat f("0.0625");
  EXPECT_LT(absolute(ev->actualFeed - feedRatio * f), DecFloat("1e-95"));
  const DecFloat sinBeta = sin(DecFloat("23.5") * kPi / 180);
  const DecFloat cosBeta = cos(DecFloat("23.5") * kPi / 180);
  const DecFloat required = (kPi / 8) / (ev->c * f) / sinBeta;
  EXPECT_LT(absolute(ev->feedError - (feedRatio - required)), DecFloat("1e-90"));
  EXPECT_LT(absolute(ev->feedAlongHelix - feedRatio * f / cosBeta), DecFloat("1e-90"));
  EXPECT_LT(absolute(ev->leadFromGearing - ev->c * feedRatio * f * 40), DecFloat("1e-90"));
  // The lead error is c x N x F x feed error.
  EXPECT_LT(absolute(ev->leadError - ev->c * 40 * f * ev->feedError), DecFloat("1e-85"));
  EXPECT_NE(ev->leadError, DecFloat(0));
}

TEST(EvaluateResultTest, FeedConstantAndItsReciprocalGiveTheSameFigures) {
  JobInputs four = job40(1);
  four.feedConstant = "4";
  JobInputs quarter = job40(1);
  quarter.feedConstant = "0.25";
  const FoundResult r = train(50, 30, 67, 30);
  const auto a = EvaluateResult(four, r);
  const auto b = EvaluateResult(quarter, r);
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->actualFeed, b->actualFeed);
  EXPECT_EQ(a->feedError, b->feedError);
  EXPECT_EQ(a->leadFromGearing, b->leadFromGearing);
  const ResultTexts ta = resultTexts(r, *a);
  const ResultTexts tb = resultTexts(r, *b);
  EXPECT_EQ(ta.feedError, tb.feedError);
  EXPECT_EQ(ta.feedLine, tb.feedLine);
  EXPECT_EQ(ta.leadLine, tb.leadLine);

  JobInputs one = job40(1);
  one.feedConstant = "1";
  const auto c = EvaluateResult(one, r);
  ASSERT_TRUE(c);
  EXPECT_EQ(c->actualFeed, c->feedRatio);  // F = 1
}

TEST(EvaluateResultTest, SwappedGearsAndTheWantedFeedRateChangeNothing) {
  const FoundResult r = train(50, 30, 67, 30, 40, 30, 50, 45);
  const FoundResult swapped = train(30, 50, 30, 67, 30, 40, 45, 50);
  JobInputs otherFeed = job40(1);
  otherFeed.feedRate = "0.0999";
  const auto a = EvaluateResult(job40(1), r);
  const auto b = EvaluateResult(job40(1), swapped);
  const auto c = EvaluateResult(otherFeed, r);
  ASSERT_TRUE(a && b && c);
  for (const auto* other : {&*b, &*c}) {
    EXPECT_EQ(a->c, other->c);
    EXPECT_EQ(a->hasFraction, other->hasFraction);
    EXPECT_EQ(a->p, other->p);
    EXPECT_EQ(a->q, other->q);
    EXPECT_EQ(a->feedError, other->feedError);
    EXPECT_EQ(a->leadError, other->leadError);
  }
  const ResultTexts ta = resultTexts(r, *a);
  const ResultTexts tb = resultTexts(swapped, *b);
  EXPECT_EQ(ta.gears, tb.gears);
  EXPECT_EQ(ta.status, tb.status);
  EXPECT_EQ(ta.feedLine, tb.feedLine);
  EXPECT_EQ(ta.leadLine, tb.leadLine);
}

TEST(EvaluateResultTest, TextThatIsNoNumberGivesNothing) {
  for (std::string JobInputs::*field : {&JobInputs::indexConstant, &JobInputs::feedConstant,
                                        &JobInputs::helixAngle, &JobInputs::normalPitch}) {
    JobInputs in = job40(1);
    in.*field = "";
    EXPECT_FALSE(EvaluateResult(in, train(50, 30, 67, 30)));
    in.*field = "1.2.3";
    EXPECT_FALSE(EvaluateResult(in, train(50, 30, 67, 30)));
  }
  // The feed rate takes no part: an empty one is fine.
  JobInputs in = job40(1);
  in.feedRate = "";
  EXPECT_TRUE(EvaluateResult(in, train(50, 30, 67, 30)));
}

TEST(EvaluateResultTest, GearsOfNoTeethGiveNonFiniteFiguresAndNoFraction) {
  const auto ev = EvaluateResult(job40(1), FoundResult{});
  ASSERT_TRUE(ev);
  EXPECT_FALSE(ev->hasFraction);
  const ResultTexts t = resultTexts(FoundResult{}, *ev);
  EXPECT_EQ(t.status, "");
  EXPECT_EQ(t.gears[0], "0");
}

TEST(ResultTextsTest, GearFieldsPutTheSmallerDrivingGearLeftAndTheLargerDrivenGearLeft) {
  FoundResult r = train(/*i2*/ 50, /*i3*/ 30, /*i0*/ 30, /*i1*/ 67, /*f2*/ 25, /*f3*/ 80, /*f0*/ 45, /*f1*/ 60);
  const auto g = gearTexts(r);
  EXPECT_EQ(g[0], "30");  // 3003 smaller of i2, i3
  EXPECT_EQ(g[1], "50");  // 3005 larger of i2, i3
  EXPECT_EQ(g[2], "67");  // 3004 larger of i0, i1
  EXPECT_EQ(g[3], "30");  // 3006 smaller of i0, i1
  EXPECT_EQ(g[4], "25");  // 3024
  EXPECT_EQ(g[5], "80");  // 3026
  EXPECT_EQ(g[6], "60");  // 3025
  EXPECT_EQ(g[7], "45");  // 3027
  EXPECT_EQ(kGearFieldIds[0], 3003);
  EXPECT_EQ(kGearFieldIds[7], 3027);
}

ResultEvaluation madeUp() {
  ResultEvaluation ev;
  ev.c = DecFloat(5);
  ev.hasFraction = true;
  ev.p = DecFloat(50);
  ev.q = 10;
  ev.feedError = DecFloat(0);
  ev.actualFeed = DecFloat("0.0251245");
  ev.feedAlongHelix = DecFloat("0.0273");
  ev.theoreticalLead = DecFloat("16.5");
  ev.leadFromGearing = DecFloat("16.5000000015");
  ev.leadError = DecFloat("0.0000000015");
  return ev;
}

TEST(ResultTextsTest, NumberFormatsOfTheResultLines) {
  const ResultTexts t = resultTexts(train(50, 30, 67, 30), madeUp());
  EXPECT_EQ(t.feedError, "Feed Error: 0.000000000000000");
  // Fixed decimals; an exact half goes to the even digit (0.0251245 -> 0.025124,
  // 16.5000000015 -> 16.500000002).
  EXPECT_EQ(t.feedLine, "Actual Feed Rate: 0.025124   \r\nFeed Rate along Helix Angle: 0.027300");
  EXPECT_EQ(t.leadLine,
            "Theoretical Lead: 16.500000000 Lead from Gearing: 16.500000002 (Error: 0.000000002)");
  EXPECT_EQ(t.indexError, "Index Error: None");
}

TEST(ResultTextsTest, NegativeFeedErrorHasItsMinusRightAfterTheBlank) {
  ResultEvaluation ev = madeUp();
  ev.feedError = DecFloat("-0.000012345678901234567");
  EXPECT_EQ(resultTexts(train(50, 30, 67, 30), ev).feedError, "Feed Error: -0.000012345678901");
}

TEST(ResultTextsTest, LongNumeratorsAreWrittenDigitByDigit) {
  ResultEvaluation ev = madeUp();
  ev.p = DecFloat(1234567);
  ev.q = 9999;
  EXPECT_EQ(statusText(ev), "C: 1234567/9999");
  ev.p = DecFloat("98765432109");
  EXPECT_EQ(statusText(ev), "C: 98765432109/9999");
  ev.hasFraction = false;
  EXPECT_EQ(statusText(ev), "");
}

TEST(ResultTextsTest, FeedLineHoldsExactlyOneLineBreakAfterThreeBlanks) {
  const auto ev = EvaluateResult(job40(1), train(50, 30, 67, 30));
  ASSERT_TRUE(ev);
  const std::string line = resultTexts(train(50, 30, 67, 30), *ev).feedLine;
  const auto at = line.find("\r\n");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(line.find("\r\n", at + 1), std::string::npos);
  EXPECT_EQ(line.substr(at - 3, 3), "   ");
  EXPECT_EQ(line.rfind("Actual Feed Rate: ", 0), 0u);
  EXPECT_EQ(line.substr(at + 2, 29), "Feed Rate along Helix Angle: ");
}

TEST(GeometryReadoutsTest, WorkedExamples) {
  const GeometryReadouts helical = geometryReadouts("30", "8", "30");
  EXPECT_EQ(helical.pitchDiameter, "Transverse Pitch Dia.: 4.3301");
  EXPECT_EQ(helical.outsideDiameter, "Outside Dia.: 4.5801");
  const GeometryReadouts spur = geometryReadouts("20", "10", "");
  EXPECT_EQ(spur.pitchDiameter, "Transverse Pitch Dia.: 2.0000");
  EXPECT_EQ(spur.outsideDiameter, "Outside Dia.: 2.2000");
}

TEST(GeometryReadoutsTest, RangeLimitsAreInclusive) {
  EXPECT_FALSE(geometryReadouts("30", "8", "89.9").pitchDiameter.empty());
  const GeometryReadouts steep = geometryReadouts("30", "8", "89.91");
  EXPECT_EQ(steep.pitchDiameter, "");
  EXPECT_EQ(steep.outsideDiameter, "");
  EXPECT_FALSE(geometryReadouts("30", "0.35", "10").outsideDiameter.empty());
  const GeometryReadouts coarse = geometryReadouts("30", "0.349", "10");
  EXPECT_EQ(coarse.pitchDiameter, "");
  EXPECT_EQ(coarse.outsideDiameter, "");
  EXPECT_EQ(geometryReadouts("", "8", "30").pitchDiameter, "");       // no number of teeth
  EXPECT_EQ(geometryReadouts("30", "8", "-1").pitchDiameter, "");     // negative angle
  EXPECT_EQ(geometryReadouts("30", "abc", "30").pitchDiameter, "");   // no pitch
  EXPECT_EQ(geometryReadouts("30", "nan", "30").pitchDiameter, "");   // not a number
  EXPECT_FALSE(geometryReadouts("1", "360", "0").pitchDiameter.empty());
}

// --- The fast fraction search against the literal one -------------------------------

struct Case {
  JobInputs inputs;
  FoundResult result;
};

// Index trains built from fractions p/q of the formula: the driving gears multiply to
// K T p / g and the driven gears to (N p + s q) / g, for a common factor g.
bool splitIntoGears(long long product, int& a, int& b) {
  for (int x = 16; x <= 169; ++x) {
    if (product % x == 0) {
      const long long y = product / x;
      if (y >= 16 && y <= 169) {
        a = x;
        b = static_cast<int>(y);
        return true;
      }
    }
  }
  return false;
}

std::vector<Case> searchCases() {
  std::vector<Case> cases;
  std::mt19937 random(12345);
  const struct {
    const char* k;
    long long kTimes2;  // 2 K, for half constants
    int teeth;
    int threads;
  } jobs[] = {{"30", 60, 40, 1}, {"40", 80, 30, 1}, {"24.5", 49, 36, 2}, {"60", 120, 97, 3}, {"120", 240, 23, 1}};
  for (const auto& j : jobs) {
    for (int setup : {0, 1}) {
      JobInputs in = job40(setup);
      in.indexConstant = j.k;
      in.teeth = std::to_string(j.teeth);
      in.hobThreads = std::to_string(j.threads);
      const int s = setupSign(setup);
      int built = 0;
      for (int attempt = 0; attempt < 4000 && built < 6; ++attempt) {
        const long long q = 1 + static_cast<long long>(random() % 40);
        const long long p = 1 + static_cast<long long>(random() % 400);
        if ((j.kTimes2 * j.threads * p) % 2 != 0) continue;
        const long long num = j.kTimes2 * j.threads * p / 2;
        const long long den = j.teeth * p + s * q;
        if (den <= 0) continue;
        const long long common = std::gcd(num, den);
        for (long long g = 1; g <= common; ++g) {
          if (common % g != 0) continue;
          int a, b, c, d;
          if (splitIntoGears(num / g, a, b) && splitIntoGears(den / g, c, d)) {
            cases.push_back({in, train(a, b, c, d)});
            ++built;
            break;
          }
        }
      }
      // A few trains of random gears, mostly without a fraction, and a whole-number
      // C constant whose gears do not all divide.
      for (int n = 0; n < 2; ++n) {
        const auto gear = [&] { return 16 + static_cast<int>(random() % 154); };
        cases.push_back({in, train(gear(), gear(), gear(), gear())});
      }
    }
  }
  return cases;
}

TEST(FractionSearchTest, FastSearchAgreesWithTheLiteralOne) {
  const std::vector<Case> cases = searchCases();
  ASSERT_GT(cases.size(), 60u);
  int withFraction = 0;
  int aboveOne = 0;
  for (const Case& c : cases) {
    const auto fast = EvaluateResult(c.inputs, c.result, false);
    const auto exact = EvaluateResult(c.inputs, c.result, true);
    ASSERT_TRUE(fast && exact);
    SCOPED_TRACE(c.inputs.indexConstant + " N=" + c.inputs.teeth + " gears " + std::to_string(c.result.i2) + "x" +
                 std::to_string(c.result.i3) + "/" + std::to_string(c.result.i0) + "x" +
                 std::to_string(c.result.i1));
    EXPECT_EQ(fast->hasFraction, exact->hasFraction);
    EXPECT_EQ(fast->p, exact->p);
    EXPECT_EQ(fast->q, exact->q);
    EXPECT_EQ(statusText(*fast), statusText(*exact));
    if (exact->hasFraction) ++withFraction;
    if (exact->hasFraction && exact->q > 1) ++aboveOne;
  }
  // The cases exercise both outcomes and denominators above 1.
  EXPECT_GT(withFraction, 30);
  EXPECT_GT(aboveOne, 5);
  EXPECT_LT(withFraction, static_cast<int>(cases.size()));
}

TEST(FractionSearchTest, ProcessWideSwitchSelectsTheLiteralSearch) {
  EXPECT_FALSE(exactFractionSearch());
  setExactFractionSearch(true);
  EXPECT_TRUE(exactFractionSearch());
  const auto ev = EvaluateResult(job40(1), train(50, 30, 67, 30));
  setExactFractionSearch(false);
  ASSERT_TRUE(ev && ev->hasFraction);
  EXPECT_EQ(ev->q, 10);
}

}  // namespace
}  // namespace hobwise

#include <gtest/gtest.h>

#include "model/job.h"

namespace hobwise {
namespace {

JobInputs sampleInputs() {
  JobInputs in = exampleJobInputs();
  in.setupIndex = 1;
  return in;
}

// A job whose index formula is K T c / (c N + s) with the given numbers.
JobParameters indexJob(int k, int t, int n, int s) {
  JobParameters job;
  job.indexConstant = k;
  job.hobThreads = t;
  job.teeth = n;
  job.sign = s;
  return job;
}

TEST(FeedTolerance, TiersFollowTheLengthOfTheFeedRateText) {
  EXPECT_EQ(feedToleranceFor(10), 0.0001);
  EXPECT_EQ(feedToleranceFor(9), 0.0001);
  EXPECT_EQ(feedToleranceFor(8), 0.00025);
  EXPECT_EQ(feedToleranceFor(7), 0.0005);
  EXPECT_EQ(feedToleranceFor(6), 0.001);
  EXPECT_EQ(feedToleranceFor(5), 0.0015);
  EXPECT_EQ(feedToleranceFor(4), 0.003);
  EXPECT_EQ(feedToleranceFor(3), 0.005);
  EXPECT_EQ(feedToleranceFor(2), 0.005);
  EXPECT_EQ(feedToleranceFor(1), 0.0);
  EXPECT_EQ(feedToleranceFor(0), 0.0);
}

TEST(ReadJob, LeadingZeroNarrowsTheTolerance) {
  JobInputs in = sampleInputs();
  auto short_ = readJob(in);
  ASSERT_TRUE(short_);
  EXPECT_TRUE(short_->hasTolerance);
  EXPECT_EQ(short_->feedRateTextLength, 4);
  EXPECT_EQ(short_->feedTolerance, DecFloat(0.003));
  in.feedRate = "0.025";
  auto long_ = readJob(in);
  ASSERT_TRUE(long_);
  EXPECT_EQ(long_->feedTolerance, DecFloat(0.0015));
  EXPECT_EQ(long_->requiredC, short_->requiredC);
  // The band: cLow below requiredC below cHigh, since a larger feed asks for a smaller c.
  EXPECT_LT(long_->cLow, long_->requiredC);
  EXPECT_GT(long_->cHigh, long_->requiredC);
  EXPECT_EQ(long_->cLow, long_->normalPitch / (long_->feedRate + DecFloat(0.0015)) / long_->sinHelix);
}

TEST(ReadJob, SingleCharacterFeedRateHasNoTolerance) {
  JobInputs in = sampleInputs();
  in.feedRate = "1";
  auto job = readJob(in);
  ASSERT_TRUE(job);
  EXPECT_FALSE(job->hasTolerance);
  EXPECT_EQ(job->cLow, job->requiredC);
  EXPECT_EQ(job->cHigh, job->requiredC);
}

TEST(ReadJob, FeedRateNotAboveTheToleranceMovesOnlyTheLowerBound) {
  JobInputs in = sampleInputs();
  in.feedRate = ".003";  // 4 characters: t = 0.003, not below f
  auto job = readJob(in);
  ASSERT_TRUE(job);
  EXPECT_EQ(job->cHigh, job->requiredC);
  EXPECT_LT(job->cLow, job->requiredC);
}

TEST(ReadJob, FeedFactorIsTheReciprocalFromOneUp) {
  JobInputs in = sampleInputs();
  in.feedConstant = "10";
  auto ten = readJob(in);
  in.feedConstant = "0.1";
  auto tenth = readJob(in);
  in.feedConstant = "1";
  auto one = readJob(in);
  ASSERT_TRUE(ten && tenth && one);
  EXPECT_EQ(ten->feedFactor, DecFloat(1) / DecFloat(10));
  EXPECT_EQ(tenth->feedFactor, DecFloat("0.1"));
  EXPECT_LT(boost::multiprecision::abs(ten->feedFactor - tenth->feedFactor), DecFloat(1e-95));
  EXPECT_EQ(one->feedFactor, DecFloat(1));
}

TEST(ReadJob, SignFollowsTheSetup) {
  for (int setup : {0, 3, 4, 7}) EXPECT_EQ(setupSign(setup), -1) << setup;
  for (int setup : {1, 2, 5, 6, -1, 8}) EXPECT_EQ(setupSign(setup), 1) << setup;
  JobInputs in = sampleInputs();
  in.setupIndex = -1;  // nothing selected
  auto job = readJob(in);
  ASSERT_TRUE(job);
  EXPECT_EQ(job->sign, 1);
}

TEST(ReadJob, TextThatIsNoNumberGivesNoJob) {
  JobInputs in = sampleInputs();
  in.feedConstant = "";
  EXPECT_FALSE(readJob(in));
  in = sampleInputs();
  in.feedRate = "";
  EXPECT_FALSE(readJob(in));
  EXPECT_TRUE(readJobWithoutFeedRate(in));
  in = sampleInputs();
  in.helixAngle = "1.2.3";
  EXPECT_FALSE(readJob(in));
}

TEST(ReadJob, DerivedQuantities) {
  auto job = readJob(sampleInputs());
  ASSERT_TRUE(job);
  EXPECT_NEAR(job->sinHelix.convert_to<double>(), 0.398749068925246, 1e-14);
  EXPECT_NEAR(job->normalPitch.convert_to<double>(), 3.14159265358979 / 8, 1e-14);
  EXPECT_EQ(job->feedFactor, DecFloat("0.0625"));
  EXPECT_EQ(job->requiredC, job->normalPitch / (job->feedRate * job->sinHelix));
  EXPECT_EQ(job->hobThreads, 1);
  EXPECT_EQ(job->teeth, 30);
}

TEST(Formulas, IndexFeedAndActualFeed) {
  JobParameters job = indexJob(30, 1, 40, 1);
  // K T c / (c N + s) for c = 5: 150 / 201.
  EXPECT_LT(boost::multiprecision::abs(indexRatioFor(job, DecFloat(5)) - DecFloat(150) / DecFloat(201)), DecFloat(1e-98));
  job.sign = -1;
  EXPECT_LT(boost::multiprecision::abs(indexRatioFor(job, DecFloat(5)) - DecFloat(150) / DecFloat(199)), DecFloat(1e-98));

  job.normalPitch = DecFloat(3);
  job.sinHelix = DecFloat("0.5");
  job.feedFactor = DecFloat("0.25");
  // 3 / (4 * 0.25) / 0.5 = 6
  EXPECT_EQ(feedRatioFor(job, DecFloat(4)), DecFloat(6));
  EXPECT_EQ(actualFeed(job, DecFloat(6)), DecFloat("1.5"));
}

TEST(SolveCConstant, FindsAWholeConstantRisingFormula) {
  const JobParameters job = indexJob(30, 1, 40, 1);
  const DecFloat ratio = DecFloat(150) / DecFloat(201);
  const DecFloat c = solveCConstant(job, ratio);
  EXPECT_LT(boost::multiprecision::abs(c - 5), DecFloat(1e-100));
}

TEST(SolveCConstant, ConvergesWhenTheFormulaFalls) {
  const JobParameters job = indexJob(30, 1, 40, -1);
  for (int whole : {5, 2, 37, 1234}) {
    const DecFloat ratio = DecFloat(30 * whole) / DecFloat(40 * whole - 1);
    const DecFloat c = solveCConstant(job, ratio);
    EXPECT_LT(boost::multiprecision::abs(c - whole), DecFloat(1e-95)) << whole;
    EXPECT_LT(boost::multiprecision::abs(indexRatioFor(job, c) - ratio), DecFloat(1e-95)) << whole;
  }
  // A fraction: c = 22.4 exactly.
  const DecFloat c224("22.4");
  const DecFloat ratio = indexRatioFor(job, c224);
  EXPECT_LT(boost::multiprecision::abs(solveCConstant(job, ratio) - c224), DecFloat(1e-95));
}

TEST(SolveCConstant, UnreachableRatioEndsAboveTheCap) {
  const JobParameters job = indexJob(30, 1, 40, 1);
  // The rising formula stays below K T / N = 0.75; a ratio above it asks for ever larger c.
  const DecFloat c = solveCConstant(job, DecFloat("0.8"));
  EXPECT_GT(c, DecFloat(99999));
  EXPECT_LT(c, DecFloat(100000));
}

TEST(SolveCConstant, NaNRatioGivesTheStartValue) {
  const JobParameters job = indexJob(30, 1, 40, 1);
  const DecFloat nan = std::numeric_limits<DecFloat>::quiet_NaN();
  EXPECT_EQ(solveCConstant(job, nan), DecFloat(50000) + DecFloat(1e-110));
}

}  // namespace
}  // namespace hobwise

#include "model/job.h"

#include <boost/math/constants/constants.hpp>

#include "model/text_value.h"

namespace hobwise {

namespace {

const DecFloat& pi() {
  static const DecFloat value = boost::math::constants::pi<DecFloat>();
  return value;
}

// Reads every field but the feed rate, in the order the run reads them, and forms
// sinHelix, normalPitch and the feed factor.
std::optional<JobParameters> readCommon(const JobInputs& in) {
  JobParameters job;
  auto k = parseDecFloat(cutText(in.indexConstant, kIndexConstantLimit));
  if (!k) return std::nullopt;
  job.indexConstant = *k;
  const std::string feedConstantText = cutText(in.feedConstant, kFeedConstantLimit);
  auto cf = parseDecFloat(feedConstantText);
  if (!cf) return std::nullopt;
  job.feedConstant = *cf;
  job.feedConstantAsDouble = textToDouble(feedConstantText);
  auto beta = parseDecFloat(cutText(in.helixAngle, kHelixAngleLimit));
  if (!beta) return std::nullopt;
  job.helixAngle = *beta;
  auto pn = parseDecFloat(cutText(in.normalPitch, kNormalPitchLimit));
  if (!pn) return std::nullopt;
  job.normalDiametralPitch = *pn;
  job.hobThreads = textToInt(cutText(in.hobThreads, kHobThreadsLimit));
  job.teeth = textToInt(in.teeth);
  job.setupIndex = in.setupIndex;
  job.sign = setupSign(in.setupIndex);

  job.sinHelix = boost::multiprecision::sin(pi() / 180 * job.helixAngle);
  job.normalPitch = pi() / job.normalDiametralPitch;
  job.feedFactor = job.feedConstantAsDouble >= 1.0 ? DecFloat(1) / job.feedConstant : job.feedConstant;
  return job;
}

}  // namespace

JobInputs exampleJobInputs() {
  JobInputs in;
  in.indexConstant = "30";
  in.feedConstant = "0.0625";
  in.feedRate = ".025";
  in.helixAngle = "23.5";
  in.normalPitch = "8";
  in.teeth = "30";
  in.hobThreads = "1";
  in.setupIndex = 0;
  return in;
}

int setupSign(int setupIndex) {
  switch (setupIndex) {
    case 0: case 3: case 4: case 7: return -1;
    default: return 1;
  }
}

double feedToleranceFor(int length) {
  if (length >= 9) return 0.0001;  // 9 or 10 characters
  switch (length) {
    case 8: return 0.00025;
    case 7: return 0.0005;
    case 6: return 0.001;
    case 5: return 0.0015;
    case 4: return 0.003;
    case 3: case 2: return 0.005;
    default: return 0.0;
  }
}

std::optional<JobParameters> readJobWithoutFeedRate(const JobInputs& in) { return readCommon(in); }

std::optional<JobParameters> readJob(const JobInputs& in) {
  auto job = readCommon(in);
  if (!job) return std::nullopt;
  const std::string feedRateText = cutText(in.feedRate, kFeedRateLimit);
  auto f = parseDecFloat(feedRateText);
  if (!f) return std::nullopt;
  job->feedRate = *f;
  job->feedRateTextLength = static_cast<int>(feedRateText.size());

  const double t = feedToleranceFor(job->feedRateTextLength);
  job->hasTolerance = t != 0.0;
  job->feedTolerance = DecFloat(t);
  job->requiredC = job->normalPitch / (job->feedRate * job->sinHelix);
  if (job->hasTolerance) {
    job->cLow = job->normalPitch / (job->feedRate + job->feedTolerance) / job->sinHelix;
    job->cHigh = job->feedRate > job->feedTolerance
                     ? job->normalPitch / (job->feedRate - job->feedTolerance) / job->sinHelix
                     : job->requiredC;
  } else {
    job->cLow = job->requiredC;
    job->cHigh = job->requiredC;
  }
  return job;
}

DecFloat indexRatioFor(const JobParameters& job, const DecFloat& c) {
  return job.indexConstant * job.hobThreads * c / (c * job.teeth + job.sign);
}

DecFloat feedRatioFor(const JobParameters& job, const DecFloat& c) {
  return job.normalPitch / (c * job.feedFactor) / job.sinHelix;
}

DecFloat actualFeed(const JobParameters& job, const DecFloat& feedRatio) {
  return feedRatio * job.feedFactor;
}

}  // namespace hobwise

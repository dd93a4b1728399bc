#include "results/results.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <sstream>

#include <boost/math/constants/constants.hpp>

#include "model/text_value.h"
#include "solver/c_constant.h"
#include "solver/run_rules.h"

namespace hobwise {

namespace {

const DecFloat& pi() {
  static const DecFloat value = boost::math::constants::pi<DecFloat>();
  return value;
}

const DecFloat& wholeTolerance() {
  static const DecFloat value = fromDouble(1e-99);
  return value;
}

using Int128 = __int128;

Int128 positiveMod(Int128 a, Int128 m) {
  const Int128 r = a % m;
  return r < 0 ? r + m : r;
}

// What the cheap pre-test of the fraction search needs to know about the job: the
// product K x T as a fraction of whole numbers kt / 10^ktScale, when it is one.
struct IndexConstantAsFraction {
  bool known = false;
  Int128 numerator = 0;    // K x T x 10^scale
  Int128 denominator = 1;  // 10^scale
};

IndexConstantAsFraction indexConstantAsFraction(const DecFloat& kt) {
  IndexConstantAsFraction out;
  if (!boost::multiprecision::isfinite(kt)) return out;
  if (boost::multiprecision::abs(kt) > DecFloat(1e12)) return out;
  DecFloat scaled = kt;
  Int128 scale = 1;
  for (int digits = 0; digits <= 9; ++digits) {
    if (boost::multiprecision::abs(scaled) > DecFloat(1e18)) return out;
    if (scaled == boost::multiprecision::floor(scaled)) {
      out.known = true;
      out.numerator = static_cast<Int128>(scaled.convert_to<long long>());
      out.denominator = scale;
      return out;
    }
    scaled *= 10;
    scale *= 10;
  }
  return out;
}

// The seven wholeness tests of one denominator q, in their order; the first that
// fails rejects q.
bool passesExactTests(const DecFloat& c, int q, const DecFloat& kt, int teeth, int sign, int i0, int i1,
                      int i2, int i3, DecFloat& v) {
  v = c * q;
  if (!IsWhole(v)) return false;
  const DecFloat numerator = kt * v;
  if (!IsWhole(numerator / i3)) return false;
  if (!IsWhole(numerator / i2)) return false;
  const DecFloat denominator = v * teeth + sign * q;
  if (!IsWhole(denominator / i1)) return false;
  if (!IsWhole(denominator / i0)) return false;
  if (!IsWhole(numerator / i3 / i2)) return false;
  if (!IsWhole(denominator / i1 / i0)) return false;
  return true;
}

}  // namespace

bool IsWhole(const DecFloat& x) {
  if (isNaN(x)) return false;
  const DecFloat whole = boost::multiprecision::floor(x);
  return whole - wholeTolerance() < x && x < whole + wholeTolerance();
}

std::optional<Fraction> fractionSearchPlain(const JobParameters& job, const DecFloat& c, const FoundResult& result) {
  const DecFloat kt = job.indexConstant * job.hobThreads;
  DecFloat v;
  for (int q = 1; q <= 9999; ++q)
    if (passesExactTests(c, q, kt, job.teeth, job.sign, result.i0, result.i1, result.i2, result.i3, v))
      return Fraction{boost::multiprecision::floor(v), q};
  return std::nullopt;
}

// For most q, c x q is far from a whole number, and when it is close to one, P, the
// gears divide K x T x P and N x P + s x q or miss by at least one part in 10^scale x
// 169 x 169. Both facts can be told in double and 128-bit whole numbers. A q that fails
// them fails one of the seven exact tests too (the errors of c, of the double and of
// the decimal arithmetic are smaller than the misses by many orders of magnitude);
// every q that passes them goes through the exact tests.
Decided<std::optional<Fraction>> fractionSearchFast(const JobParameters& job, const DecFloat& c,
                                                     const FoundResult& result) {
  if (!boost::multiprecision::isfinite(c) || !(boost::multiprecision::abs(c) < DecFloat(1e6))) return kCannotDecide;
  const int i0 = result.i0, i1 = result.i1, i2 = result.i2, i3 = result.i3;
  const int teeth = job.teeth;
  const int sign = job.sign;
  const DecFloat kt = job.indexConstant * job.hobThreads;
  const double cd = c.convert_to<double>();
  const IndexConstantAsFraction k = indexConstantAsFraction(kt);
  // True when q certainly fails one of the seven tests.
  const auto certainlyFails = [&](int q) {
    const double vd = cd * q;
    const double nearest = std::nearbyint(vd);
    const double margin = 1e-9 * std::max(1.0, std::fabs(vd));
    if (std::fabs(vd - nearest) > margin) return true;  // c x q is not whole
    const Int128 p = static_cast<Int128>(static_cast<long long>(nearest));
    if (k.known) {
      const Int128 top = k.numerator * p;  // K x T x p x 10^scale
      if (i3 == 0 || i2 == 0) return true;  // divided by zero: never whole
      if (positiveMod(top, k.denominator * i3) != 0) return true;
      if (positiveMod(top, k.denominator * i2) != 0) return true;
      if (positiveMod(top, k.denominator * i3 * i2) != 0) return true;
    }
    if (i1 == 0 || i0 == 0) return true;
    const Int128 bottom = static_cast<Int128>(teeth) * p + static_cast<Int128>(sign) * q;
    if (positiveMod(bottom, i1) != 0) return true;
    if (positiveMod(bottom, i0) != 0) return true;
    return positiveMod(bottom, static_cast<Int128>(i1) * i0) != 0;
  };
  DecFloat v;
  for (int q = 1; q <= 9999; ++q) {
    if (certainlyFails(q)) continue;
    if (passesExactTests(c, q, kt, teeth, sign, i0, i1, i2, i3, v)) return Fraction{boost::multiprecision::floor(v), q};
  }
  return std::optional<Fraction>();
}

std::optional<Fraction> fractionSearch(const JobParameters& job, const DecFloat& c, const FoundResult& result,
                                       bool exact) {
  if (!exact)
    if (const Decided<std::optional<Fraction>> found = fractionSearchFast(job, c, result)) return *found;
  return fractionSearchPlain(job, c, result);
}

namespace {

// The C constant of a result's index train and its first fraction.
struct IndexTrainFigures {
  DecFloat c;
  std::optional<Fraction> fraction;
};

IndexTrainFigures indexTrainFigures(const JobParameters& job, const FoundResult& result, bool exact) {
  const std::uint64_t indexDriving = std::uint64_t{result.i2} * result.i3;
  const std::uint64_t indexDriven = std::uint64_t{result.i0} * result.i1;
  IndexTrainFigures out;
  out.c = solveCConstant(job, trainRatio(indexDriving, indexDriven), exact);
  out.fraction = fractionSearch(job, out.c, result, exact);
  return out;
}

ResultEvaluation evaluateWith(const JobParameters& job, const DecFloat& cosHelix, const FoundResult& result,
                              const IndexTrainFigures& index) {
  ResultEvaluation ev;
  ev.c = index.c;
  if (index.fraction) {
    ev.hasFraction = true;
    ev.p = index.fraction->p;
    ev.q = index.fraction->q;
  }
  const std::uint64_t feedDriving = std::uint64_t{result.f2} * result.f3;
  const std::uint64_t feedDriven = std::uint64_t{result.f0} * result.f1;
  ev.feedRatio = trainRatio(feedDriving, feedDriven);
  ev.feedError = ev.feedRatio - feedRatioFor(job, ev.c);
  ev.actualFeed = actualFeed(job, ev.feedRatio);
  ev.feedAlongHelix = (ev.feedRatio * job.feedFactor) / cosHelix;
  ev.theoreticalLead = ev.c * (job.normalPitch / (ev.c * job.sinHelix)) * job.teeth;
  ev.leadFromGearing = ev.c * ev.feedRatio * job.feedFactor * job.teeth;
  ev.leadError = ev.leadFromGearing - ev.theoreticalLead;
  return ev;
}

DecFloat cosHelixOf(const JobParameters& job) { return boost::multiprecision::cos(pi() / 180 * job.helixAngle); }

}  // namespace

std::optional<ResultEvaluation> EvaluateResult(const JobInputs& inputs, const FoundResult& result, bool exact) {
  const std::optional<JobParameters> job = readJobWithoutFeedRate(inputs);
  if (!job) return std::nullopt;
  return evaluateWith(*job, cosHelixOf(*job), result, indexTrainFigures(*job, result, exact));
}

std::vector<ResultTexts> resultTextsForJob(const JobInputs& inputs, const std::vector<FoundResult>& results,
                                          bool exact) {
  std::vector<ResultTexts> out;
  out.reserve(results.size());
  const std::optional<JobParameters> job = readJobWithoutFeedRate(inputs);
  if (!job) {
    for (const FoundResult& r : results) out.emplace_back().gears = gearTexts(r);
    return out;
  }
  const DecFloat cosHelix = cosHelixOf(*job);
  std::map<std::array<std::uint16_t, 4>, IndexTrainFigures> indexTrains;
  for (const FoundResult& r : results) {
    auto [at, added] = indexTrains.try_emplace({r.i0, r.i1, r.i2, r.i3});
    if (added) at->second = indexTrainFigures(*job, r, exact);
    out.push_back(resultTexts(r, evaluateWith(*job, cosHelix, r, at->second)));
  }
  return out;
}

std::array<std::string, 8> gearTexts(const FoundResult& r) {
  const auto text = [](int teeth) { return std::to_string(teeth); };
  return {
      text(std::min(r.i2, r.i3)), text(std::max(r.i2, r.i3)),  // index, upper row
      text(std::max(r.i0, r.i1)), text(std::min(r.i0, r.i1)),  // index, lower row
      text(std::min(r.f2, r.f3)), text(std::max(r.f2, r.f3)),  // feed, upper row
      text(std::max(r.f0, r.f1)), text(std::min(r.f0, r.f1)),  // feed, lower row
  };
}

std::string statusText(const ResultEvaluation& ev) {
  if (!ev.hasFraction) return std::string();
  return "C: " + formatFixed(ev.p, 0) + "/" + std::to_string(ev.q);
}

ResultTexts resultTexts(const FoundResult& result, const ResultEvaluation& ev) {
  ResultTexts t;
  t.gears = gearTexts(result);
  t.status = statusText(ev);
  t.indexError = "Index Error: None";
  t.feedError = "Feed Error: " + formatFixed(ev.feedError, 15);
  t.feedLine = "Actual Feed Rate: " + formatFixed(ev.actualFeed, 6) + "   " + "\r\n" +
               "Feed Rate along Helix Angle: " + formatFixed(ev.feedAlongHelix, 6);
  t.leadLine = "Theoretical Lead: " + formatFixed(ev.theoreticalLead, 9) + " " + "Lead from Gearing: " +
               formatFixed(ev.leadFromGearing, 9) + " (Error: " + formatFixed(ev.leadError, 9) + ")";
  return t;
}

ResultTexts resultTextsForJob(const JobInputs& inputs, const FoundResult& result, bool exact) {
  if (const std::optional<ResultEvaluation> ev = EvaluateResult(inputs, result, exact)) return resultTexts(result, *ev);
  ResultTexts t;
  t.gears = gearTexts(result);
  return t;
}

GeometryReadouts geometryReadouts(const std::string& teethText, const std::string& normalPitchText,
                                  const std::string& helixAngleText) {
  const int teeth = textToInt(teethText);
  const double pitch = textToDouble(cutText(normalPitchText, kNormalPitchLimit));
  const double helix = textToDouble(cutText(helixAngleText, kHelixAngleLimit));
  GeometryReadouts out;
  if (!(teeth >= 1 && pitch >= 0.35 && helix >= 0.0 && helix <= 89.9)) return out;
  const DecFloat pn(pitch);
  const DecFloat beta(helix);
  const DecFloat diameter = teeth / pn / boost::multiprecision::cos(pi() * beta / 180);
  const DecFloat outside = diameter + DecFloat(2 / pitch);
  out.pitchDiameter = "Transverse Pitch Dia.: " + formatFixed(diameter, 4);
  out.outsideDiameter = "Outside Dia.: " + formatFixed(outside, 4);
  return out;
}

}  // namespace hobwise

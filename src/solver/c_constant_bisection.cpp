// The C constant of an index ratio: the plain bisection, its fast form in DecFloat, and
// the steps that choose between the forms.
#include "solver/internal/c_constant_bisection.h"

#include "solver/c_constant.h"
#include "solver/internal/c_constant_memo.h"
#include "solver/run_rules.h"

namespace hobwise::solver {

namespace {

// The bisection of [0, 100000]: `way(x)` gives +1 (lo = x, and x to the middle of x and
// hi), -1 (hi = x, and x to the middle of x and lo) or 0 (stop). The midpoint is the
// sum divided by the whole number 2.
template <class WayFn>
DecFloat bisect(WayFn&& way) {
  static const DecFloat kStep = DecFloat(kBisectionStep);
  DecFloat lo = 0, hi = kBisectionTop, x = kBisectionStart;
  while (true) {
    const int w = way(x);
    if (w == 0) break;
    if (w > 0) {
      lo = x;
      x += hi;
    } else {
      hi = x;
      x += lo;
    }
    x /= 2;
    if (x > kBisectionCap || x < 0) break;
    if (!(hi > lo + kStep)) break;
    // Halving can no longer move x: the interval is as narrow as the digits allow.
    if (w > 0 ? x == lo : x == hi) break;
  }
  return x + kStep;
}

// The way the index formula gives at x: up while it lies below the ratio (rising
// formula) or above it (falling formula); 0 where they are equal or either is NaN.
int wayByFormula(const JobParameters& job, const DecFloat& ratio, const DecFloat& x) {
  const DecFloat e = indexRatioFor(job, x);
  if (isNaN(e)) return 0;
  const bool rises = job.sign > 0;
  if (rises ? ratio > e : ratio < e) return 1;
  if (rises ? ratio < e : ratio > e) return -1;
  return 0;
}

}  // namespace

DecFloat solveCConstantPlain(const JobParameters& job, const DecFloat& ratio) {
  return bisect([&](const DecFloat& x) { return wayByFormula(job, ratio, x); });
}

// The bisection halves [lo, hi] about 380 times, and every halving evaluates the
// index formula with a DecFloat division. Solved for c, the formula gives the root
// c* = s ratio / (K T - ratio N) directly; every halving whose x lies clearly on one
// side of c* (and, when the formula falls, of its pole at 1/N) goes the way that side
// asks for. Only the halvings close to c* evaluate the formula, as the plain form does.
//
// "Clearly": the evaluated formula differs from the ratio by |x - c*| / c* / (x N + s)
// relative. DecFloat's division (Newton steps) is good to about 1e-113 relative, and
// an error e of the formula or of c* moves the decision by about e (c* N + s); the
// room 1e-110 (c* N + 2) leaves a factor of a thousand (the tests compare every
// train with the plain bisection). It cannot decide for a ratio that is not a positive
// number, a job without a whole sign or a positive K T, a root at or beyond the cap,
// or one next to the pole.
Decided<DecFloat> solveCConstantFast(const JobParameters& job, const DecFloat& ratio) {
  const int n = job.teeth;
  const int s = job.sign;
  if (isNaN(ratio) || !boost::multiprecision::isfinite(ratio) || !(ratio > 0) || n < 1 || (s != 1 && s != -1))
    return kCannotDecide;
  const DecFloat kt = job.indexConstant * job.hobThreads;
  if (!boost::multiprecision::isfinite(kt) || !(kt > 0)) return kCannotDecide;
  const DecFloat denominator = kt - ratio * n;
  if (s > 0 ? !(denominator > 0) : !(denominator < 0)) return kCannotDecide;  // no root below the cap
  const DecFloat root = s > 0 ? ratio / denominator : ratio / -denominator;
  const double rootApprox = root.convert_to<double>();
  if (!(rootApprox > 0) || !(rootApprox < 99990.0)) return kCannotDecide;
  // Near the pole of the falling formula (c N = 1) the formula evaluates x; beside it,
  // even a root just above the pole needs no more than that.
  if (s < 0 && !(rootApprox * n > 1.0 + 1e-9)) return kCannotDecide;
  const DecFloat room =
      root * DecFloat(1e-110 * (rootApprox * n + 2) * (s < 0 ? 1.0 + 1.0 / (rootApprox * n - 1.0) : 1.0));
  const DecFloat rootLow = root - room;
  const DecFloat rootHigh = root + room;
  DecFloat poleLow, poleHigh;  // the formula falls: x N - 1 < -1/2 below, > 2^-20 above
  if (s < 0) {
    poleLow = DecFloat(1) / (2 * n);
    poleHigh = (DecFloat(1) + DecFloat(1) / (1 << 20)) / n;
  }
  return bisect([&](const DecFloat& x) {
    if (const Decided<int> way = wayOutsideRoom(x, s, rootLow, rootHigh, poleLow, poleHigh)) return *way;
    return wayByFormula(job, ratio, x);
  });
}

CConstantStep::CConstantStep(const JobParameters& job, bool exact, CConstantMemo* memo)
    : job_(job), exact_(exact), memo_(exact ? nullptr : memo), wide_(job) {}

DecFloat CConstantStep::solveCConstant(std::uint64_t a, std::uint64_t b) const {
  if (exact_) return solveCConstantPlain(job_, trainRatio(a, b));
  if (memo_) return memo_->get(a, b, [&] { return fastOrPlain(a, b); });
  return fastOrPlain(a, b);
}

DecFloat CConstantStep::fastOrPlain(std::uint64_t a, std::uint64_t b) const {
  if (const Decided<DecFloat> c = wide_.solve(a, b)) return *c;
  const DecFloat ratio = trainRatio(a, b);
  if (const Decided<DecFloat> c = solveCConstantFast(job_, ratio)) return *c;
  return solveCConstantPlain(job_, ratio);
}

}  // namespace hobwise::solver

namespace hobwise {

DecFloat solveCConstant(const JobParameters& job, const DecFloat& ratio, bool exact) {
  if (!exact)
    if (const Decided<DecFloat> c = solver::solveCConstantFast(job, ratio)) return *c;
  return solver::solveCConstantPlain(job, ratio);
}

}  // namespace hobwise

// The C constant of an index train by the bisection of solveCConstant, with its
// midpoints followed in whole-number arithmetic instead of DecFloat.
//
// DecFloat keeps a number as 16 limbs of 8 decimal digits below an exponent that is
// a multiple of 8, the first limb not 0. On that form the bisection's two operations
// are exact rules: a sum aligns the smaller operand to the larger one's limbs (its
// lowest limbs fall off) and a carry into a new first limb drops the last one;
// halving truncates below the last limb, unless the first limb becomes 0, when the
// digits move up by one limb, the remainder's half fills the last limb, and limb 14
// keeps its old value (so that the new limb 14 repeats it instead of taking the old
// limb 15; see Midpoints::halve). Every value of the bisection lies
// between 1e-8 and 1e8, so it is a whole number of units 1e-120 (for a root of at
// least 1) or 1e-128 (below 1), and both rules become a few operations on that whole
// number. Where a value would need digits finer than the unit the solver gives up
// and leaves the train to the DecFloat bisection.
//
// The way of each halving comes from the root c* = a s / (K T b - a N), exact as a
// fraction since K is a short decimal; only the halvings whose x lies within a
// small room of c* (or, for the falling formula, near its pole) evaluate the index
// formula in DecFloat, as the plain bisection does. From the first of them on, x, lo
// and hi are also kept in DecFloat by the plain bisection's own additions and
// halvings, so that each of those evaluations takes x as it is instead of
// converting it.
//
// Before that, the way of every halving is the side of c* that x lies on: the first
// 107 to 132 halvings are exact and their outcome follows from the binary digits of
// c* / 1e5 at once, and the halvings after them, up to the first x near c*, follow lo, hi and
// x as offsets from a common base in as few words as their width needs. Where their
// sums reach 1 (a root in [1/2, 1)) DecFloat loses digits at every halving, and the
// halvings up to the room follow its limbs instead (c_constant_steps.cpp).
#include <climits>
#include <cmath>

#include "solver/solver_internal.h"
#include "solver/wide.h"

namespace hobwise::solver {

namespace {

const Wide& power10(int e) {
  static const std::array<Wide, 135> table = [] {
    std::array<Wide, 135> t;
    for (int k = 0; k < 135; ++k) t[static_cast<std::size_t>(k)] = Wide::pow10(k);
    return t;
  }();
  return table[static_cast<std::size_t>(e)];
}

std::uint64_t floorScaled(const DecFloat& v, int e) {
  return boost::multiprecision::floor(v * DecFloat("1e" + std::to_string(e))).convert_to<unsigned long long>();
}

// The state of the bisection: its bounds, its midpoint and the halvings so far.
struct Bisection {
  Wide lo, hi, x;
  int halvings = 0;
};

// The halvings between the exact ones and the first x within the room of c*, where
// every value lies in one order of DecFloat's limbs, so that x = floor((lo + hi) / 2)
// = lo + floor(w / 2) for the width w = hi - lo, and lo < rootLow <= rootHigh < hi
// holds, so that the way is the side of the room x lies on. They need no more than w,
// r = rootLow - lo and the room's width (rootHigh - rootLow), each below w, in as
// few words as w needs: an upward halving moves lo by floor(w / 2), so lo = rootLow - r.
// Ends with x in the room, not yet decided (true), or with the bisection over (false)
// at the same halving as the whole-number loop would end it.
struct Middle {
  Bisection& state;
  const Wide& rootLow;
  std::uint64_t minWidth;  // w must exceed this after 365 halvings

  template <int N>
  bool run(Words<N> w, Words<N> r, Words<N> room) {
    while (true) {
      const Words<N> half = shiftedDown<N>(w);
      bool up = false;
      if (less<N>(half, r)) {
        up = true;
        r = minus<N>(r, half);
        w = minus<N>(w, half);
      } else if (less<N>(room, minus<N>(half, r))) {
        w = half;
      } else {
        return finish<N>(w, r, true);
      }
      ++state.halvings;
      if constexpr (N > 1) {  // w >= 2^63 here: wider than the step, and x moves
        if (w[N - 1] == 0) return run<N - 1>(low<N - 1>(w), low<N - 1>(r), low<N - 1>(room));
      } else {
        if (state.halvings >= 365 && !(w[0] > minWidth)) return finish<N>(w, r, false);
        if (up ? w[0] <= 1 : w[0] == 0) return finish<N>(w, r, false);  // x stays on lo or hi
      }
    }
  }

  template <int N>
  bool finish(const Words<N>& w, const Words<N>& r, bool nearRoot) {
    state.lo = rootLow - widened<N>(r);
    state.hi = state.lo + widened<N>(w);
    state.x = state.lo + widened<N>(shiftedDown<N>(w));
    return nearRoot;
  }
};

// The first halvings go from the dyadic interval [m, m + 1] 1e5 / 2^j that holds c*
// to one of its halves, as long as the room around c* (and, for the falling formula,
// the pole zone) stays clear of every x: that holds up to level J when the room lies
// inside the level-J interval, and then that interval follows from m = floor(c* 2^J /
// 1e5). The values of the first 107 halvings are multiples of 1e(g + 5) / 2^(j + 1)
// units, for j < 108 multiples of 2^17 5^(g + 5): DecFloat adds and halves them
// without loss, also where a first limb becomes 0 (the two last limbs are 0). Where
// the level-107 interval lies in one order of limbs, every later halving is the whole
// mean, cut, and exact up to level g + 4 (a sum of two level-j values is even for j <
// g + 5); then Middle goes on from there. For the falling formula the first x below c*
// (the first of m's binary digits that is 1) must lie above the pole zone; every x
// lies above c* / 2 >= 5e-8. False: nothing skipped, or the state left at a halving
// near c*; true: the bisection ended with state.x.
bool skipToRoom(Bisection& state, const Midpoints& mid, std::uint64_t p, std::uint64_t q, const Wide& rootLow,
                const Wide& rootHigh, const Wide* poleHigh, std::uint64_t minWidth) {
  constexpr int kExact = 107;
  const int levels = mid.g() + 4;
  const Wide& whole = state.hi;  // 1e5 in units
  const Wide m = Wide(p).shiftedUp(levels).dividedBy(q).dividedBy(100000u);
  const int firstUpLevel = levels - m.bitLength() + 1;
  if (m.isZero() || firstUpLevel > kExact) return false;
  const auto bound = [&](int level) {  // lo at the level
    const Wide step = whole.shiftedDown(level), k = m.shiftedDown(levels - level);
    return step.times(k.w[0]) + step.times(k.w[1]).shiftedUp(64) + step.times(k.w[2]).shiftedUp(128);
  };
  const Wide step = whole.shiftedDown(levels);
  const Wide lo = bound(levels);
  if (!(lo < rootLow && rootHigh < lo + step)) return false;
  const Wide firstUp = whole.shiftedDown(firstUpLevel);
  if (mid.order(firstUp) < -1 || (poleHigh && !(*poleHigh < firstUp))) return false;
  const Wide exactStep = whole.shiftedDown(kExact), exactLo = bound(kExact), exactHi = exactLo + exactStep;
  state = {exactLo, exactHi, exactLo + exactStep.half(), kExact};
  // One order of limbs: [1, 1e8) for g = 120; [1e-8, 1/2) for g = 128, so that no
  // sum reaches 1.
  const bool oneOrder =
      mid.g() == 120 ? mid.order(exactLo) == 0 : mid.order(exactLo) == -1 && mid.order(exactHi + exactHi) == -1;
  if (!oneOrder) return false;
  state = {lo, lo + step, lo + step.half(), levels};
  Middle middle{state, rootLow, minWidth};
  return !middle.run<5>(low<5>(step), low<5>(rootLow - lo), low<5>(rootHigh - rootLow));
}

}  // namespace

Midpoints::Midpoints(int g) : g_(g), one_(power10(g)), limb_(power10(g - 8)) {}

int Midpoints::order(const Wide& v) const {
  if (!(v < one_)) return 0;
  if (!(v < limb_)) return -1;
  return -2;
}

Wide Midpoints::cut(const Wide& v, int e) const {
  if (g_ == 128 && e == 0) return v - Wide(v.remainderBy<100000000u>());
  return v;
}

bool Midpoints::add(const Wide& a, const Wide& b, Wide& sum) const {
  if (a.isZero()) return sum = b, true;
  if (b.isZero()) return sum = a, true;
  const int ea = order(a), eb = order(b);
  if (ea < -1 || eb < -1) return false;
  const int e = std::max(ea, eb);
  sum = cut(a, e) + cut(b, e);
  if (order(sum) > e) sum = cut(sum, order(sum));
  return true;
}

bool Midpoints::halve(const Wide& s, Wide& half) const {
  const int es = order(s);
  half = s.half();
  const int eh = order(half);
  if (eh < -1) return false;
  if (eh == es) {
    if (g_ == 128 && es == 0) half = cut(half, 0);              // truncated on limbs of 1e8 units
    else if (g_ == 120 && es == -1 && s.isOdd()) return false;  // limbs finer than a unit
    return true;
  }
  // The first limb became 0: DecFloat moves limbs 1 to 14 of the halved number up by
  // one and puts the remainder's half in the last limb, but leaves limb 14 as it was,
  // so that the new limb 14 repeats the old one instead of taking the old limb 15.
  if (es != 0) return false;
  const Wide limbs = g_ == 128 ? s.dividedBy<100000000u>() : s;  // in limbs of order 0
  const std::uint64_t odd = limbs.isOdd() ? 1 : 0;
  const Wide halved = limbs.half();  // old limbs, halved
  if (g_ == 120 && odd) return false;  // half a unit
  std::uint64_t q15 = 0, q14 = 0;
  halved.dividedBy<100000000u>(&q15).dividedBy<100000000u>(&q14);
  const std::uint64_t unit14 = g_ == 128 ? 100000000u : 1u;  // limb 14 of order -1
  half = (g_ == 128 ? halved.times(100000000u) + Wide(odd * 50000000u) : halved) + Wide(q14 * unit14);
  half = half - Wide(q15 * unit14);
  return true;
}

Wide Midpoints::fromDecFloat(const DecFloat& v) const {
  const DecFloat scaled = boost::multiprecision::floor(v * DecFloat("1e" + std::to_string(g_)));
  Wide r;
  for (char ch : scaled.str(0, std::ios_base::fixed)) {
    if (ch == '.') break;
    if (ch >= '0' && ch <= '9') r = r.times(10) + Wide(static_cast<std::uint64_t>(ch - '0'));
  }
  return r;
}

DecFloat Midpoints::toDecFloat(const Wide& v) const {
  if (v.isZero()) return DecFloat(0);
  return DecFloat(v.decimal() + "e-" + std::to_string(g_));
}

DecFloat Midpoints::toDecFloat(const Wide& v, const Wide& near, const DecFloat& nearValue) const {
  const int order = this->order(v);
  const bool above = near < v;
  const Wide gap = above ? v - near : near - v;
  if (order < -1 || order != this->order(near) || !gap.fitsWord()) return toDecFloat(v);
  // Both on the same limbs, the gap too: DecFloat adds and subtracts it exactly.
  static const DecFloat units[2] = {DecFloat("1e-120"), DecFloat("1e-128")};
  const DecFloat step = DecFloat(static_cast<unsigned long long>(gap.w[0])) * units[g_ == 120 ? 0 : 1];
  return above ? nearValue + step : nearValue - step;
}

CConstantSolver::CConstantSolver(const JobParameters& job) : job_(job), kStep_(DecFloat(1e-110)) {
  k120_ = floorScaled(kStep_, 120);
  k128_ = floorScaled(kStep_, 128);
  // Where the bisection ends when every halving goes up: its first midpoint above 99999.
  DecFloat hi = 100000, x = 50000;
  while (!(x > 99999)) x = (x + hi) / 2;
  capped_ = x + kStep_;
  if (job.teeth < 1 || (job.sign != 1 && job.sign != -1) || job.hobThreads < 1) return;
  const DecFloat kt = job.indexConstant * job.hobThreads;
  if (!boost::multiprecision::isfinite(kt) || !(kt > 0)) return;
  // K T as a whole number over a power of ten.
  DecFloat scaled = kt;
  for (int d = 0; d <= 8; ++d, scaled *= 10) {
    if (scaled > DecFloat(1e15)) return;
    if (scaled == boost::multiprecision::floor(scaled)) {
      ktNum_ = scaled.convert_to<unsigned long long>();
      ktDecimals_ = d;
      usable_ = true;
      return;
    }
  }
}

DecFloat CConstantSolver::solve(std::uint64_t a, std::uint64_t b) const {
  const auto fallback = [&] { return solveCConstantFast(job_, quotient(a, b)); };
  if (!usable_ || a == 0 || b == 0 || a > (1ull << 40) || b > (1ull << 40)) return fallback();
  const int n = job_.teeth;
  const int s = job_.sign;
  std::uint64_t scale = 1;
  for (int k = 0; k < ktDecimals_; ++k) scale *= 10;
  // c* = a s 10^d / (ktNum b - a N 10^d)
  const __int128 den = static_cast<__int128>(ktNum_) * b - static_cast<__int128>(a) * n * scale;
  // No root (K T <= ratio N for the rising formula, ratio N <= K T for the falling one):
  // every x lies on the ratio's side by at least 1 / (x N) relative, and every halving
  // goes up to the cap.
  if (s > 0 ? !(den > 0) : !(den < 0)) return capped_;
  const unsigned __int128 q = static_cast<unsigned __int128>(den > 0 ? den : -den);
  const unsigned __int128 p = static_cast<unsigned __int128>(a) * scale;
  if (q >> 63 || p >> 63) return fallback();
  const double root = static_cast<double>(p) / static_cast<double>(q);
  // A root clearly above the last midpoint below the cap (99999.237...): the same.
  if (root > 99999.5) return capped_;
  if (!(root >= 1e-7 && root <= 99990.0)) return fallback();
  if (s < 0 && !(root * n > 1.0 + 1e-9)) return fallback();

  // Units of 1e-128 also for a root at 1, where the bounds end on both sides of it.
  const Midpoints mid(root > 1.0 + 1e-9 ? 120 : 128);
  const int g = mid.g();
  // The room around c* in which the DecFloat formula decides. Its division (by
  // Newton steps) is good to about 1e-113 relative; an error e of the formula moves
  // the place where it meets the ratio by e (c* N + s) relative, and the room is a
  // thousand times that.
  double roomUnits = root * std::pow(10.0, g - 110) * (root * n + 2);
  if (s < 0) roomUnits *= 1.0 + 1.0 / (root * n - 1.0);
  if (!(roomUnits < 1e27)) return fallback();
  const Wide room = roomUnits < 1e18 ? Wide(static_cast<std::uint64_t>(roomUnits) + 2)
                                     : Wide(static_cast<std::uint64_t>(roomUnits / 1e9) + 2).times(1000000000u);
  const Wide center = (power10(g).times(static_cast<std::uint64_t>(p))).dividedBy(static_cast<std::uint64_t>(q));
  const Wide rootLow = room < center ? center - room : Wide(0);
  const Wide rootHigh = center + room + Wide(1);
  Wide poleLow, poleHigh;  // the falling formula: x N - 1 below -1/2, and clearly above 0
  if (s < 0) {
    const Wide pole = power10(g).dividedBy(static_cast<std::uint64_t>(n));
    poleLow = pole.half();
    poleHigh = pole + pole.dividedBy(1u << 20) + Wide(2);
  }
  const Wide top = power10(g).times(99999);
  const Wide& one = power10(g);

  Bisection state{Wide(0), power10(g).times(100000), power10(g).times(50000), 0};
  if (skipToRoom(state, mid, static_cast<std::uint64_t>(p), static_cast<std::uint64_t>(q), rootLow, rootHigh,
                 s < 0 ? &poleHigh : nullptr, g == 120 ? k120_ : k128_))
    return mid.toDecFloat(state.x) + kStep_;
  // Values below 1 on DecFloat's own limbs up to the room (see c_constant_steps.cpp),
  // while x stays on the side of the pole where the formula rises; where the halving
  // of a sum from 1 on moves x by up to 1e16 units, the room is wider than that. The
  // halvings from 365 on need a room wider than the step 1e-110 (then hi > lo + step).
  if (g == 128 && (state.x < rootLow || rootHigh < state.x) && mid.order(state.lo) == -1 &&
      state.hi < one && state.lo < rootLow && rootHigh < state.hi && (s > 0 || poleHigh < state.lo)) {
    const Wide width = rootHigh - rootLow;
    if (state.hi + state.hi < one || Wide(1ull << 56) < width)
      halveOutsideRoom(state.lo, state.hi, state.x, state.halvings, rootLow, rootHigh,
                       Wide(k128_) < width ? INT_MAX : 364);
  }
  Wide& lo = state.lo;
  Wide& hi = state.hi;
  Wide& x = state.x;
  int& halvings = state.halvings;
  std::optional<DecFloat> ratio;
  std::optional<DecFloat> dx, dlo, dhi;  // x, lo and hi in DecFloat from the first halving near c*
  while (true) {
    int way = 0;  // +1: lo = x and up; -1: hi = x and down; 0: stop
    if (s > 0 && x < rootLow) {
      way = 1;
    } else if (s > 0 && rootHigh < x) {
      way = -1;
    } else if (s < 0 && x < poleLow) {
      way = -1;
    } else if (s < 0 && poleHigh < x && x < rootLow) {
      way = 1;
    } else if (s < 0 && rootHigh < x) {
      way = -1;
    } else {
      if (!dx) dx = mid.toDecFloat(x);  // the first halving near c*: from here on x also in DecFloat
      const DecFloat e = indexRatioFor(job_, *dx);
      if (isNaN(e)) break;
      if (!ratio) ratio = quotient(a, b);
      if (s > 0)
        way = *ratio > e ? 1 : *ratio < e ? -1 : 0;
      else
        way = *ratio < e ? 1 : *ratio > e ? -1 : 0;
    }
    if (way == 0) break;
    if (dx) {  // the plain bisection's own steps, which the midpoints below follow; the
               // bound it adds is converted when first needed (the first step replaces the other)
      if (way > 0) {
        if (!dhi) dhi = mid.toDecFloat(hi, x, *dx);
        dlo = *dx;
        *dx += *dhi;
      } else {
        if (!dlo) dlo = mid.toDecFloat(lo, x, *dx);
        dhi = *dx;
        *dx += *dlo;
      }
      *dx /= 2;
    }
    Wide sum;
    const Wide& other = way > 0 ? hi : lo;
    if (g == 120 && one <= x && one <= other) {
      // Both in [1, 1e8): an exact sum on the same limbs and a truncated half.
      (way > 0 ? lo : hi) = x;
      x = (x + other).half();
    } else {
      const Wide before = x;
      if (!mid.add(before, other, sum) || !mid.halve(sum, x)) return fallback();
      (way > 0 ? lo : hi) = before;
    }
    if (top < x) break;
    // After j halvings hi - lo is 1e5 / 2^j less a few units: above 1e-105 for j < 365.
    if (++halvings < 365) {
      if (way > 0 ? x == lo : x == hi) break;
      continue;
    }
    // hi > lo + 1e-110, the step aligned to lo's limbs as DecFloat adds it.
    bool wider;
    if (lo.isZero()) {
      wider = hi > Wide(g == 120 ? k120_ : k128_);
    } else if (mid.order(lo) == 0) {
      wider = hi > lo + (g == 120 ? Wide(k120_) : Wide(k120_).times(100000000u));
    } else if (g == 128) {
      wider = hi > lo + Wide(k128_);
    } else {  // limbs of 1e-128 below a unit of 1e-120: compare (hi - lo) 1e8 with the step
      const Wide gap = lo < hi ? hi - lo : Wide(0);
      wider = !gap.fitsWord() || gap.times(100000000u) > Wide(k128_);
    }
    if (!wider) break;
    if (way > 0 ? x == lo : x == hi) break;  // halving no longer moves x
  }
  return (dx ? *dx : mid.toDecFloat(x)) + kStep_;
}

}  // namespace hobwise::solver

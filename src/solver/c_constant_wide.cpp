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
// halvings up to the room follow its limbs instead (c_constant_limbs.cpp).
#include <climits>
#include <cmath>

#include "solver/internal/c_constant_bisection.h"
#include "solver/run_rules.h"

namespace hobwise::solver {

namespace {

using Bisection = CConstantWide::Bisection;

const Wide& power10(int e) { return Midpoints::power10(e); }

std::uint64_t floorScaled(const DecFloat& v, int e) {
  return boost::multiprecision::floor(v * DecFloat("1e" + std::to_string(e))).convert_to<unsigned long long>();
}

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
// (Kept out of line: inlined into CConstantWide::solve, its loops ran some per cent
// slower in the benchmarks.)
[[gnu::noinline]] bool skipToRoom(Bisection& state, const Midpoints& mid, std::uint64_t p, std::uint64_t q,
                                  const Wide& rootLow, const Wide& rootHigh, const Wide* poleHigh,
                                  std::uint64_t minWidth) {
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

CConstantWide::CConstantWide(const JobParameters& job) : job_(job), kStep_(DecFloat(kBisectionStep)) {
  k120_ = floorScaled(kStep_, 120);
  k128_ = floorScaled(kStep_, 128);
  // Where the bisection ends when every halving goes up: its first midpoint above the cap.
  DecFloat hi = kBisectionTop, x = kBisectionStart;
  while (!(x > kBisectionCap)) x = (x + hi) / 2;
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

Decided<DecFloat> CConstantWide::solve(std::uint64_t a, std::uint64_t b) const {
  const Decided<Room> room = roomOf(a, b);
  if (!room) return kCannotDecide;
  if (room->capped) return capped_;
  const int g = room->mid.g();
  Bisection state{Wide(0), power10(g).times(kBisectionTop), power10(g).times(kBisectionStart), 0};
  if (skipToRoom(state, room->mid, room->p, room->q, room->rootLow, room->rootHigh,
                 job_.sign < 0 ? &room->poleHigh : nullptr, g == 120 ? k120_ : k128_))
    return room->mid.toDecFloat(state.x) + kStep_;
  halveBelowOne(state, *room);
  return halveToTheEnd(state, *room, a, b);
}

// c* = a s 10^d / (ktNum b - a N 10^d), exact as a fraction, and the room around it in
// which the DecFloat formula decides.
Decided<CConstantWide::Room> CConstantWide::roomOf(std::uint64_t a, std::uint64_t b) const {
  if (!usable_ || a == 0 || b == 0 || a > (1ull << 40) || b > (1ull << 40)) return kCannotDecide;
  const int n = job_.teeth;
  const int s = job_.sign;
  std::uint64_t scale = 1;
  for (int k = 0; k < ktDecimals_; ++k) scale *= 10;
  const __int128 den = static_cast<__int128>(ktNum_) * b - static_cast<__int128>(a) * n * scale;
  Room room;
  // No root (K T <= ratio N for the rising formula, ratio N <= K T for the falling one):
  // every x lies on the ratio's side by at least 1 / (x N) relative, and every halving
  // goes up to the cap.
  room.capped = s > 0 ? !(den > 0) : !(den < 0);
  if (room.capped) return room;
  const unsigned __int128 q = static_cast<unsigned __int128>(den > 0 ? den : -den);
  const unsigned __int128 p = static_cast<unsigned __int128>(a) * scale;
  if (q >> 63 || p >> 63) return kCannotDecide;
  const double root = static_cast<double>(p) / static_cast<double>(q);
  // A root clearly above the last midpoint below the cap (99999.237...): the same.
  room.capped = root > 99999.5;
  if (room.capped) return room;
  if (!(root >= 1e-7 && root <= 99990.0)) return kCannotDecide;
  if (s < 0 && !(root * n > 1.0 + 1e-9)) return kCannotDecide;

  // Units of 1e-128 also for a root at 1, where the bounds end on both sides of it.
  room.mid = Midpoints(root > 1.0 + 1e-9 ? 120 : 128);
  const int g = room.mid.g();
  // The room around c* in which the DecFloat formula decides. Its division (by
  // Newton steps) is good to about 1e-113 relative; an error e of the formula moves
  // the place where it meets the ratio by e (c* N + s) relative, and the room is a
  // thousand times that.
  double roomUnits = root * std::pow(10.0, g - 110) * (root * n + 2);
  if (s < 0) roomUnits *= 1.0 + 1.0 / (root * n - 1.0);
  if (!(roomUnits < 1e27)) return kCannotDecide;
  const Wide width = roomUnits < 1e18 ? Wide(static_cast<std::uint64_t>(roomUnits) + 2)
                                      : Wide(static_cast<std::uint64_t>(roomUnits / 1e9) + 2).times(1000000000u);
  const Wide center = (power10(g).times(static_cast<std::uint64_t>(p))).dividedBy(static_cast<std::uint64_t>(q));
  room.rootLow = width < center ? center - width : Wide(0);
  room.rootHigh = center + width + Wide(1);
  if (s < 0) {  // the falling formula: x N - 1 below -1/2, and clearly above 0
    const Wide pole = power10(g).dividedBy(static_cast<std::uint64_t>(n));
    room.poleLow = pole.half();
    room.poleHigh = pole + pole.dividedBy(1u << 20) + Wide(2);
  }
  room.p = static_cast<std::uint64_t>(p);
  room.q = static_cast<std::uint64_t>(q);
  return room;
}

// Values below 1 on DecFloat's own limbs up to the room (see c_constant_limbs.cpp),
// while x stays on the side of the pole where the formula rises; where the halving of
// a sum from 1 on moves x by up to 1e16 units, the room is wider than that. The
// halvings from 365 on need a room wider than the step 1e-110 (then hi > lo + step).
void CConstantWide::halveBelowOne(Bisection& state, const Room& room) const {
  const Midpoints& mid = room.mid;
  const Wide& one = power10(mid.g());
  if (mid.g() == 128 && (state.x < room.rootLow || room.rootHigh < state.x) && mid.order(state.lo) == -1 &&
      state.hi < one && state.lo < room.rootLow && room.rootHigh < state.hi &&
      (job_.sign > 0 || room.poleHigh < state.lo)) {
    const Wide width = room.rootHigh - room.rootLow;
    if (state.hi + state.hi < one || Wide(1ull << 56) < width)
      halveOutsideRoom(state.lo, state.hi, state.x, state.halvings, room.rootLow, room.rootHigh,
                       Wide(k128_) < width ? INT_MAX : 364);
  }
}

namespace {

// x, lo and hi in DecFloat from the first halving near c* on, formed by the plain
// bisection's own additions and halvings (which the whole numbers follow), so that
// the index formula takes x as it is instead of converting it.
struct NearRoot {
  std::optional<DecFloat> ratio;
  std::optional<DecFloat> dx, dlo, dhi;

  // The bound that a halving adds is converted when first needed (the first halving
  // replaces the other).
  void halve(int way, const Bisection& state, const Midpoints& mid) {
    if (!dx) return;
    if (way > 0) {
      if (!dhi) dhi = mid.toDecFloat(state.hi, state.x, *dx);
      dlo = *dx;
      *dx += *dhi;
    } else {
      if (!dlo) dlo = mid.toDecFloat(state.lo, state.x, *dx);
      dhi = *dx;
      *dx += *dlo;
    }
    *dx /= 2;
  }
};

// One halving of the whole numbers as DecFloat forms it; false where they cannot follow.
// `one`: 1 in units.
bool halveWide(Bisection& state, int way, const Midpoints& mid, const Wide& one) {
  Wide& x = state.x;
  const Wide& other = way > 0 ? state.hi : state.lo;
  if (mid.g() == 120 && one <= x && one <= other) {
    // Both in [1, 1e8): an exact sum on the same limbs and a truncated half.
    (way > 0 ? state.lo : state.hi) = x;
    x = (x + other).half();
    return true;
  }
  const Wide before = x;
  Wide sum;
  if (!mid.add(before, other, sum) || !mid.halve(sum, x)) return false;
  (way > 0 ? state.lo : state.hi) = before;
  return true;
}

}  // namespace

// The halvings from where the skips left off to the end of the bisection: outside the
// room their way is the side of the room, inside it the index formula decides.
Decided<DecFloat> CConstantWide::halveToTheEnd(Bisection& state, const Room& room, std::uint64_t a,
                                               std::uint64_t b) const {
  const Midpoints& mid = room.mid;
  const Wide& one = power10(mid.g());
  const Wide top = one.times(kBisectionCap);
  const int s = job_.sign;
  NearRoot near;
  while (true) {
    Decided<int> way = wayOutsideRoom(state.x, s, room.rootLow, room.rootHigh, room.poleLow, room.poleHigh);
    if (!way) {
      if (!near.dx) near.dx = mid.toDecFloat(state.x);  // the first halving near c*
      const DecFloat e = indexRatioFor(job_, *near.dx);
      if (isNaN(e)) break;
      if (!near.ratio) near.ratio = trainRatio(a, b);
      const Order o = compare(*near.ratio, e);
      way = o == Order::Equal ? 0 : (o == Order::Greater) == (s > 0) ? 1 : -1;
    }
    if (*way == 0) break;
    near.halve(*way, state, mid);
    if (!halveWide(state, *way, mid, one)) return kCannotDecide;
    if (top < state.x) break;
    // After j halvings hi - lo is 1e5 / 2^j less a few units: above 1e-105 for j < 365.
    if (++state.halvings >= 365 && !widerThanStep(state, mid)) break;
    if (*way > 0 ? state.x == state.lo : state.x == state.hi) break;  // halving no longer moves x
  }
  return (near.dx ? *near.dx : mid.toDecFloat(state.x)) + kStep_;
}

// hi > lo + 1e-110, the step aligned to lo's limbs as DecFloat adds it.
bool CConstantWide::widerThanStep(const Bisection& state, const Midpoints& mid) const {
  const Wide& lo = state.lo;
  const Wide& hi = state.hi;
  if (lo.isZero()) return hi > Wide(mid.g() == 120 ? k120_ : k128_);
  if (mid.order(lo) == 0) return hi > lo + (mid.g() == 120 ? Wide(k120_) : Wide(k120_).times(100000000u));
  if (mid.g() == 128) return hi > lo + Wide(k128_);
  // Limbs of 1e-128 below a unit of 1e-120: compare (hi - lo) 1e8 with the step.
  const Wide gap = lo < hi ? hi - lo : Wide(0);
  return !gap.fitsWord() || gap.times(100000000u) > Wide(k128_);
}

}  // namespace hobwise::solver

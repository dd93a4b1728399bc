// The midpoints of the C-constant bisection as whole numbers of units, formed as
// DecFloat forms them (see c_constant_wide.cpp for the rules of its limbs).
#include "solver/internal/midpoints.h"

#include <algorithm>
#include <array>
#include <string>

namespace hobwise::solver {

Midpoints::Midpoints(int g) : g_(g), one_(power10(g)), limb_(power10(g - 8)) {}

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

}  // namespace hobwise::solver

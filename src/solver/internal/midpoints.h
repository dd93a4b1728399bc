#pragma once
// The values of one C-constant bisection as whole numbers of units 10^-g (g = 120 for
// a root of at least 1, 128 below), with the sum and the halving as DecFloat forms
// them (see c_constant_wide.cpp).
#include <array>

#include "model/decfloat.h"
#include "solver/internal/wide.h"

namespace hobwise::solver {

// add and halve give false where the result would need digits finer than the unit
// (the caller then leaves the train to the DecFloat bisection).
class Midpoints {
 public:
  explicit Midpoints(int g = 120);
  int g() const { return g_; }
  // DecFloat's limb position: 0 for [1, 1e8), -1 for [1e-8, 1), -2 below.
  int order(const Wide& v) const {
    if (!(v < one_)) return 0;
    if (!(v < limb_)) return -1;
    return -2;
  }
  bool add(const Wide& a, const Wide& b, Wide& sum) const;
  bool halve(const Wide& s, Wide& half) const;
  DecFloat toDecFloat(const Wide& v) const;
  // The same from the DecFloat of a value `near` to v.
  DecFloat toDecFloat(const Wide& v, const Wide& near, const DecFloat& nearValue) const;
  Wide fromDecFloat(const DecFloat& v) const;  // whole units, cut below
  // 10^e in units (0 <= e < 135).
  static const Wide& power10(int e) {
    static const std::array<Wide, 135> table = [] {
      std::array<Wide, 135> t;
      for (int k = 0; k < 135; ++k) t[static_cast<std::size_t>(k)] = Wide::pow10(k);
      return t;
    }();
    return table[static_cast<std::size_t>(e)];
  }

 private:
  Wide cut(const Wide& v, int e) const;
  int g_;
  Wide one_, limb_;  // 1 and 1e-8 in units
};

}  // namespace hobwise::solver

#pragma once
// The C constant of an index ratio, in its three forms side by side:
// - solveCConstantPlain: the bisection of [0, 100000] for the c whose indexRatioFor
//   equals the ratio, every halving decided by the index formula in DecFloat;
// - solveCConstantFast: the same halvings, those whose x lies clearly on one side of
//   the root c* = s ratio / (K T - ratio N) decided without the formula;
// - CConstantWide::solve: the same again for a train of whole products, with the
//   midpoints followed in whole-number arithmetic (c_constant_wide.cpp).
// All three give the same value to the last digit. The fast forms give nothing where
// they cannot decide; the steps solveCConstant (solver/c_constant.h) and CConstantStep
// ask them first and the plain form after them.
#include <cstdint>

#include "model/decfloat.h"
#include "model/decided.h"
#include "model/job.h"
#include "solver/internal/midpoints.h"
#include "solver/internal/wide.h"

namespace hobwise {
class CConstantMemo;
}

namespace hobwise::solver {

// The bisection runs over [0, kBisectionTop] from x = kBisectionStart, stops once x
// exceeds kBisectionCap or hi no longer exceeds lo + kBisectionStep, and gives x plus
// kBisectionStep.
inline constexpr int kBisectionTop = 100000;
inline constexpr int kBisectionStart = 50000;
inline constexpr int kBisectionCap = 99999;
inline constexpr double kBisectionStep = 1e-110;

DecFloat solveCConstantPlain(const JobParameters& job, const DecFloat& ratio);
Decided<DecFloat> solveCConstantFast(const JobParameters& job, const DecFloat& ratio);

// The way of a halving at x (+1: lo = x and up, -1: hi = x and down) where x lies
// clearly outside the room [rootLow, rootHigh] around the root and, for the falling
// formula (sign -1), outside the zone [poleLow, poleHigh] of its pole; nothing where
// the index formula must decide. For DecFloat and for whole numbers of units alike.
template <class V>
Decided<int> wayOutsideRoom(const V& x, int sign, const V& rootLow, const V& rootHigh, const V& poleLow,
                            const V& poleHigh) {
  if (sign > 0) {
    if (x < rootLow) return 1;
    if (rootHigh < x) return -1;
    return kCannotDecide;
  }
  if (x < poleLow) return -1;
  if (poleHigh < x && x < rootLow) return 1;
  if (rootHigh < x) return -1;
  return kCannotDecide;
}

// The whole-number form for the index train whose driving product is a and driven
// product b; made once per job.
class CConstantWide {
 public:
  explicit CConstantWide(const JobParameters& job);
  Decided<DecFloat> solve(std::uint64_t a, std::uint64_t b) const;

  // The state of the bisection: its bounds, its midpoint and the halvings so far.
  struct Bisection {
    Wide lo, hi, x;
    int halvings = 0;
  };
  // What the root tells before the first halving: the bisection climbs to its cap, or
  // the root c* = p / q with the room around it (and the pole zone) in units 10^-g.
  struct Room {
    bool capped = false;
    std::uint64_t p = 0, q = 0;
    Midpoints mid;
    Wide rootLow, rootHigh, poleLow, poleHigh;
  };

 private:
  Decided<Room> roomOf(std::uint64_t a, std::uint64_t b) const;
  void halveBelowOne(Bisection& state, const Room& room) const;
  Decided<DecFloat> halveToTheEnd(Bisection& state, const Room& room, std::uint64_t a, std::uint64_t b) const;
  bool widerThanStep(const Bisection& state, const Midpoints& mid) const;

  const JobParameters& job_;
  bool usable_ = false;
  std::uint64_t ktNum_ = 0;  // K T = ktNum / 10^ktDecimals
  int ktDecimals_ = 0;
  std::uint64_t k120_ = 0;  // the step 1e-110 in units of 1e-120 and of 1e-128, cut
  std::uint64_t k128_ = 0;
  DecFloat kStep_;
  DecFloat capped_;  // the C constant of a bisection that climbs to its cap
};

// solveCConstant for the index train of driving product a over driven product b, as
// the run works it out (step B): the plain bisection when `exact`, else the
// whole-number form, then the DecFloat fast form, then the plain one, each where the
// one before cannot decide; through `memo` if given (shared by runs of one job), which
// the exact run leaves alone.
class CConstantStep {
 public:
  CConstantStep(const JobParameters& job, bool exact, CConstantMemo* memo = nullptr);
  DecFloat solveCConstant(std::uint64_t a, std::uint64_t b) const;

 private:
  DecFloat fastOrPlain(std::uint64_t a, std::uint64_t b) const;

  const JobParameters& job_;
  bool exact_;
  CConstantMemo* memo_;
  CConstantWide wide_;
};

}  // namespace hobwise::solver

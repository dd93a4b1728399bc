// The halvings of the C-constant bisection for values below 1 (units of 1e-128), in
// DecFloat's own digits instead of whole numbers.
//
// A value in [1e-8, 1) is 16 limbs of 8 decimal digits below the point; two of them
// make a word of BelowOne. The sum of two such values is a word-wise addition. Below
// 1 it keeps every digit, and its half is cut below the last limb. From 1 on it has a
// first limb of 1 and loses its last one (the digits from 1e-121 down), and halving
// it makes the first limb 0, so that DecFloat moves the limbs up by one: nothing is
// lost, but the new limb 14 repeats the old one instead of taking the old limb 15
// (Midpoints::halve keeps the same rule on whole numbers). Each halving is then two
// passes over the words where lo and hi still differ, with no division but by the
// constant 1e8.
#include "solver/internal/wide.h"

namespace hobwise::solver {

namespace {

constexpr std::uint64_t kLimb = 100000000u;  // 1e8
constexpr std::uint64_t kWord = BelowOne::kWord;

// (a + b) / 2 on words F to 7, where a and b share words 0 to F - 1 (and so does m):
// the shared words of the sum are twice theirs plus the carry out of word F, and
// halving gives them back. Whether the sum reaches 1 then follows from word 0 alone
// (twice it plus a carry reaches 1e16 only where twice it does, 1e16 being even).
template <int F>
void meanFrom(const BelowOne& a, const BelowOne& b, BelowOne& m) {
  // The words' sums, each below 2 kWord, with their carries; a carry passes through a
  // word whose sum is kWord - 1 (one in 1e16), which the plain chain handles.
  // (Masks instead of branches: these bits are as good as random.)
  std::uint64_t sum[8], carries[9];
  bool through = false;
  carries[8] = 0;
  for (int k = F; k < 8; ++k) {
    sum[k] = a.d[k] + b.d[k];
    carries[k] = sum[k] >= kWord;
    through |= sum[k] == kWord - 1;
  }
  if (through) {
    for (int k = 7; k >= F; --k) carries[k] = sum[k] + carries[k + 1] >= kWord;
  }
  for (int k = F; k < 8; ++k) sum[k] = sum[k] + carries[k + 1] - (-carries[k] & kWord);
  const bool fromOne = F == 0 ? carries[0] : a.d[0] >= kWord / 2;  // the sum lies in [1, 2)
  if (fromOne) sum[7] -= sum[7] % kLimb;
  // Halving from the top: a word's rest (its last bit, kWord being even) adds half a
  // word to the next one.
  m.d[F] = (sum[F] >> 1) + (-carries[F] & kWord / 2);
  for (int k = F + 1; k < 8; ++k) m.d[k] = (sum[k] >> 1) + (-(sum[k - 1] & 1) & kWord / 2);
  if (fromOne) m.d[7] = m.d[6] % kLimb * kLimb + m.d[7] % kLimb;
}

template <int F>
bool lessFrom(const BelowOne& a, const BelowOne& b) {
  for (int k = F; k < 8; ++k)
    if (a.d[k] != b.d[k]) return a.d[k] < b.d[k];
  return false;
}

// The loop of halveOutsideRoom on the words where lo and hi differ, from F on.
struct Halvings {
  BelowOne lo, hi, x;
  const BelowOne low, high;
  int& halvings;
  int last;

  template <int F>
  void run() {
    if constexpr (F < 6) {
      if (lo.d[F] == hi.d[F]) return run<F + 1>();
    }
    BelowOne next = x;
    while (halvings < last) {
      // The way as good as random: both sides chosen without a branch.
      const bool up = lessFrom<F>(x, low), down = lessFrom<F>(high, x);
      if (!up && !down) return;
      meanFrom<F>(x, up ? hi : lo, next);
      if (F == 0 && next.d[0] < kLimb) return;  // below 1e-8
      BelowOne& bound = up ? lo : hi;
      for (int k = F; k < 8; ++k) bound.d[k] = x.d[k];
      for (int k = F; k < 8; ++k) x.d[k] = next.d[k];
      ++halvings;
      if constexpr (F < 6) {
        if (lo.d[F] == hi.d[F]) return run<F + 1>();
      }
    }
  }
};

}  // namespace

bool mean(const BelowOne& a, const BelowOne& b, BelowOne& m) {
  meanFrom<0>(a, b, m);
  return m.d[0] >= kLimb;
}

// Every x lies strictly between lo and hi: their distance exceeds the room's width,
// at least 5 units, and where sums reach 1 (their halves move by up to 1e16 units
// from the mean) more than 2^56 units (the caller sees to that).
void halveOutsideRoom(Wide& lo, Wide& hi, Wide& x, int& halvings, const Wide& rootLow, const Wide& rootHigh,
                      int last) {
  Halvings steps{BelowOne::of(lo), BelowOne::of(hi),       BelowOne::of(x), BelowOne::of(rootLow),
                 BelowOne::of(rootHigh), halvings, last};
  steps.run<0>();
  lo = steps.lo.units();
  hi = steps.hi.units();
  x = steps.x.units();
}

}  // namespace hobwise::solver

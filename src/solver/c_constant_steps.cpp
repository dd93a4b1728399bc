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
// passes over 8 words, with no division but by the constant 1e8.
#include "solver/wide.h"

namespace hobwise::solver {

namespace {
constexpr std::uint64_t kLimb = 100000000u;  // 1e8
}

bool mean(const BelowOne& a, const BelowOne& b, BelowOne& m) {
  constexpr std::uint64_t kWord = BelowOne::kWord;
  // The words' sums, each below 2 kWord, with their carries; a carry passes through a
  // word whose sum is kWord - 1 (one in 1e16), which the plain chain below handles.
  std::uint64_t sum[8];
  bool carries[9];
  bool through = false;
  carries[8] = false;
  for (int k = 0; k < 8; ++k) {
    sum[k] = a.d[k] + b.d[k];
    carries[k] = sum[k] >= kWord;
    through |= sum[k] == kWord - 1;
  }
  if (through) {
    for (int k = 7; k >= 0; --k) carries[k] = sum[k] + carries[k + 1] >= kWord;
  }
  for (int k = 0; k < 8; ++k) sum[k] = sum[k] + carries[k + 1] - (carries[k] ? kWord : 0);
  const bool fromOne = carries[0];  // the sum lies in [1, 2)
  if (fromOne) sum[7] -= sum[7] % kLimb;
  // Halving from the top: a word's rest (its last bit, kWord being even) adds half a
  // word to the next one.
  m.d[0] = (sum[0] >> 1) + (fromOne ? kWord / 2 : 0);
  for (int k = 1; k < 8; ++k) m.d[k] = (sum[k] >> 1) + (sum[k - 1] & 1 ? kWord / 2 : 0);
  if (fromOne) m.d[7] = m.d[6] % kLimb * kLimb + m.d[7] % kLimb;
  return m.d[0] >= kLimb;
}

// Every x lies strictly between lo and hi: their distance exceeds the room's width,
// at least 5 units, and where sums reach 1 (their halves move by up to 1e16 units
// from the mean) more than 2^56 units (the caller sees to that).
void halveOutsideRoom(Wide& lo, Wide& hi, Wide& x, int& halvings, const Wide& rootLow, const Wide& rootHigh,
                      int last) {
  BelowOne l = BelowOne::of(lo), h = BelowOne::of(hi), m = BelowOne::of(x);
  const BelowOne low = BelowOne::of(rootLow), high = BelowOne::of(rootHigh);
  BelowOne next;
  for (; halvings < last; ++halvings) {
    if (m < low) {
      if (!mean(m, h, next)) break;
      l = m;
    } else if (high < m) {
      if (!mean(m, l, next)) break;
      h = m;
    } else {
      break;
    }
    m = next;
  }
  lo = l.units();
  hi = h.units();
  x = m.units();
}

}  // namespace hobwise::solver

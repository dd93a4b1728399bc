#pragma once
// A non-negative whole number of up to 512 bits: just enough arithmetic to follow the
// midpoints of the C-constant bisection exactly (see c_constant_wide.cpp).
#include <array>
#include <cstdint>
#include <string>

namespace hobwise::solver {

struct Wide {
  static constexpr int kWords = 8;
  std::array<std::uint64_t, kWords> w{};  // least significant word first

  Wide() = default;
  explicit Wide(std::uint64_t v) { w[0] = v; }

  static Wide pow10(int e);

  bool isZero() const {
    for (auto x : w)
      if (x) return false;
    return true;
  }
  bool isOdd() const { return w[0] & 1u; }
  bool fitsWord() const {
    for (int k = 1; k < kWords; ++k)
      if (w[static_cast<std::size_t>(k)]) return false;
    return true;
  }

  friend int compare(const Wide& a, const Wide& b) {
    for (int k = kWords - 1; k >= 0; --k) {
      const auto i = static_cast<std::size_t>(k);
      if (a.w[i] != b.w[i]) return a.w[i] < b.w[i] ? -1 : 1;
    }
    return 0;
  }
  friend bool operator<(const Wide& a, const Wide& b) { return compare(a, b) < 0; }
  friend bool operator>(const Wide& a, const Wide& b) { return compare(a, b) > 0; }
  friend bool operator<=(const Wide& a, const Wide& b) { return compare(a, b) <= 0; }
  friend bool operator==(const Wide& a, const Wide& b) { return a.w == b.w; }

  friend Wide operator+(const Wide& a, const Wide& b) {
    Wide r;
    unsigned __int128 carry = 0;
    for (std::size_t k = 0; k < kWords; ++k) {
      carry += static_cast<unsigned __int128>(a.w[k]) + b.w[k];
      r.w[k] = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
    return r;
  }
  // a - b for a >= b.
  friend Wide operator-(const Wide& a, const Wide& b) {
    Wide r;
    std::uint64_t borrow = 0;
    for (std::size_t k = 0; k < kWords; ++k) {
      const std::uint64_t d = a.w[k] - b.w[k];
      const std::uint64_t d2 = d - borrow;
      borrow = (a.w[k] < b.w[k]) || (d < borrow) ? 1 : 0;
      r.w[k] = d2;
    }
    return r;
  }
  Wide half() const {
    Wide r;
    for (std::size_t k = 0; k < kWords; ++k)
      r.w[k] = (w[k] >> 1) | (k + 1 < kWords ? w[k + 1] << 63 : 0);
    return r;
  }
  // v 2^k and v / 2^k (cut), for 0 <= k < 512.
  Wide shiftedUp(int k) const {
    Wide r;
    const int words = k / 64, bits = k % 64;
    for (int i = kWords - 1; i >= words; --i) {
      const auto d = static_cast<std::size_t>(i), s = static_cast<std::size_t>(i - words);
      r.w[d] = w[s] << bits | (bits && s > 0 ? w[s - 1] >> (64 - bits) : 0);
    }
    return r;
  }
  Wide shiftedDown(int k) const {
    Wide r;
    const int words = k / 64, bits = k % 64;
    for (int i = 0; i + words < kWords; ++i) {
      const auto d = static_cast<std::size_t>(i), s = static_cast<std::size_t>(i + words);
      r.w[d] = w[s] >> bits | (bits && s + 1 < kWords ? w[s + 1] << (64 - bits) : 0);
    }
    return r;
  }
  // The number of binary digits (0 for 0).
  int bitLength() const {
    for (int k = kWords - 1; k >= 0; --k)
      if (const std::uint64_t v = w[static_cast<std::size_t>(k)]) return 64 * k + 64 - __builtin_clzll(v);
    return 0;
  }
  Wide times(std::uint64_t m) const {
    Wide r;
    unsigned __int128 carry = 0;
    for (std::size_t k = 0; k < kWords; ++k) {
      carry += static_cast<unsigned __int128>(w[k]) * m;
      r.w[k] = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
    return r;
  }
  // Quotient by d (> 0); the remainder goes to *rest.
  Wide dividedBy(std::uint64_t d, std::uint64_t* rest = nullptr) const {
    Wide q;
    unsigned __int128 rem = 0;
    for (int k = kWords - 1; k >= 0; --k) {
      const auto i = static_cast<std::size_t>(k);
      const unsigned __int128 cur = (rem << 64) | w[i];
      q.w[i] = static_cast<std::uint64_t>(cur / d);
      rem = cur % d;
    }
    if (rest) *rest = static_cast<std::uint64_t>(rem);
    return q;
  }
  // dividedBy for a divisor known when compiling and below 2^32: half a word at a
  // time, so that each step is a 64-bit division by a constant (a multiplication).
  template <std::uint64_t D>
  Wide dividedBy(std::uint64_t* rest = nullptr) const {
    static_assert(D > 0 && D <= 0xffffffffu);
    Wide q;
    std::uint64_t rem = 0;
    for (int k = kWords - 1; k >= 0; --k) {
      const auto i = static_cast<std::size_t>(k);
      const std::uint64_t high = rem << 32 | w[i] >> 32;
      const std::uint64_t qHigh = high / D;
      const std::uint64_t low = (high % D) << 32 | (w[i] & 0xffffffffu);
      q.w[i] = qHigh << 32 | low / D;
      rem = low % D;
    }
    if (rest) *rest = rem;
    return q;
  }
  // The remainder by a divisor known when compiling and below 2^32, in 64-bit steps:
  // rem 2^64 + word is rem (2^64 mod D) + word, and rem (2^64 mod D) < D^2 fits.
  template <std::uint64_t D>
  std::uint64_t remainderBy() const {
    static_assert(D > 0 && D <= 0xffffffffu);
    constexpr std::uint64_t kWordMod = (~std::uint64_t{0} % D + 1) % D;
    std::uint64_t rem = 0;
    for (int k = kWords - 1; k >= 0; --k) rem = (rem * kWordMod + w[static_cast<std::size_t>(k)] % D) % D;
    return rem;
  }
  std::string decimal() const;
};

// Numbers of N words, least significant first, for the short stretches of the
// bisection that need no more.
template <int N>
using Words = std::array<std::uint64_t, N>;

template <int N>
bool less(const Words<N>& a, const Words<N>& b) {
  for (int k = N - 1; k >= 0; --k)
    if (a[k] != b[k]) return a[k] < b[k];
  return false;
}

// a - b for a >= b.
template <int N>
Words<N> minus(const Words<N>& a, const Words<N>& b) {
  Words<N> r;
  std::uint64_t borrow = 0;
  for (int k = 0; k < N; ++k) {
    const std::uint64_t d = a[k] - b[k];
    r[k] = d - borrow;
    borrow = (a[k] < b[k]) | (d < borrow);
  }
  return r;
}

template <int N>
Words<N> shiftedDown(const Words<N>& a) {  // a / 2, cut
  Words<N> r;
  for (int k = 0; k < N; ++k) r[k] = a[k] >> 1 | (k + 1 < N ? a[k + 1] << 63 : 0);
  return r;
}

// The lowest N words of v, and back.
template <int N>
Words<N> low(const Wide& v) {
  Words<N> r;
  for (int k = 0; k < N; ++k) r[k] = v.w[static_cast<std::size_t>(k)];
  return r;
}
template <int N>
Words<N> low(const Words<N + 1>& v) {
  Words<N> r;
  for (int k = 0; k < N; ++k) r[k] = v[k];
  return r;
}
template <int N>
Wide widened(const Words<N>& v) {
  Wide r;
  for (int k = 0; k < N; ++k) r.w[static_cast<std::size_t>(k)] = v[k];
  return r;
}

// A value in [1e-8, 1) on DecFloat's own limbs of 8 decimal digits, two limbs to a
// word, most significant first: the value is the sum of d[k] 1e-16(k + 1), in units
// of 1e-128 the sum of d[k] 1e16^(7 - k) (see c_constant_limbs.cpp).
struct BelowOne {
  static constexpr std::uint64_t kWord = 10000000000000000ull;  // 1e16
  std::array<std::uint64_t, 8> d{};

  static BelowOne of(const Wide& units);  // units below 1e128
  Wide units() const;
  friend bool operator<(const BelowOne& a, const BelowOne& b) { return a.d < b.d; }
  // (a + b) / 2 as DecFloat forms it; false where it falls below 1e-8.
  friend bool mean(const BelowOne& a, const BelowOne& b, BelowOne& m);
};

// The halvings of a C-constant bisection whose lo, hi and x (units of 1e-128) lie in
// [1e-8, 1) with lo < rootLow <= rootHigh < hi, while x lies outside the room
// [rootLow, rootHigh] (its side is the way) and the count of halvings stays below
// `last`; lo, hi, x and the count are left as the plain steps would leave them.
void halveOutsideRoom(Wide& lo, Wide& hi, Wide& x, int& halvings, const Wide& rootLow, const Wide& rootHigh,
                      int last);

}  // namespace hobwise::solver

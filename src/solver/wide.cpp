// Wide and BelowOne to and from decimal digits.
#include "solver/internal/wide.h"

namespace hobwise::solver {

namespace {

// Words 0 to `top` of v divided by d in place; gives the remainder. The remainder
// stays below d, so each word's quotient fits a word: one hardware division per word
// where the machine has one.
std::uint64_t divideWords(Wide& v, int top, std::uint64_t d) {
  std::uint64_t rem = 0;
  for (int k = top; k >= 0; --k) {
    const auto i = static_cast<std::size_t>(k);
#if defined(__x86_64__)
    std::uint64_t q;
    __asm__("divq %[d]" : "=a"(q), "=d"(rem) : "a"(v.w[i]), "d"(rem), [d] "r"(d));
    v.w[i] = q;
#else
    const unsigned __int128 cur = static_cast<unsigned __int128>(rem) << 64 | v.w[i];
    v.w[i] = static_cast<std::uint64_t>(cur / d);
    rem = static_cast<std::uint64_t>(cur % d);
#endif
  }
  return rem;
}

}  // namespace

std::string Wide::decimal() const {
  if (isZero()) return "0";
  // Chunks of 19 digits.
  constexpr std::uint64_t kChunk = 10000000000000000000ull;  // 1e19
  std::uint64_t chunks[9];
  int count = 0;
  Wide v = *this;
  int top = kWords - 1;
  while (top >= 0) {
    if (v.w[static_cast<std::size_t>(top)] == 0) {
      --top;
      continue;
    }
    chunks[count++] = divideWords(v, top, kChunk);
  }
  char text[9 * 19];
  char* end = text + sizeof text;
  char* p = end;
  for (int c = 0; c < count; ++c) {
    std::uint64_t chunk = chunks[c];
    for (int d = 0; d < 19 && (chunk || c + 1 < count); ++d, chunk /= 10) *--p = static_cast<char>('0' + chunk % 10);
  }
  return std::string(p, end);
}

Wide Wide::pow10(int e) {
  Wide r(1);
  for (int k = 0; k < e; ++k) r = r.times(10);
  return r;
}

BelowOne BelowOne::of(const Wide& units) {
  BelowOne r;
  Wide v = units;
  int top = Wide::kWords - 1;
  for (int k = 7; k >= 0; --k) {
    while (top >= 0 && v.w[static_cast<std::size_t>(top)] == 0) --top;
    r.d[static_cast<std::size_t>(k)] = divideWords(v, top, kWord);
  }
  return r;
}

Wide BelowOne::units() const {
  Wide r;
  for (std::uint64_t word : d) {
    unsigned __int128 carry = word;
    for (std::size_t k = 0; k < 7; ++k) {  // below 1e128 < 2^448
      carry += static_cast<unsigned __int128>(r.w[k]) * kWord;
      r.w[k] = static_cast<std::uint64_t>(carry);
      carry >>= 64;
    }
  }
  return r;
}

}  // namespace hobwise::solver

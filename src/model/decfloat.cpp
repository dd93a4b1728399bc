#include "model/decfloat.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <limits>
#include <sstream>

namespace hobwise {

std::optional<DecFloat> parseDecFloat(std::string_view text) {
  try {
    return DecFloat(std::string(text));
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

namespace {

// The parts of the number type's value in the order its serialize() visits them: the
// limbs (eight decimal digits each, below 10^8), the exponent (of ten, a multiple of
// eight), the sign, the class, the precision in limbs.
using Backend = DecFloat::backend_type;
constexpr std::int64_t kLimbBase = 100000000;
constexpr std::int64_t kLimbDigits = 8;
constexpr std::size_t kMaxParts = 32;

struct Parts {
  std::array<std::int64_t, kMaxParts> items{};
  std::size_t count = 0;
};

struct PartsOut {
  Parts& parts;
  template <class T>
  PartsOut& operator&(const boost::serialization::nvp<T>& item) {
    if (parts.count < kMaxParts) parts.items[parts.count] = static_cast<std::int64_t>(item.value());
    ++parts.count;
    return *this;
  }
};

struct PartsIn {
  const Parts& parts;
  std::size_t next = 0;
  template <class T>
  PartsIn& operator&(const boost::serialization::nvp<T>& item) {
    item.value() = static_cast<T>(parts.items[next++]);
    return *this;
  }
};

Parts partsOf(const DecFloat& x) {
  Parts parts;
  Backend copy = x.backend();  // serialize() is not const, though it only reads here
  PartsOut out{parts};
  copy.serialize(out, 0);
  return parts;
}

// The number of limbs of a value.
std::size_t limbCount() {
  static const std::size_t count = partsOf(DecFloat(0)).count - 4;
  return count;
}

// Parts a value can hold: limbs below 10^8, an exponent a multiple of 8 within the
// type's range, a sign 0 or 1, one of the three classes (finite, infinite, not a
// number), 1 to all limbs of precision.
bool possible(const Parts& p) {
  const std::size_t limbs = limbCount();
  for (std::size_t k = 0; k < limbs; ++k)
    if (p.items[k] < 0 || p.items[k] >= kLimbBase) return false;
  const std::int64_t exponent = p.items[limbs];
  const std::int64_t maxExponent = std::int64_t{std::numeric_limits<DecFloat>::max_exponent10} + 2 * kLimbDigits;
  if (exponent % kLimbDigits != 0 || exponent > maxExponent || exponent < -maxExponent) return false;
  return p.items[limbs + 1] >= 0 && p.items[limbs + 1] <= 1 && p.items[limbs + 2] >= 0 && p.items[limbs + 2] <= 2 &&
         p.items[limbs + 3] >= 1 && p.items[limbs + 3] <= static_cast<std::int64_t>(limbs);
}

}  // namespace

// The class, sign, exponent and precision, then the limbs up to the last that is not
// zero, separated by colons: "0:0:-8:16:12345678:...".
std::string exactWord(const DecFloat& x) {
  const Parts p = partsOf(x);
  const std::size_t all = limbCount();
  std::size_t limbs = all;
  while (limbs > 0 && p.items[limbs - 1] == 0) --limbs;
  std::string word;
  word.reserve(16 + 9 * limbs);
  char text[24];
  const auto put = [&](std::int64_t n) { word.append(text, std::to_chars(text, text + sizeof text, n).ptr); };
  put(p.items[all + 2]), word += ':', put(p.items[all + 1]), word += ':', put(p.items[all]);
  word += ':', put(p.items[all + 3]);
  for (std::size_t k = 0; k < limbs; ++k) word += ':', put(p.items[k]);
  return word;
}

std::optional<DecFloat> exactWordValue(std::string_view word) {
  const std::size_t all = limbCount();
  Parts p;
  p.count = all + 4;
  const char* at = word.data();
  const char* const end = word.data() + word.size();
  const auto take = [&](std::int64_t& n) {
    const auto [stop, error] = std::from_chars(at, end, n);
    if (error != std::errc() || (stop != end && *stop != ':')) return false;
    at = stop == end ? end : stop + 1;
    return true;
  };
  if (word.empty() || word.back() == ':') return std::nullopt;
  for (std::size_t k : {all + 2, all + 1, all, all + 3})
    if (!take(p.items[k])) return std::nullopt;
  for (std::size_t k = 0; k < all && at != end; ++k)
    if (!take(p.items[k])) return std::nullopt;
  if (at != end || !possible(p)) return std::nullopt;
  DecFloat x;
  PartsIn in{p};
  x.backend().serialize(in, 0);
  return x;
}

std::string formatFixed(const DecFloat& x, int decimals) {
  std::ostringstream out;
  out.setf(std::ios::fixed, std::ios::floatfield);
  if (decimals > 0 || !boost::multiprecision::isfinite(x)) {
    out.precision(decimals > 0 ? decimals : 6);
    out << x;
    return out.str();
  }
  // No decimals: the number type's stream would print every digit it has, so round
  // to a whole number here (half to even, as for the other precisions) and print
  // that with one decimal, which is then cut off.
  DecFloat whole = boost::multiprecision::floor(x);
  const DecFloat fraction = x - whole;
  const DecFloat half("0.5");
  if (fraction > half || (fraction == half && boost::multiprecision::fmod(whole, DecFloat(2)) != 0)) whole += 1;
  out.precision(1);
  out << whole;
  std::string text = out.str();
  return text.substr(0, text.size() - 2);
}

}  // namespace hobwise

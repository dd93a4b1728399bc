#pragma once
// The arithmetic of every ratio, feed and lead: 100 significant decimal digits.
#include <boost/multiprecision/cpp_dec_float.hpp>

#include <cmath>
#include <optional>
#include <string>
#include <string_view>

namespace hobwise {

using DecFloat = boost::multiprecision::number<boost::multiprecision::cpp_dec_float<100>,
                                               boost::multiprecision::et_off>;

// Parses the whole text as a decimal number. Gives nothing for a text that is no
// number (empty, ".", "1.2.3", letters); never throws.
std::optional<DecFloat> parseDecFloat(std::string_view text);

// A value as one word of digits, colons and signs that exactWordValue reads back to
// the very same value (every internal digit, the guard digits too), for passing values
// between instances of the engine; some times quicker both ways than the decimal text.
// exactWordValue gives nothing for a word that is not such a value.
std::string exactWord(const DecFloat& x);
std::optional<DecFloat> exactWordValue(std::string_view word);

// Decimal constants of the algorithms enter as the double value of their literal.
inline DecFloat fromDouble(double d) { return DecFloat(d); }

inline bool isNaN(const DecFloat& x) { return boost::multiprecision::isnan(x); }

// The nearest double to a few units in its last place, from the leading digits (the
// number type's own conversion goes through text, which costs microseconds). For
// decisions that keep a margin far above that.
inline double roughDouble(const DecFloat& x) {
  if (!boost::multiprecision::isfinite(x) || x.is_zero()) return x.convert_to<double>();
  double mantissa = 0;
  int exponent = 0;
  x.backend().extract_parts(mantissa, exponent);
  if (exponent > 300 || exponent < -300) return x.convert_to<double>();
  return mantissa * std::pow(10.0, exponent);
}

// Fixed-point text with the given number of digits after the point (half to even
// on an exact half, as the stream output of the number type does it).
std::string formatFixed(const DecFloat& x, int decimals);

}  // namespace hobwise

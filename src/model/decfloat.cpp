#include "model/decfloat.h"

#include <sstream>

namespace hobwise {

std::optional<DecFloat> parseDecFloat(std::string_view text) {
  try {
    return DecFloat(std::string(text));
  } catch (const std::exception&) {
    return std::nullopt;
  }
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

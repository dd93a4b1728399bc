#pragma once
// std::from_chars and std::to_chars for double, which the C++ library of Debian 12's
// emscripten (3.1.6) does not have yet. Put in front of every source of the web build
// only.
// - from_chars reads as the standard one does: in the general format an optional "-",
//   then decimal digits with an optional point and exponent, or "inf", "infinity",
//   "nan"; in the hex format the same with hexadecimal digits and a "p" exponent, no
//   "0x". No leading blanks, no "+". The number is converted by strtod, which is
//   correctly rounded and, in the "C" locale of a wasm program, reads "." as the point.
// - to_chars writes the shortest text that reads back to the same double, fixed or
//   scientific, whichever is shorter (fixed on a tie), as the standard one does; in the
//   hex format the exact value as printf's "%a" writes it, without "0x".
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace hobwise_web_compat {

// Length of the longest number (as from_chars reads it) at the front.
inline std::size_t numberLength(const char* first, const char* last, bool hex) {
  const char* p = first;
  if (p != last && *p == '-') ++p;
  const auto isDigit = [hex](char c) {
    return (c >= '0' && c <= '9') || (hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')));
  };
  const auto word = [&](const char* w) {
    const std::size_t n = std::strlen(w);
    if (static_cast<std::size_t>(last - p) < n) return false;
    for (std::size_t i = 0; i < n; ++i)
      if (std::tolower(static_cast<unsigned char>(p[i])) != w[i]) return false;
    return true;
  };
  if (word("infinity")) return static_cast<std::size_t>(p + 8 - first);
  if (word("inf")) return static_cast<std::size_t>(p + 3 - first);
  if (word("nan")) {
    const char* q = p + 3;
    if (q != last && *q == '(') {
      const char* r = q + 1;
      while (r != last && (std::isalnum(static_cast<unsigned char>(*r)) || *r == '_')) ++r;
      if (r != last && *r == ')') q = r + 1;
    }
    return static_cast<std::size_t>(q - first);
  }
  const char* digits = p;
  while (p != last && isDigit(*p)) ++p;
  bool any = p != digits;
  if (p != last && *p == '.') {
    const char* fraction = ++p;
    while (p != last && isDigit(*p)) ++p;
    any = any || p != fraction;
  }
  if (!any) return 0;
  const char mark = hex ? 'p' : 'e';
  if (p != last && std::tolower(static_cast<unsigned char>(*p)) == mark) {
    const char* q = p + 1;
    if (q != last && (*q == '+' || *q == '-')) ++q;
    const char* exponent = q;
    while (q != last && *q >= '0' && *q <= '9') ++q;
    if (q != exponent) p = q;
  }
  return static_cast<std::size_t>(p - first);
}

// The shortest "%.*e" text that reads back to `value` (finite, not zero).
inline std::string shortestScientific(double value) {
  char text[40];
  for (int precision = 0; precision < 17; ++precision) {
    std::snprintf(text, sizeof text, "%.*e", precision, value);
    if (std::strtod(text, nullptr) == value) return text;
  }
  std::snprintf(text, sizeof text, "%.17e", value);
  return text;
}

// The fixed form of a scientific text: its digits moved by the exponent.
inline std::string fixedOf(const std::string& scientific) {
  std::string sign, digits;
  std::size_t i = 0;
  if (scientific[0] == '-') sign = "-", i = 1;
  const std::size_t e = scientific.find('e');
  for (; i < e; ++i)
    if (scientific[i] != '.') digits.push_back(scientific[i]);
  const int exponent = std::atoi(scientific.c_str() + e + 1);
  const int point = exponent + 1;  // digits before the point
  if (point <= 0) return sign + "0." + std::string(static_cast<std::size_t>(-point), '0') + digits;
  if (static_cast<std::size_t>(point) >= digits.size())
    return sign + digits + std::string(static_cast<std::size_t>(point) - digits.size(), '0');
  return sign + digits.substr(0, static_cast<std::size_t>(point)) + "." + digits.substr(static_cast<std::size_t>(point));
}

inline std::string shortestText(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  if (value == 0) return std::signbit(value) ? "-0" : "0";
  const std::string scientific = shortestScientific(value);
  const std::string fixed = fixedOf(scientific);
  return fixed.size() <= scientific.size() ? fixed : scientific;
}

inline std::string hexText(double value) {
  char text[48];
  std::snprintf(text, sizeof text, "%a", value);
  std::string out = text;
  const std::size_t x = out.find("0x");
  if (x != std::string::npos) out.erase(x, 2);
  return out;
}

}  // namespace hobwise_web_compat

namespace std {

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format format = chars_format::general) {
  const bool hex = format == chars_format::hex;
  const std::size_t n = hobwise_web_compat::numberLength(first, last, hex);
  if (n == 0) return {first, errc::invalid_argument};
  std::string number(first, n);
  if (hex) number.insert(number[0] == '-' ? 1 : 0, "0x");
  errno = 0;
  const double parsed = std::strtod(number.c_str(), nullptr);
  if (errno == ERANGE && (parsed == 0.0 || parsed == HUGE_VAL || parsed == -HUGE_VAL))
    return {first + n, errc::result_out_of_range};
  value = parsed;
  return {first + n, errc{}};
}

inline to_chars_result to_chars(char* first, char* last, double value, chars_format format) {
  const std::string text =
      format == chars_format::hex ? hobwise_web_compat::hexText(value) : hobwise_web_compat::shortestText(value);
  if (static_cast<std::size_t>(last - first) < text.size()) return {last, errc::value_too_large};
  std::memcpy(first, text.data(), text.size());
  return {first + text.size(), errc{}};
}

inline to_chars_result to_chars(char* first, char* last, double value) {
  return to_chars(first, last, value, chars_format::general);
}

}  // namespace std

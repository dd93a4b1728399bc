#pragma once
// std::from_chars for double, which the C++ library of Debian 12's emscripten (3.1.6)
// does not have yet. Put in front of every engine source by the web build only. It
// reads as from_chars does in the general format: an optional "-", then decimal
// digits with an optional point and exponent, or "inf", "infinity", "nan"; no leading
// blanks, no "+", no hexadecimal. The digits are converted by strtod, which is
// correctly rounded and, in the "C" locale of a wasm program, reads "." as the point.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace hobwise_web_compat {

// Length of the longest decimal number (as from_chars reads it) at the front.
inline std::size_t decimalNumberLength(const char* first, const char* last) {
  const char* p = first;
  if (p != last && *p == '-') ++p;
  const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
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
  if (p != last && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    if (q != last && (*q == '+' || *q == '-')) ++q;
    const char* exponent = q;
    while (q != last && isDigit(*q)) ++q;
    if (q != exponent) p = q;
  }
  return static_cast<std::size_t>(p - first);
}

}  // namespace hobwise_web_compat

namespace std {

inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format = chars_format::general) {
  const std::size_t n = hobwise_web_compat::decimalNumberLength(first, last);
  if (n == 0) return {first, errc::invalid_argument};
  const std::string number(first, n);
  errno = 0;
  char* end = nullptr;
  const double parsed = std::strtod(number.c_str(), &end);
  if (errno == ERANGE && (parsed == 0.0 || parsed == HUGE_VAL || parsed == -HUGE_VAL))
    return {first + n, errc::result_out_of_range};
  value = parsed;
  return {first + n, errc{}};
}

}  // namespace std

#include "model/text_value.h"

#include <charconv>
#include <climits>
#include <cmath>

namespace hobwise {

namespace {
bool isSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
}  // namespace

double textToDouble(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i >= text.size() || text[i] == '+' || text[i] == '-') return 0.0;
  double value = 0.0;
  auto [ptr, ec] = std::from_chars(text.data() + i, text.data() + text.size(), value);
  if (ptr == text.data() + i) return 0.0;  // no number in front
  if (ec == std::errc::result_out_of_range) {
    // Too large: atof gives HUGE_VAL; too small: 0. Tell them apart by the exponent text.
    std::string_view rest(text.data() + i, static_cast<std::size_t>(ptr - (text.data() + i)));
    bool tiny = rest.find("e-") != std::string_view::npos || rest.find("E-") != std::string_view::npos;
    value = tiny ? 0.0 : HUGE_VAL;
  }
  return negative ? -value : value;
}

int textToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  return static_cast<int>(value);
}

}  // namespace hobwise
